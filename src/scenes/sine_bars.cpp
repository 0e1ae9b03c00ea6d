#include "scenes/sine_bars.h"

// Placeholder until the scene is built: the row shows a blank display.
void sine_bars_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
