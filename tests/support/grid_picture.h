// Pixel grids as text pictures, one line a row, so that a failing
// comparison shows where two grids differ (screens: screen_picture.h); and
// the upload that every scene drawing on a grid starts with.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "display/commands.h"
#include "display/screen.h"
#include "fx/four_sub_rows.h"
#include "support/capture_sink.h"
#include "support/screen_picture.h"

// '#' lit, '.' dark; every row ends in '\n'.
inline std::string grid_picture(const PixelGrid& grid) {
    std::string picture;
    for (int y = 0; y < grid_rows; ++y) {
        for (int x = 0; x < grid_columns; ++x)
            picture += grid.pixels[grid_index(y, x)] == 0 ? '.' : '#';
        picture += '\n';
    }
    return picture;
}

// The grid that grid_picture draws as `picture`.
inline PixelGrid grid_from_picture(const std::string& picture) {
    PixelGrid grid{};
    int at = 0;
    for (char c : picture) {
        if (c == '\n') continue;
        if (at < grid_pixels) grid.pixels[at] = c == '#' ? 1 : 0;
        ++at;
    }
    EXPECT_EQ(at, grid_pixels) << "a grid picture has 16 rows of 20";
    return grid;
}

// The eight glyph definitions of the sub-row bands, as they go on the wire:
// sub-row k is glyph rows 2k and 2k + 1.
inline Bytes expected_sub_row_upload() {
    // clang-format off
    const uint8_t rows[glyph_count][glyph_rows] = {
        {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F},  // 0: full block
        {0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // 1: top bar
        {0x00, 0x00, 0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00},  // 2: upper middle bar
        {0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F, 0x00, 0x00},  // 3: lower middle bar
        {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F},  // 4: bottom bar
        {0x1F, 0x1F, 0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00},  // 5: upper half
        {0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F},  // 6: top and bottom bars
        {0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F, 0x1F, 0x1F},  // 7: lower half
    };
    // clang-format on
    Bytes wire;
    for (int g = 0; g < glyph_count; ++g) {
        wire.insert(wire.end(), {cmd::prefix, cmd::define_glyph, static_cast<uint8_t>(g)});
        wire.insert(wire.end(), rows[g], rows[g] + glyph_rows);
    }
    return wire;
}
