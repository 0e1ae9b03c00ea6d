// The rotating cube: its projection in single precision, the edges it
// builds up, whole frames, the wipes, and the glyphs it uploads.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scenes/rotating_cube.h"
#include "support/capture_sink.h"
#include "support/grid_picture.h"
#include "support/screen_picture.h"
#include "support/wire_compare.h"

namespace {

std::vector<std::pair<int32_t, int32_t>> projected(int32_t t) {
    GridPoint points[cube_vertex_count];
    rotating_cube_project(t, points);
    std::vector<std::pair<int32_t, int32_t>> list;
    for (const GridPoint& p : points) list.emplace_back(p.x, p.y);
    return list;
}

// The frame before the wipes: the grid mapped onto a blank screen.
Screen unwiped(int32_t t) {
    PixelGrid grid;
    rotating_cube_draw(t, grid);
    Screen screen;
    fill_screen(screen, blank_code);
    map_four_sub_rows(grid, screen);
    return screen;
}

std::string updated(int32_t t) {
    Screen screen;
    fill_screen(screen, 'x');  // whatever the previous scene left
    rotating_cube_update(t, screen);
    return screen_picture(screen);
}

TEST(RotatingCube, ProjectsTheVerticesAtTheStart) {
    const std::vector<std::pair<int32_t, int32_t>> want = {{15, 13}, {15, 6}, {5, 6}, {5, 13},
                                                           {18, 17}, {18, 4}, {2, 4}, {2, 17}};
    EXPECT_EQ(projected(0), want);
}

TEST(RotatingCube, TakesSinesOfSinglePrecisionAngles) {
    // At these times the last vertex lands a column further right if the
    // angles are not first rounded to single precision.
    const std::vector<std::pair<int32_t, int32_t>> at_10925 = {{5, 5}, {5, 12}, {14, 12}, {14, 5},
                                                               {3, 1}, {2, 14}, {18, 13}, {18, 2}};
    EXPECT_EQ(projected(10925), at_10925);
    const std::vector<std::pair<int32_t, int32_t>> at_29631 = {
        {17, 4}, {13, 10}, {16, 12}, {22, 2}, {9, 1}, {5, 8}, {3, 7}, {9, -4}};
    EXPECT_EQ(projected(29631), at_29631);
}

TEST(RotatingCube, BuildsUpOneEdgeASecond) {
    EXPECT_EQ(rotating_cube_edges_shown(0), 4);
    EXPECT_EQ(rotating_cube_edges_shown(999), 4);
    EXPECT_EQ(rotating_cube_edges_shown(1000), 5);
    EXPECT_EQ(rotating_cube_edges_shown(7999), 11);
    EXPECT_EQ(rotating_cube_edges_shown(8000), 12);
    EXPECT_EQ(rotating_cube_edges_shown(29999), 12);
    EXPECT_EQ(rotating_cube_edges_shown(INT32_MAX), 12);
    // Never given by the timeline, but defined: fewer edges, then none.
    EXPECT_EQ(rotating_cube_edges_shown(-1), 3);
    EXPECT_EQ(rotating_cube_edges_shown(-4000), 0);
    EXPECT_EQ(rotating_cube_edges_shown(INT32_MIN), 0);
}

TEST(RotatingCube, StartsWithTheNearFaceAsARectangle) {
    PixelGrid grid;
    rotating_cube_draw(0, grid);
    EXPECT_EQ(grid_picture(grid),
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              ".....###########....\n"
              ".....#.........#....\n"
              ".....#.........#....\n"
              ".....#.........#....\n"
              ".....#.........#....\n"
              ".....#.........#....\n"
              ".....#.........#....\n"
              ".....###########....\n"
              "....................\n"
              "....................\n");
    EXPECT_EQ(screen_picture(unwiped(0)),
              "....................\n"
              ".....73333333337....\n"
              ".....0.........0....\n"
              ".....52222222225....\n");
    // The entry wipe hides all of it on the first frame.
    EXPECT_EQ(updated(0), blank_frame);
}

TEST(RotatingCube, DrawsAllTwelveEdgesLater) {
    PixelGrid grid;
    rotating_cube_draw(10925, grid);
    EXPECT_EQ(grid_picture(grid),
              "....................\n"
              "...########.........\n"
              "...#.......########.\n"
              "...##...........###.\n"
              "...##..........#..#.\n"
              "...#.##########...#.\n"
              "...#.#........#...#.\n"
              "...#.#........#...#.\n"
              "..#..#........#...#.\n"
              "..#..#........#...#.\n"
              "..#..#........#...#.\n"
              "..#..#........#...#.\n"
              "..#..###########..#.\n"
              "..###.....#########.\n"
              "..########..........\n"
              "....................\n");
    EXPECT_EQ(updated(10925),
              "...7722222233333777.\n"
              "...0172222222271..0.\n"
              "..0..0........0...0.\n"
              "..52255555555555225.\n");
}

TEST(RotatingCube, LeavesWithTheExitWipe) {
    EXPECT_EQ(updated(29500), screen_picture(unwiped(29500)));
    Screen want = unwiped(29501);
    for (int r = 0; r < screen_rows; ++r) want.cells[cell_index(r, 19)] = blank_code;
    EXPECT_EQ(updated(29501), screen_picture(want));
    for (int32_t t : {29805, 29999, 40000}) EXPECT_EQ(updated(t), blank_frame) << t;
}

TEST(RotatingCube, InitUploadsTheSubRowBands) {
    CaptureSink capture;
    attach_capture(capture);
    rotating_cube_init();
    ASSERT_EQ(capture.writes.size(), static_cast<size_t>(glyph_count));
    for (const Bytes& write : capture.writes)
        EXPECT_EQ(write.size(), static_cast<size_t>(define_glyph_bytes));
    EXPECT_TRUE(wire_equal(capture.stream(), expected_sub_row_upload()));
}

}  // namespace
