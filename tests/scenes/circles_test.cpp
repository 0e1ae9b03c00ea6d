// The circles: the disc table, the stamps' paths in single precision, the
// 5-6 band, clipping, whole frames, the wipes, and the glyphs uploaded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenes/circles.h"
#include "scenes/rotating_cube.h"
#include "support/capture_sink.h"
#include "support/grid_picture.h"
#include "support/screen_picture.h"
#include "support/wire_compare.h"

namespace {

// circles_init with its upload captured (and then discarded).
void init_circles() {
    CaptureSink capture;
    attach_capture(capture);
    circles_init();
}

std::vector<std::pair<int32_t, int32_t>> corners(int32_t t) {
    GridPoint points[circles_stamp_count];
    circles_corners(t, points);
    std::vector<std::pair<int32_t, int32_t>> list;
    for (const GridPoint& p : points) list.emplace_back(p.x, p.y);
    return list;
}

std::string stamped(std::initializer_list<GridPoint> stamps) {
    init_circles();
    PixelGrid grid{};
    for (GridPoint corner : stamps) circles_stamp(grid, corner);
    circles_threshold(grid);
    return grid_picture(grid);
}

Screen unwiped(int32_t t) {
    PixelGrid grid;
    circles_draw(t, grid);
    Screen screen;
    fill_screen(screen, blank_code);
    map_four_sub_rows(grid, screen);
    return screen;
}

std::string updated(int32_t t) {
    init_circles();
    Screen screen;
    fill_screen(screen, 'x');  // whatever the previous scene left
    circles_update(t, screen);
    return screen_picture(screen);
}

TEST(Circles, DiscTableTruncatesToACone) {
    init_circles();
    std::string truncated;
    for (const auto& row : disc_table) {
        for (float value : row) truncated += static_cast<char>('0' + static_cast<int>(value));
        truncated += '\n';
    }
    EXPECT_EQ(truncated,
              "0000000000000000\n"
              "0000011111100000\n"
              "0000112222110000\n"
              "0001223333221000\n"
              "0012334444332100\n"
              "0112345555432110\n"
              "0123455665543210\n"
              "0123456776543210\n"
              "0123456776543210\n"
              "0123455665543210\n"
              "0112345555432110\n"
              "0012334444332100\n"
              "0001223333221000\n"
              "0000112222110000\n"
              "0000011111100000\n"
              "0000000000000000\n");
    EXPECT_NEAR(disc_table[7][7], 8.0 - 0.70710678, 1e-6);
    EXPECT_EQ(disc_table[0][0], 0.0f);
}

TEST(Circles, StampsFollowTheirPathsInSinglePrecision) {
    const std::vector<std::pair<int32_t, int32_t>> at_start = {{8, 0}, {10, 1}, {12, 1}};
    EXPECT_EQ(corners(0), at_start);
    // Here single-precision sines and cosines land on whole numbers (-1 and
    // 1): taken in double precision, stamps 1, 2 and 3 would move by one.
    const std::vector<std::pair<int32_t, int32_t>> at_7854 = {{-8, 0}, {7, 6}, {9, 6}};
    EXPECT_EQ(corners(7854), at_7854);
    const std::vector<std::pair<int32_t, int32_t>> at_3927 = {{0, 6}, {9, 4}, {-1, 4}};
    EXPECT_EQ(corners(3927), at_3927);
}

TEST(Circles, ALoneDiscIsARingWithADarkCentre) {
    // Truncated values 5 and 6 lit; 4 around them and 7 at the centre dark.
    EXPECT_EQ(stamped({{2, 0}}),
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "........####........\n"
              ".......######.......\n"
              ".......##..##.......\n"
              ".......##..##.......\n"
              ".......######.......\n"
              "........####........\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n");
}

TEST(Circles, StampEntriesOffTheGridAreDroppedNotWrapped) {
    EXPECT_EQ(stamped({{12, 7}, {-8, -6}}),
              "###.................\n"
              ".##.................\n"
              ".##.................\n"
              "###.................\n"
              "##..................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "....................\n"
              "..................##\n"
              ".................###\n"
              ".................##.\n"
              ".................##.\n");
    EXPECT_EQ(stamped({{20, 0}, {0, 16}, {-16, 0}, {0, -16}}), stamped({}));
}

TEST(Circles, OnlySumsOfFiveAndSixAreLit) {
    PixelGrid grid{};
    for (int v = 0; v <= 21; ++v) grid.pixels[v] = static_cast<uint8_t>(v);
    circles_threshold(grid);
    for (int v = 0; v <= 21; ++v) EXPECT_EQ(grid.pixels[v], v == 5 || v == 6 ? 1 : 0) << v;
}

TEST(Circles, OverlappingDiscsMergeAtTheStart) {
    init_circles();
    PixelGrid grid;
    circles_draw(0, grid);
    EXPECT_EQ(grid_picture(grid),
              "....................\n"
              "....................\n"
              "....................\n"
              "................####\n"
              "..............#.....\n"
              ".............#......\n"
              "............#.......\n"
              "............#.......\n"
              "............#.......\n"
              "............#.......\n"
              "............#.......\n"
              ".............#......\n"
              "....................\n"
              "...............#....\n"
              "..................#.\n"
              "....................\n");
    // The entry wipe hides all of it on the first frame.
    EXPECT_EQ(updated(0), blank_frame);
}

TEST(Circles, DrawsAWholeFrame) {
    // Stamps at (-8, 0), (7, 6) and (9, 6): two rings merged on the right.
    EXPECT_EQ(updated(7854),
              "....................\n"
              "277.................\n"
              "255.........72222227\n"
              "...........0........\n");
}

TEST(Circles, LeavesWithTheExitWipe) {
    init_circles();
    EXPECT_EQ(updated(22000), screen_picture(unwiped(22000)));
    Screen want = unwiped(22304);
    for (int r = 0; r < screen_rows; ++r)
        for (int c = 1; c < screen_columns; ++c) want.cells[cell_index(r, c)] = blank_code;
    EXPECT_EQ(updated(22304), screen_picture(want));
    for (int32_t t : {22305, 22499, 30000}) EXPECT_EQ(updated(t), blank_frame) << t;
}

TEST(Circles, InitUploadsTheSameBandsAsTheCube) {
    CaptureSink capture;
    attach_capture(capture);
    circles_init();
    ASSERT_EQ(capture.writes.size(), static_cast<size_t>(glyph_count));
    EXPECT_TRUE(wire_equal(capture.stream(), expected_sub_row_upload()));
    const Bytes circles_wire = capture.stream();
    capture.clear();
    rotating_cube_init();
    EXPECT_TRUE(wire_equal(capture.stream(), circles_wire));
}

}  // namespace
