#include "scenes/wave_pattern.h"

// Placeholder until the scene is built: the row shows a blank display.
void wave_pattern_init() {}
void wave_pattern_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
