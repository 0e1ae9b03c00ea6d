// Block capitals four rows tall, built from eight block glyphs, and the
// routine that draws a line of them at any column, partly or wholly off the
// display included.
#pragma once

#include <array>
#include <cstdint>

#include "display/screen.h"

// A letter is a box of 4 rows by 5 cells, one cell a screen code: a glyph
// of font_glyph_set (0 to 6) or a blank.
inline constexpr int big_font_letters = 26;  // A to Z
inline constexpr int big_font_rows = screen_rows;
inline constexpr int big_font_columns = 5;
inline constexpr int big_font_letter_cells = big_font_rows * big_font_columns;   // 20
inline constexpr int big_font_cells = big_font_letters * big_font_letter_cells;  // 520

// Columns that the pen moves on after each character: a letter and the two
// empty columns after it, I (one cell wide) and one empty column, a space.
inline constexpr int big_font_letter_advance = big_font_columns + 2;  // 7
inline constexpr int big_font_narrow_advance = 2;                     // after I
inline constexpr int big_font_space_advance = 3;                      // and anything else

// The glyphs that give the letters their shapes (rounded corners, diagonal
// halves, the full block); glyph 7 is uploaded too but the letters never
// use it.
extern const GlyphSet font_glyph_set;

// Letter L (0 for A), row r, cell k at L * 20 + r * 5 + k.
extern const std::array<uint8_t, big_font_cells> big_font;

// Columns that draw_big_text moves on after character c.
constexpr int big_text_advance(char c) {
    if (c == 'I') return big_font_narrow_advance;
    if (c >= 'A' && c <= 'Z') return big_font_letter_advance;
    return big_font_space_advance;
}

// The width of a text in columns: the sum of its advances, a trailing space
// included.
constexpr int big_text_width(const char* text) {
    int width = 0;
    for (; *text != '\0'; ++text) width += big_text_advance(*text);
    return width;
}

// The scene_init of the rows that draw with the big font: uploads
// font_glyph_set, nothing else.
void upload_font_glyphs();

// Draws `text` (zero-terminated) into all four rows, the left cell of its
// first character at `first_column`, which may lie anywhere left of, on or
// right of the display. Each letter writes its whole 5-column box (blank
// cells too) wherever the box meets columns 0 to 19 and skips the rest;
// later letters win where boxes overlap. Nothing else is touched: a space
// draws nothing. Characters other than capitals and space (lowercase,
// digits, punctuation, bytes above 127) draw nothing and advance as a
// space, so that no byte of a text reads outside big_font. A null or empty
// text draws nothing.
void draw_big_text(Screen& screen, const char* text, int32_t first_column);
