// The integer line tracer: its step and tie rules, both ends, and clipping
// that drops pixels without bending or wrapping the line.
#include <gtest/gtest.h>

#include <string>

#include "fx/line_tracer.h"
#include "support/grid_picture.h"

namespace {

// The lit pixels as "(x,y)" in row-major order.
std::string lit(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    PixelGrid grid{};
    draw_line(x0, y0, x1, y1, grid);
    std::string pixels;
    for (int y = 0; y < grid_rows; ++y) {
        for (int x = 0; x < grid_columns; ++x) {
            if (grid.pixels[grid_index(y, x)] == 0) continue;
            if (!pixels.empty()) pixels += ' ';
            pixels += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
        }
    }
    return pixels;
}

TEST(DrawLine, MostlyHorizontalStepsYOnATie) {
    EXPECT_EQ(lit(0, 0, 5, 2), "(0,0) (1,0) (2,1) (3,1) (4,2) (5,2)");
    EXPECT_EQ(lit(5, 2, 0, 0), "(0,0) (1,0) (2,1) (3,1) (4,2) (5,2)");
    EXPECT_EQ(lit(9, 4, 0, 4), "(0,4) (1,4) (2,4) (3,4) (4,4) (5,4) (6,4) (7,4) (8,4) (9,4)");
}

TEST(DrawLine, DirectionDecidesThePixelOfATie) {
    EXPECT_EQ(lit(0, 0, 4, 1), "(0,0) (1,0) (2,1) (3,1) (4,1)");
    EXPECT_EQ(lit(4, 1, 0, 0), "(0,0) (1,0) (2,0) (3,1) (4,1)");
}

TEST(DrawLine, MostlyVerticalAndDiagonalStepXOnATie) {
    EXPECT_EQ(lit(2, 0, 0, 4), "(2,0) (1,1) (1,2) (0,3) (0,4)");
    EXPECT_EQ(lit(0, 0, 3, 3), "(0,0) (1,1) (2,2) (3,3)");
    EXPECT_EQ(lit(3, 0, 0, 3), "(3,0) (2,1) (1,2) (0,3)");
    EXPECT_EQ(lit(6, 5, 6, 1), "(6,1) (6,2) (6,3) (6,4) (6,5)");
}

TEST(DrawLine, ASinglePointLightsOnePixel) {
    EXPECT_EQ(lit(3, 3, 3, 3), "(3,3)");
    EXPECT_EQ(lit(-1, 3, -1, 3), "");
}

TEST(DrawLine, ClippingDropsPixelsButKeepsThePath) {
    // Both ends outside: the 20 pixels where the traced path crosses.
    PixelGrid grid{};
    draw_line(-3, -2, 22, 17, grid);
    EXPECT_EQ(grid_picture(grid),
              "#...................\n"
              ".#..................\n"
              "..#.................\n"
              "...##...............\n"
              ".....#..............\n"
              "......#.............\n"
              ".......##...........\n"
              ".........#..........\n"
              "..........#.........\n"
              "...........##.......\n"
              ".............#......\n"
              "..............#.....\n"
              "...............##...\n"
              ".................#..\n"
              "..................#.\n"
              "...................#\n");
}

TEST(DrawLine, NeverWrapsIntoTheNeighbouringRow) {
    PixelGrid grid{};
    draw_line(-100, 7, 100, 7, grid);
    draw_line(25, -40, 25, 40, grid);  // wholly right of the grid
    draw_line(-1, -30, -1, 30, grid);  // wholly left of it
    draw_line(-40, 16, 40, 16, grid);  // just below it
    EXPECT_EQ(grid_picture(grid),
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "####################\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n");
}

}  // namespace
