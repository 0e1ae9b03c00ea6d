// starglow PORT: the show on a display at serial port number PORT.
#include <cstdlib>

#include "driver/startup.h"

int main(int argc, char** argv) {
    std::exit(starglow_main(argc, argv));
}
