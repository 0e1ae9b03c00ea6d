#include "scenes/rotating_cube.h"

// Placeholder until the scene is built: the row shows a blank display.
void rotating_cube_init() {}
void rotating_cube_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
