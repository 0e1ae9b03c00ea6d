// The spectrum analyser that opens and closes the show: one bar per column,
// up to 32 pixel rows tall, drawn every frame from the music's spectrum.
#pragma once

#include <cstdint>

#include "display/screen.h"

inline constexpr int spectrum_bars_columns = screen_columns;  // bands 0 to 19
inline constexpr double spectrum_bars_scale = 100.0;  // pixel rows per unit of summed magnitude

extern const GlyphSet bar_glyphs;

void spectrum_bars_init();
void spectrum_bars_update(int32_t t, Screen& screen);
