// Timeline row 3: the title screen. The block letters LCD over the top
// three rows with the caption spaced out beneath; after two seconds the
// picture slides two columns left, and half a second later a block digit
// appears at the right edge. Enters and leaves with the column wipes.
#pragma once

#include <cstdint>

#include "display/screen.h"

// The title's own glyphs: the font's corners and block, with a small curve
// and the two half blocks that the digit needs.
extern const GlyphSet title_glyphs;

void title_logo_init();
void title_logo_update(int32_t t, Screen& screen);
