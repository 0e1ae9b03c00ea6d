#include "scenes/ready_screen.h"

// Placeholder until the scene is built: the row shows a blank display.
void ready_screen_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
