#include "web/page_display.h"

#include <cmath>

#include "platform/web/page_line.h"

PageDisplay page_display;

namespace {

constexpr uint32_t display_chunk_bytes = 4096;

}  // namespace

void reset_page_display() {
    lcd_model_init(&page_display.model);
    page_display.changed = true;
}

void page_display_feed(const uint8_t* bytes, uint32_t count) {
    lcd_model_feed(&page_display.model, bytes, count);
    page_display.changed = true;
}

bool page_display_catch_up(double at_ms) {
    const LineTicks at = at_ms >= static_cast<double>(line_ticks_never / line_ticks_per_ms)
                             ? line_ticks_never
                             : static_cast<LineTicks>(std::floor(at_ms * line_ticks_per_ms));
    uint8_t chunk[display_chunk_bytes];
    bool fed = false;
    for (uint32_t n; (n = page_line_take_crossed(at, chunk, sizeof chunk)) > 0;) {
        page_display_feed(chunk, n);
        fed = true;
    }
    // Nobody asks the model anything during the show; what it would answer
    // is dropped so that it does not pile up.
    uint8_t replies[lcd_reply_capacity_bytes];
    lcd_model_take_replies(&page_display.model, replies, sizeof replies);
    return fed;
}

void page_display_picture(int palette) {
    if (palette < 0 || palette >= picture_palette_count) palette = 0;
    picture_dots(page_display.model, true, page_display.dots);
    Rgb colours[picture_dot_kinds];
    picture_colours(page_display.model, picture_palettes[palette], colours);
    for (int k = 0; k < picture_dot_kinds; ++k) {
        page_display.colours[3 * k] = colours[k].r;
        page_display.colours[3 * k + 1] = colours[k].g;
        page_display.colours[3 * k + 2] = colours[k].b;
    }
    page_display.changed = false;
}
