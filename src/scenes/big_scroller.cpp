#include "scenes/big_scroller.h"

// Placeholder until the scene is built: the row shows a blank display.
void big_scroller_a_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
void big_scroller_b_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
