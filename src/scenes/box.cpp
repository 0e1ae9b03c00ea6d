#include "scenes/box.h"

// Placeholder until the scene is built: the row shows a blank display.
void box_init() {}
void box_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
