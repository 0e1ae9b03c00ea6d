#include "scenes/big_scroller.h"

#include <algorithm>

#include "fx/big_font.h"

namespace {

// Three spaces between the two halves of the first message, one at its end.
constexpr char big_scroller_a_text[] = "AFTER TEN YEARS   WE ARE BACK WITH A NEW ";
constexpr char big_scroller_b_text[] = "SCROLLERS SUCK";

static_assert(sizeof big_scroller_a_text - 1 == 41 && big_text_width(big_scroller_a_text) == 238);
static_assert(sizeof big_scroller_b_text - 1 == 14 && big_text_width(big_scroller_b_text) == 94);

}  // namespace

void big_scroller_update(int32_t t, Screen& screen, const char* text, int32_t ms_per_column) {
    fill_screen(screen, blank_code);
    const int64_t steps = ms_per_column > 0 ? t / ms_per_column : 0;
    // A negative t (never given by the timeline) moves the text further
    // right; far enough, and it could leave the 32-bit range: hold it at
    // the last column that range offers, where it is just as invisible.
    const int64_t first_column = std::min<int64_t>(big_scroller_start_column - steps, INT32_MAX);
    draw_big_text(screen, text, static_cast<int32_t>(first_column));
}

void big_scroller_a_update(int32_t t, Screen& screen) {
    big_scroller_update(t, screen, big_scroller_a_text, big_scroller_a_ms_per_column);
}

void big_scroller_b_update(int32_t t, Screen& screen) {
    big_scroller_update(t, screen, big_scroller_b_text, big_scroller_b_ms_per_column);
}
