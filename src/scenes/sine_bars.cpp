#include "scenes/sine_bars.h"

#include "display/display_link.h"
#include "fx/precision.h"
#include "fx/wipes.h"

namespace {

// base = 20 sin((t + 2000) / 800) + 500; d = 40 sin(t / 550 + 0.5) + base.
constexpr int32_t sine_bars_base_lead_ms = 2000;
constexpr double sine_bars_base_period = 800.0;
constexpr double sine_bars_base_amplitude = 20.0;
constexpr double sine_bars_base_centre = 500.0;
constexpr double sine_bars_swing_period = 550.0;
constexpr double sine_bars_swing_phase = 0.5;
constexpr double sine_bars_swing_amplitude = 40.0;

// Strip columns lit relative to each bar's start.
constexpr int sine_bars_wide_offsets[] = {0, 1, 2, 3, 4};
constexpr int sine_bars_narrow_offsets[] = {0, 1, 20, 21};

// Lights strip column p in all eight rows of its glyph; p is never negative,
// since d stays between 440 and 560.
void sine_bars_light(GlyphSet& set, int32_t p) {
    const int32_t column = p % sine_bars_strip_columns;
    const uint8_t bit = static_cast<uint8_t>(1u << (glyph_columns - 1 - column % glyph_columns));
    for (uint8_t& row : set.glyphs[column / glyph_columns]) row |= bit;
}

}  // namespace

SineBarsPlace sine_bars_place(int32_t t) {
    const float lead = static_cast<float>(int64_t{t} + sine_bars_base_lead_ms);
    const float tf = static_cast<float>(t);
    const double base =
        sine_bars_base_amplitude * sin_single(lead / sine_bars_base_period) + sine_bars_base_centre;
    const float d =
        static_cast<float>(sine_bars_swing_amplitude *
                               sin_single(tf / sine_bars_swing_period + sine_bars_swing_phase) +
                           base);
    return {d, truncate_to_int(d), truncate_to_int(d / 2.0)};
}

void sine_bars_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    for (int r = 0; r < screen_rows; ++r) {
        for (int c = 0; c < screen_columns; ++c) {
            screen.cells[cell_index(r, c)] = static_cast<uint8_t>(c % glyph_count);
        }
    }

    GlyphSet set = {};
    const SineBarsPlace place = sine_bars_place(t);
    for (int k : sine_bars_wide_offsets) sine_bars_light(set, place.a + k);
    for (int k : sine_bars_narrow_offsets) sine_bars_light(set, place.b + k);
    upload_glyph_set(set);

    wipe_in(screen, t);
    wipe_out(screen, t, sine_bars_out_start_ms);
}
