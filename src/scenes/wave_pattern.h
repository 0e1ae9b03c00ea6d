// Timeline row 5: a stretched, swaying pattern of solid and checkered areas.
// A fixed pattern of eight rows, repeating every twelve columns, is sampled
// across the display with a scale and offset that swing with t (and, after
// 10 s, drift); each cell shows two pattern rows, one in each half.
#pragma once

#include <cstdint>

#include "display/screen.h"

inline constexpr int wave_rows = 8;
inline constexpr int wave_columns = 12;
inline constexpr int32_t wave_pattern_out_start_ms = 13500;
inline constexpr int32_t wave_drift_start_ms = 10000;

// Pattern values: what one half of a cell shows.
inline constexpr uint8_t wave_empty = 0;
inline constexpr uint8_t wave_solid = 1;
inline constexpr uint8_t wave_checkered = 2;

extern const uint8_t wave_table[wave_rows][wave_columns];

// Codes 0 to 7: the nine combinations of upper and lower half but empty over
// empty, which is the blank.
extern const GlyphSet wave_glyphs;

// One frame's sampled pattern: row r, column x at cells[r * 20 + x]. Display
// row R shows rows 2R (upper half) and 2R + 1 (lower half).
struct WaveGrid {
    uint8_t cells[wave_rows * screen_columns];
};

// Writes the code of each cell's two halves into a Screen the caller has
// blanked; a cell empty in both halves, or holding a value other than 0, 1
// or 2, is left as it is.
void map_two_sub_rows(const WaveGrid& grid, Screen& screen);

// The drift in pattern columns: 0 up to t = 10000, then one more every 50 ms.
float wave_pattern_drift(int32_t t);

// The pattern column (0 to 11) that each display column shows at t.
void wave_pattern_columns(int32_t t, uint8_t columns[screen_columns]);

// Uploads wave_glyphs.
void wave_pattern_init();

// Samples the pattern, maps it onto the glyphs, and applies the entry and
// exit wipes.
void wave_pattern_update(int32_t t, Screen& screen);
