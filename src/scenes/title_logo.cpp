#include "scenes/title_logo.h"

// Placeholder until the scene is built: the row shows a blank display.
void title_logo_init() {}
void title_logo_update(int32_t, Screen& screen) {
    fill_screen(screen, blank_code);
}
