#include "scenes/wave_pattern.h"

#include <cstring>

#include "display/display_link.h"
#include "fx/precision.h"
#include "fx/wipes.h"

namespace {

// amp = 0.5 sin(t / 1000) + 0.2 (the scale); ph = 22 sin(t / 660) (the sway).
constexpr double wave_scale_amplitude = 0.5;
constexpr double wave_scale_period = 1000.0;
constexpr double wave_scale_centre = 0.2f;  // the single-precision 0.2
constexpr double wave_sway_amplitude = 22.0;
constexpr double wave_sway_period = 660.0;
constexpr double wave_drift_step_ms = 50.0;
// Added before the remainder so that the dividend is positive: the sampled
// position never falls below -27.
constexpr int32_t wave_column_bias = 100;

// Code for [upper][lower]; the blank for empty over empty.
constexpr uint8_t wave_codes[3][3] = {
    {blank_code, 2, 7},  // upper empty:     lower empty, solid, checkered
    {1, 0, 3},           // upper solid
    {6, 4, 5},           // upper checkered
};

}  // namespace

void map_two_sub_rows(const WaveGrid& grid, Screen& screen) {
    for (int r = 0; r < screen_rows; ++r) {
        for (int c = 0; c < screen_columns; ++c) {
            const uint8_t upper = grid.cells[(2 * r) * screen_columns + c];
            const uint8_t lower = grid.cells[(2 * r + 1) * screen_columns + c];
            if (upper > wave_checkered || lower > wave_checkered) continue;
            const uint8_t code = wave_codes[upper][lower];
            if (code != blank_code) screen.cells[cell_index(r, c)] = code;
        }
    }
}

float wave_pattern_drift(int32_t t) {
    if (t <= wave_drift_start_ms) return 0.0f;
    return static_cast<float>((static_cast<double>(t) - wave_drift_start_ms) / wave_drift_step_ms);
}

void wave_pattern_columns(int32_t t, uint8_t columns[screen_columns]) {
    const double drift = wave_pattern_drift(t);
    const float tf = static_cast<float>(t);
    const double amp =
        wave_scale_amplitude * sin_single(tf / wave_scale_period) + wave_scale_centre;
    const double ph = wave_sway_amplitude * sin_single(tf / wave_sway_period);
    for (int x = 0; x < screen_columns; ++x) {
        const int32_t position = truncate_to_int((x * amp + ph) + drift);
        columns[x] = static_cast<uint8_t>((position + wave_column_bias) % wave_columns);
    }
}

void wave_pattern_init() {
    upload_glyph_set(wave_glyphs);
}

void wave_pattern_update(int32_t t, Screen& screen) {
    fill_screen(screen, blank_code);
    WaveGrid grid;
    std::memset(grid.cells, wave_empty, sizeof grid.cells);
    uint8_t columns[screen_columns];
    wave_pattern_columns(t, columns);
    for (int r = 0; r < wave_rows; ++r) {
        for (int x = 0; x < screen_columns; ++x) {
            grid.cells[r * screen_columns + x] = wave_table[r][columns[x]];
        }
    }
    map_two_sub_rows(grid, screen);
    wipe_in(screen, t);
    wipe_out(screen, t, wave_pattern_out_start_ms);
}

// clang-format off
const uint8_t wave_table[wave_rows][wave_columns] = {
    {1, 1, 1, 0, 0, 0, 2, 2, 2, 0, 0, 0},  // row 0
    {1, 1, 1, 1, 0, 2, 2, 2, 2, 2, 0, 1},  // row 1
    {1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 1, 1},  // row 2
    {1, 1, 1, 2, 2, 2, 2, 2, 2, 1, 1, 1},  // row 3
    {1, 1, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1},  // row 4
    {1, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1},  // row 5
    {0, 2, 2, 2, 2, 2, 0, 1, 1, 1, 1, 1},  // row 6
    {0, 0, 2, 2, 2, 0, 0, 0, 1, 1, 1, 0},  // row 7
};

// Solid rows stored as FF; 15 (#.#.#) and 0A (.#.#.) alternate into a
// checkerboard. Upper half rows 0-3, lower half rows 4-7.
const GlyphSet wave_glyphs = {{
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // 0: solid over solid
    {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00},  // 1: solid over empty
    {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},  // 2: empty over solid
    {0xFF, 0xFF, 0xFF, 0xFF, 0x15, 0x0A, 0x15, 0x0A},  // 3: solid over checkered
    {0x15, 0x0A, 0x15, 0x0A, 0xFF, 0xFF, 0xFF, 0xFF},  // 4: checkered over solid
    {0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A},  // 5: checkered over checkered
    {0x15, 0x0A, 0x15, 0x0A, 0x00, 0x00, 0x00, 0x00},  // 6: checkered over empty
    {0x00, 0x00, 0x00, 0x00, 0x15, 0x0A, 0x15, 0x0A},  // 7: empty over checkered
}};
// clang-format on
