// Timeline row 7: bars sliding sideways by redefining all eight glyphs each
// frame. Every cell shows the code of its column modulo 8, so the glyphs side
// by side make a 40-pixel strip that repeats across the display.
#pragma once

#include <cstdint>

#include "display/screen.h"

inline constexpr int32_t sine_bars_out_start_ms = 7000;
inline constexpr int sine_bars_strip_columns = glyph_count * glyph_columns;  // 40

// Where the bars stand at t: d swings between 440 and 560; the wide bar
// starts at strip column a mod 40, the narrow pair at b mod 40 and 20 beyond.
struct SineBarsPlace {
    float d;
    int32_t a;  // d truncated
    int32_t b;  // d / 2 truncated
};

SineBarsPlace sine_bars_place(int32_t t);

// Writes the fixed codes, sends all eight glyphs (blank ones included) with
// upload_glyph_set, then applies the entry and exit wipes.
void sine_bars_update(int32_t t, Screen& screen);
