#include "display_model/lcd_bars.h"

#include <cstring>

#include "display_model/char_rom.h"

namespace {

constexpr int lcd_bars_narrow_full_glyph = 7;  // a narrow bar's full cell is a glyph too
constexpr int lcd_bars_left_glyphs = 4;        // glyphs 4 to 7 grow from the right edge

constexpr uint8_t lcd_bars_digit_top = 0;     // glyph: the top three pixel rows
constexpr uint8_t lcd_bars_digit_bottom = 1;  // glyph: the bottom three pixel rows

extern const uint8_t lcd_bars_horizontal_glyphs[glyph_count][glyph_rows];
extern const uint8_t lcd_bars_narrow_glyphs[glyph_count][glyph_rows];
extern const uint8_t lcd_bars_wide_glyphs[glyph_count][glyph_rows];
extern const uint8_t lcd_bars_digit_glyphs[glyph_count][glyph_rows];
extern const char* const lcd_bars_digits[10][screen_rows];

}  // namespace

void lcd_bars_load(uint8_t glyphs[glyph_count][glyph_rows], LcdBarStyle style) {
    const uint8_t(*set)[glyph_rows] = nullptr;
    switch (style) {
        case LcdBarStyle::none:
            return;
        case LcdBarStyle::horizontal:
            set = lcd_bars_horizontal_glyphs;
            break;
        case LcdBarStyle::narrow_vertical:
            set = lcd_bars_narrow_glyphs;
            break;
        case LcdBarStyle::wide_vertical:
            set = lcd_bars_wide_glyphs;
            break;
        case LcdBarStyle::big_digits:
            set = lcd_bars_digit_glyphs;
            break;
    }
    std::memcpy(glyphs, set, glyph_count * glyph_rows);
}

void lcd_bars_horizontal(uint8_t cells[screen_cells], int column, int row, int direction,
                         int length) {
    const int step = direction == 0 ? 1 : -1;
    for (int c = column; c >= 0 && c < screen_columns && length > 0; c += step) {
        const int fill = length < glyph_columns ? length : glyph_columns;
        uint8_t code = char_rom_block_code;
        if (fill < glyph_columns)
            code =
                static_cast<uint8_t>(direction == 0 ? fill - 1 : lcd_bars_left_glyphs + fill - 1);
        cells[cell_index(row, c)] = code;
        length -= fill;
    }
}

void lcd_bars_vertical(uint8_t cells[screen_cells], LcdBarStyle loaded, int column, int length) {
    const bool narrow = loaded == LcdBarStyle::narrow_vertical;
    for (int row = screen_rows - 1; row >= 0; --row) {
        const int below = (screen_rows - 1 - row) * glyph_rows;
        int fill = length - below;
        if (fill > glyph_rows) fill = glyph_rows;
        uint8_t code = blank_code;
        if (fill == glyph_rows) {
            code = narrow ? lcd_bars_narrow_full_glyph : char_rom_block_code;
        } else if (fill > 0) {
            code = static_cast<uint8_t>(fill - 1);
        }
        cells[cell_index(row, column)] = code;
    }
}

bool lcd_bars_big_digit(uint8_t cells[screen_cells], int column, int digit) {
    if (digit < 0 || digit > 9) return false;
    for (int row = 0; row < screen_rows; ++row) {
        for (int i = 0; i < lcd_big_digit_columns && column + i < screen_columns; ++i) {
            uint8_t code = blank_code;
            switch (lcd_bars_digits[digit][row][i]) {
                case '#':
                    code = char_rom_block_code;
                    break;
                case '^':
                    code = lcd_bars_digit_top;
                    break;
                case '_':
                    code = lcd_bars_digit_bottom;
                    break;
                default:
                    break;
            }
            cells[cell_index(row, column + i)] = code;
        }
    }
    return true;
}

namespace {

// Our own glyph sets. Rows top first, bit 4 leftmost.
// clang-format off
const uint8_t lcd_bars_horizontal_glyphs[glyph_count][glyph_rows] = {
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10},  // 0: left 1 column   #....
    {0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18},  // 1: left 2           ##...
    {0x1C, 0x1C, 0x1C, 0x1C, 0x1C, 0x1C, 0x1C, 0x1C},  // 2: left 3           ###..
    {0x1E, 0x1E, 0x1E, 0x1E, 0x1E, 0x1E, 0x1E, 0x1E},  // 3: left 4           ####.
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},  // 4: right 1          ....#
    {0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03},  // 5: right 2          ...##
    {0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07},  // 6: right 3          ..###
    {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F},  // 7: right 4          .####
};

const uint8_t lcd_bars_narrow_glyphs[glyph_count][glyph_rows] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0E},  // 0: bottom 1 row of .###.
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0E, 0x0E},  // 1: bottom 2
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0E, 0x0E, 0x0E},  // 2: bottom 3
    {0x00, 0x00, 0x00, 0x00, 0x0E, 0x0E, 0x0E, 0x0E},  // 3: bottom 4
    {0x00, 0x00, 0x00, 0x0E, 0x0E, 0x0E, 0x0E, 0x0E},  // 4: bottom 5
    {0x00, 0x00, 0x0E, 0x0E, 0x0E, 0x0E, 0x0E, 0x0E},  // 5: bottom 6
    {0x00, 0x0E, 0x0E, 0x0E, 0x0E, 0x0E, 0x0E, 0x0E},  // 6: bottom 7
    {0x0E, 0x0E, 0x0E, 0x0E, 0x0E, 0x0E, 0x0E, 0x0E},  // 7: all 8 (the full cell)
};

const uint8_t lcd_bars_wide_glyphs[glyph_count][glyph_rows] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},  // 0: bottom 1 row of #####
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F},  // 1: bottom 2
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F, 0x1F},  // 2: bottom 3
    {0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F, 0x1F, 0x1F},  // 3: bottom 4
    {0x00, 0x00, 0x00, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F},  // 4: bottom 5
    {0x00, 0x00, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F},  // 5: bottom 6
    {0x00, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F},  // 6: bottom 7
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // 7: unused (the full cell is the block)
};

const uint8_t lcd_bars_digit_glyphs[glyph_count][glyph_rows] = {
    {0x1F, 0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00},  // 0: top strip    ^
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F, 0x1F},  // 1: bottom strip _
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // 2 to 7: unused
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
};

// Big digits, four rows of three cells: '#' the solid block, '^' the top
// strip, '_' the bottom strip, ' ' blank.
const char* const lcd_bars_digits[10][screen_rows] = {
    {"#^#", "# #", "# #", "#_#"},  // 0
    {"^# ", " # ", " # ", "_#_"},  // 1
    {"^^#", "__#", "#  ", "#__"},  // 2
    {"^^#", "__#", "  #", "__#"},  // 3
    {"# #", "#_#", "  #", "  #"},  // 4
    {"#^^", "#__", "  #", "__#"},  // 5
    {"#^^", "#__", "# #", "#_#"},  // 6
    {"^^#", "  #", "  #", "  #"},  // 7
    {"#^#", "#_#", "# #", "#_#"},  // 8
    {"#^#", "#_#", "  #", "__#"},  // 9
};
// clang-format on

}  // namespace
