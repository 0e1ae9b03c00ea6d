// The display's picture as the show holds it: 80 character codes and the
// eight user-definable glyphs that codes 0 to 7 stand for.
#pragma once

#include <cstdint>

inline constexpr int screen_columns = 20;
inline constexpr int screen_rows = 4;
inline constexpr int screen_cells = screen_columns * screen_rows;

inline constexpr int glyph_count = 8;    // codes 0 to 7
inline constexpr int glyph_rows = 8;     // top row first
inline constexpr int glyph_columns = 5;  // low five bits of a row byte, bit 4 leftmost
inline constexpr uint8_t glyph_row_mask = 0x1F;

inline constexpr uint8_t blank_code = 32;

// Pixel plane of the whole display, cells laid edge to edge without gaps.
inline constexpr int pixel_columns = screen_columns * glyph_columns;  // 100
inline constexpr int pixel_rows = screen_rows * glyph_rows;           // 32

// Row-major: row r, column c at r * screen_columns + c. Never holds the
// command prefix byte, since cells go on the wire unescaped.
struct Screen {
    uint8_t cells[screen_cells];
};

// Glyphs for codes 0 to 7 in order, each eight row bytes top row first.
// Bytes are sent exactly as stored (a full row may be stored as 0xFF).
struct GlyphSet {
    uint8_t glyphs[glyph_count][glyph_rows];
};

inline constexpr int cell_index(int row, int column) {
    return row * screen_columns + column;
}

// Sets all 80 cells to one code.
void fill_screen(Screen& screen, uint8_t code);
