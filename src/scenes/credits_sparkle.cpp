#include "scenes/credits_sparkle.h"

// Placeholder until the scene is built: the row shows a blank display.
void credits_sparkle_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
