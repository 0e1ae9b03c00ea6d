#include "fx/four_sub_rows.h"

#include <cstring>

namespace {

// Written for an all-dark cell: nothing.
constexpr uint8_t four_sub_rows_none = 0xFF;

// Code for each pattern, indexed by sub-rows 0 1 2 3 read as the binary
// digits of the index, sub-row 0 the most significant. Where no glyph shows
// the pattern, the comment names what the written one shows instead.
// clang-format off
constexpr uint8_t four_sub_rows_codes[] = {
    four_sub_rows_none,  // 0000
    4,                   // 0001
    3,                   // 0010
    7,                   // 0011
    2,                   // 0100
    7,                   // 0101: sub-rows 2 and 3
    2,                   // 0110: sub-row 1 only
    7,                   // 0111: sub-rows 2 and 3
    1,                   // 1000
    6,                   // 1001
    5,                   // 1010: sub-rows 0 and 1
    0,                   // 1011: all four
    5,                   // 1100
    0,                   // 1101: all four
    5,                   // 1110: sub-rows 0 and 1
    0,                   // 1111
};
// clang-format on
static_assert(sizeof four_sub_rows_codes == 1 << sub_rows_per_cell);

}  // namespace

void clear_grid(PixelGrid& grid) {
    std::memset(grid.pixels, 0, sizeof grid.pixels);
}

void map_four_sub_rows(const PixelGrid& grid, Screen& screen) {
    for (int row = 0; row < screen_rows; ++row) {
        for (int column = 0; column < screen_columns; ++column) {
            unsigned pattern = 0;
            for (int sub = 0; sub < sub_rows_per_cell; ++sub) {
                const uint8_t pixel =
                    grid.pixels[grid_index(row * sub_rows_per_cell + sub, column)];
                pattern = pattern << 1 | (pixel != 0 ? 1u : 0u);
            }
            const uint8_t code = four_sub_rows_codes[pattern];
            if (code != four_sub_rows_none) screen.cells[cell_index(row, column)] = code;
        }
    }
}

// Each sub-row is two glyph rows; full rows stored as 1F.
// clang-format off
const GlyphSet sub_row_glyphs = {{
    {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F},  // 0: sub-rows 0 1 2 3, full block
    {0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // 1: sub-row 0, bar at the top
    {0x00, 0x00, 0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00},  // 2: sub-row 1
    {0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F, 0x00, 0x00},  // 3: sub-row 2
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F},  // 4: sub-row 3, bar at the bottom
    {0x1F, 0x1F, 0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00},  // 5: sub-rows 0 1, upper half
    {0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F},  // 6: sub-rows 0 3, top and bottom
    {0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F, 0x1F, 0x1F},  // 7: sub-rows 2 3, lower half
}};
// clang-format on
