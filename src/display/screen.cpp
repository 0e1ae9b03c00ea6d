#include "display/screen.h"

#include <cstring>

void fill_screen(Screen& screen, uint8_t code) {
    std::memset(screen.cells, code, sizeof screen.cells);
}
