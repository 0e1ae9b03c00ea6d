// Timeline row 10: a still picture between the four-row scrollers and the
// cube, the block letters HD over the word "ready", drawn with the big
// font's glyphs. Enters and leaves with the column wipes.
#pragma once

#include <cstdint>

#include "display/screen.h"

void ready_screen_update(int32_t t, Screen& screen);
