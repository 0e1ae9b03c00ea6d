// Timeline row 8: a rectangle whose four sides move with pixel precision.
// The border cells use seven glyphs rebuilt every frame from where the sides
// lie inside their cells; the inside shows a full block.
#pragma once

#include <cstdint>

#include "display/screen.h"

inline constexpr int32_t box_out_start_ms = 8500;

// Glyph codes of the nine kinds of cell; the bottom-right corner shares the
// bottom edge's glyph, since there are only eight codes.
inline constexpr uint8_t box_top_left_code = 0;
inline constexpr uint8_t box_top_right_code = 1;
inline constexpr uint8_t box_bottom_left_code = 2;
inline constexpr uint8_t box_inside_code = 3;
inline constexpr uint8_t box_top_code = 4;
inline constexpr uint8_t box_left_code = 5;
inline constexpr uint8_t box_right_code = 6;
inline constexpr uint8_t box_bottom_code = 7;

// The rectangle on the pixel plane: columns left to right and rows top to
// bottom - 1 are lit (bottom is the first row below it).
struct BoxSides {
    int32_t left;    // 5 to 45
    int32_t right;   // 55 to 95
    int32_t top;     // 0 to 16
    int32_t bottom;  // 16 to 32
};

// Where the sides lie at t: each a sine of t, scaled, truncated, centred.
BoxSides box_sides(int32_t t);

// Defines the inside glyph (code 3) once as the scene begins.
void box_init();

// Draws the rectangle and sends its eight glyphs (codes 3, 0, 1, 2, 4, 5, 6,
// 7 in that order), then applies the entry and exit wipes.
void box_update(int32_t t, Screen& screen);
