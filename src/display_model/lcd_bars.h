// The module's own bar graphs and big digits: each load command puts a glyph
// set of our own drawing into glyph memory, and the draw commands place the
// codes of that set (or the solid block) into display memory. Like the
// module, drawing uses whatever the glyphs are now: a client that draws
// without loading sees its own glyphs. The routines work on the display's
// memories alone, handed to them by the model.
#pragma once

#include <cstdint>

#include "display/screen.h"

enum class LcdBarStyle : uint8_t { none, horizontal, narrow_vertical, wide_vertical, big_digits };

inline constexpr int lcd_bar_max_length_pixels = pixel_columns;  // a horizontal bar
inline constexpr int lcd_big_digit_columns = 3;
inline constexpr int lcd_big_digit_last_column = screen_columns - lcd_big_digit_columns;  // 0-based

// Loads the glyph set of a style (none loads nothing).
void lcd_bars_load(uint8_t glyphs[glyph_count][glyph_rows], LcdBarStyle style);

// A bar `length` pixels long from cell (column, row), 0-based, growing to
// the right (direction 0) or to the left (any other); clipped to its row.
void lcd_bars_horizontal(uint8_t cells[screen_cells], int column, int row, int direction,
                         int length);

// A bar `length` pixel rows tall in one column, from the bottom; the whole
// column is redrawn, blank above the bar. Its full cells are the narrow
// set's full glyph when that set is loaded, else the solid block.
void lcd_bars_vertical(uint8_t cells[screen_cells], LcdBarStyle loaded, int column, int length);

// Big digit 0 to 9, three cells wide and four tall, its left edge at
// `column` (0-based); other digits draw nothing. Returns whether it drew.
bool lcd_bars_big_digit(uint8_t cells[screen_cells], int column, int digit);
