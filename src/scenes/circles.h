// Timeline row 6: three soft discs wander over a 20x16 pixel grid. Each disc
// is a cone of brightness; the cones are summed and only sums of 5 and 6
// are lit, so a lone disc shows as a ring and discs that meet merge into
// shared outlines.
#pragma once

#include <cstdint>

#include "display/screen.h"
#include "fx/four_sub_rows.h"

inline constexpr int disc_size = 16;  // table rows and columns
inline constexpr int circles_stamp_count = 3;
inline constexpr int32_t circles_out_start_ms = 22000;

// The cone: entry (i, j) is max(0, 8 - distance of (j, i) from (7.5, 7.5)),
// single precision. Filled by circles_init, read by every update.
extern float disc_table[disc_size][disc_size];

// Uploads sub_row_glyphs, then fills disc_table.
void circles_init();

// Draws the frame for t: the rings on a grid, mapped onto glyphs, then the
// entry and exit wipes.
void circles_update(int32_t t, Screen& screen);

// Top-left corners of the three stamps at t, in stamping order.
void circles_corners(int32_t t, GridPoint corners[circles_stamp_count]);

// Adds the disc's truncated values to the grid bytes it covers with its
// top-left corner at `corner`; entries off the grid are dropped.
void circles_stamp(PixelGrid& grid, GridPoint corner);

// Lights sums of 5 and 6; darkens every other value.
void circles_threshold(PixelGrid& grid);

// The lit grid at t (the corners, the three stamps, the threshold).
void circles_draw(int32_t t, PixelGrid& grid);
