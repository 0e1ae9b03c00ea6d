#include "scenes/four_row_scrollers.h"

// Placeholder until the scene is built: the row shows a blank display.
void four_row_scrollers_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
