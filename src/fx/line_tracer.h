// One-pixel lines on a pixel grid, traced with integer steps.
#pragma once

#include <cstdint>

#include "fx/four_sub_rows.h"

// Lights every pixel of the line from (x0, y0) to (x1, y1), both ends
// included, that lies inside the grid. The whole path is traced even where
// it runs outside, so clipping drops pixels and never bends the line. The
// minor coordinate moves on a tie, so a segment drawn the other way round
// may differ in a pixel.
void draw_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, PixelGrid& grid);
