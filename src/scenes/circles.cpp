#include "scenes/circles.h"

// Placeholder until the scene is built: the row shows a blank display.
void circles_init() {}
void circles_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
