// A 20x16 pixel grid shown on the display, four grid rows to a cell: each
// cell shows one grid column and four grid rows (its sub-rows, top first),
// each sub-row a full-width band two display pixel rows high.
#pragma once

#include <cstdint>

#include "display/screen.h"

inline constexpr int sub_rows_per_cell = 4;
inline constexpr int grid_columns = screen_columns;                        // 20
inline constexpr int grid_rows = screen_rows * sub_rows_per_cell;          // 16
inline constexpr int grid_pixels = grid_columns * grid_rows;               // 320
inline constexpr int sub_row_pixel_rows = glyph_rows / sub_rows_per_cell;  // 2

// Row-major, one byte a pixel: row y, column x at y * grid_columns + x.
// 0 is dark, 1 lit. A grid lives for one call of a scene's update.
struct PixelGrid {
    uint8_t pixels[grid_pixels];
};

// A position in grid columns and rows; it may lie outside the grid.
struct GridPoint {
    int32_t x;
    int32_t y;
};

inline constexpr int grid_index(int y, int x) {
    return y * grid_columns + x;
}

inline constexpr bool grid_contains(int64_t x, int64_t y) {
    return x >= 0 && x < grid_columns && y >= 0 && y < grid_rows;
}

// Sets every pixel dark.
void clear_grid(PixelGrid& grid);

// The glyphs that map_four_sub_rows writes: bands for single sub-rows and
// the few pairs and quadruple that fit in eight glyphs. The scenes that
// draw on a grid upload this set when they begin.
extern const GlyphSet sub_row_glyphs;

// Writes, for every cell whose four pixels are not all dark, the code of
// sub_row_glyphs that shows its pattern (or the nearest one for the seven
// patterns no glyph shows). All-dark cells keep what the screen held.
void map_four_sub_rows(const PixelGrid& grid, Screen& screen);
