// The mapper from a 20x16 pixel grid to sub-row glyph codes: every pattern,
// the cell geometry, and cells left alone.
#include <gtest/gtest.h>

#include "fx/four_sub_rows.h"
#include "support/grid_picture.h"
#include "support/screen_picture.h"

namespace {

Screen mapped(const PixelGrid& grid, uint8_t background = blank_code) {
    Screen screen;
    fill_screen(screen, background);
    map_four_sub_rows(grid, screen);
    return screen;
}

TEST(FourSubRows, EveryPatternPicksItsGlyphOrTheNearestOne) {
    // Column p of display row 0 holds pattern p: sub-row 0 is its high bit.
    const PixelGrid grid = grid_from_picture(
        "........########....\n"
        "....####....####....\n"
        "..##..##..##..##....\n"
        ".#.#.#.#.#.#.#.#....\n"
        "....................\n"
        "....................\n"
        "....................\n"
        "....................\n"
        "....................\n"
        "....................\n"
        "....................\n"
        "....................\n"
        "....................\n"
        "....................\n"
        "....................\n"
        "....................\n");
    // Exact: 0001 0010 0011 0100 1000 1001 1100 1111. Nearest: 0101 and
    // 0111 as 7, 0110 as 2, 1010 and 1110 as 5, 1011 and 1101 as 0.
    EXPECT_EQ(screen_picture(mapped(grid)),
              ".437272716505050....\n"
              "....................\n"
              "....................\n"
              "....................\n");
}

TEST(FourSubRows, ExactPatternsMatchTheGlyphsTheyName) {
    // Each glyph's bands, read back as a pattern, map to that glyph: the
    // code table and the glyph set agree.
    for (int code = 0; code < glyph_count; ++code) {
        PixelGrid grid{};
        for (int sub = 0; sub < sub_rows_per_cell; ++sub) {
            const uint8_t top = sub_row_glyphs.glyphs[code][sub * sub_row_pixel_rows];
            const uint8_t bottom = sub_row_glyphs.glyphs[code][sub * sub_row_pixel_rows + 1];
            ASSERT_EQ(top, bottom) << "glyph " << code << " sub-row " << sub;
            ASSERT_TRUE(top == 0x00 || top == glyph_row_mask) << "glyph " << code;
            grid.pixels[grid_index(sub, 0)] = top != 0 ? 1 : 0;
        }
        EXPECT_EQ(mapped(grid).cells[0], code);
    }
}

TEST(FourSubRows, CellsShowTheirOwnColumnAndFourRows) {
    PixelGrid grid{};
    EXPECT_EQ(screen_picture(mapped(grid)), blank_frame);

    for (int x = 0; x < grid_columns; ++x) grid.pixels[grid_index(15, x)] = 1;
    EXPECT_EQ(screen_picture(mapped(grid)),
              "....................\n"
              "....................\n"
              "....................\n"
              "44444444444444444444\n");

    clear_grid(grid);
    for (int y = 0; y < grid_rows; ++y) grid.pixels[grid_index(y, 7)] = 1;
    EXPECT_EQ(screen_picture(mapped(grid)),
              ".......0............\n"
              ".......0............\n"
              ".......0............\n"
              ".......0............\n");

    clear_grid(grid);
    grid.pixels[grid_index(4, 0)] = 1;
    grid.pixels[grid_index(11, 19)] = 1;
    EXPECT_EQ(screen_picture(mapped(grid)),
              "....................\n"
              "1...................\n"
              "...................4\n"
              "....................\n");
}

TEST(FourSubRows, DarkCellsKeepWhatTheScreenHeld) {
    PixelGrid grid{};
    grid.pixels[grid_index(9, 3)] = 1;
    EXPECT_EQ(screen_picture(mapped(grid, 'x')),
              "xxxxxxxxxxxxxxxxxxxx\n"
              "xxxxxxxxxxxxxxxxxxxx\n"
              "xxx2xxxxxxxxxxxxxxxx\n"
              "xxxxxxxxxxxxxxxxxxxx\n");
}

}  // namespace
