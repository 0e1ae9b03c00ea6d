// starglow-compose [--out FILE] [--length MS] [--silence] [--analyse] [--quiet]:
// makes the show's music.
#include "compose/compose_cli.h"

int main(int argc, char** argv) {
    return compose_main(argc, argv);
}
