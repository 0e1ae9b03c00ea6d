// The box: its sides, the codes of its cells, the seven glyphs rebuilt every
// drawn (sent as 3, 0, 1, 2, 4, 5, 6, 7), the drawn whose bottom lies below
// the display, and the wipes.
#include <gtest/gtest.h>

#include <cstring>

#include "scene_pictures.h"
#include "scenes/box.h"
#include "support/capture_sink.h"
#include "support/wire_compare.h"

namespace {

constexpr uint8_t full = 0x1F;

struct BoxGlyphs {
    GlyphRows inside, top_left, top_right, bottom_left, top, left, right, bottom;
};

// The wire of one update's glyphs, in the order they are sent.
Bytes glyph_wire(const BoxGlyphs& g) {
    Bytes wire;
    for (const auto& [code, rows] : {std::pair{3, g.inside},
                                     {0, g.top_left},
                                     {1, g.top_right},
                                     {2, g.bottom_left},
                                     {4, g.top},
                                     {5, g.left},
                                     {6, g.right},
                                     {7, g.bottom}}) {
        const Bytes command = glyph_command(code, rows);
        wire.insert(wire.end(), command.begin(), command.end());
    }
    return wire;
}

using Frame = SceneFrame;

void draw(int32_t t, Frame& drawn) {
    draw_scene_frame(box_update, t, drawn);
}

void expect_sides(int32_t t, int32_t left, int32_t right, int32_t top, int32_t bottom) {
    const BoxSides sides = box_sides(t);
    EXPECT_EQ(sides.left, left) << "t = " << t;
    EXPECT_EQ(sides.right, right) << "t = " << t;
    EXPECT_EQ(sides.top, top) << "t = " << t;
    EXPECT_EQ(sides.bottom, bottom) << "t = " << t;
}

TEST(Box, SidesAtTheWorkedTimes) {
    expect_sides(0, 25, 75, 8, 24);
    expect_sides(1000, 44, 94, 2, 26);
    expect_sides(2500, 32, 57, 3, 18);
    expect_sides(4948, 32, 95, 13, 32);  // the bottom just below the display
}

TEST(Box, InitDefinesTheFullBlockAsCodeThree) {
    CaptureSink capture;
    attach_capture(capture);
    box_init();
    ASSERT_EQ(capture.writes.size(), 1u);
    EXPECT_TRUE(wire_equal(capture.writes[0], glyph_command(3, eight_times(full))));
}

TEST(Box, AtZeroEveryOffsetIsZeroAndTheEntryWipeHidesAll) {
    Frame drawn;
    draw(0, drawn);
    EXPECT_EQ(drawn.picture, blank_frame);
    ASSERT_EQ(drawn.capture.writes.size(), 8u);
    const GlyphRows blank = eight_times(0);
    EXPECT_TRUE(
        wire_equal(drawn.capture.stream(),
                   glyph_wire({eight_times(full), eight_times(full), eight_times(0x10), blank,
                               eight_times(full), eight_times(full), eight_times(0x10), blank})));
}

TEST(Box, FrameAtOneSecond) {
    // L 44, R 94, T 2, B 26: cells 8 to 18, rows 0 to 3; lx 4, rx 4, ty 2, by 2.
    Frame drawn;
    draw(1000, drawn);
    EXPECT_EQ(drawn.picture, frame({
                                 "........04444444441.",
                                 "........53333333336.",
                                 "........53333333336.",
                                 "........27777777777.",
                             }));
    EXPECT_TRUE(
        wire_equal(drawn.capture.stream(), glyph_wire({
                                               eight_times(full),
                                               {0x00, 0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},
                                               {0x00, 0x00, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F},
                                               {0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
                                               {0x00, 0x00, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F},
                                               eight_times(0x01),
                                               eight_times(0x1F),
                                               {0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
                                           })));
}

TEST(Box, FrameAtTwoAndAHalfSeconds) {
    // L 32, R 57, T 3, B 18: cells 6 to 11, rows 0 to 2; lx 2, rx 2, ty 3, by 2.
    Frame drawn;
    draw(2500, drawn);
    EXPECT_EQ(drawn.picture, frame({
                                 "......044441........",
                                 "......533336........",
                                 "......277777........",
                                 "....................",
                             }));
    EXPECT_TRUE(
        wire_equal(drawn.capture.stream(), glyph_wire({
                                               eight_times(full),
                                               {0x00, 0x00, 0x00, 0x07, 0x07, 0x07, 0x07, 0x07},
                                               {0x00, 0x00, 0x00, 0x1C, 0x1C, 0x1C, 0x1C, 0x1C},
                                               {0x07, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
                                               {0x00, 0x00, 0x00, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F},
                                               eight_times(0x07),
                                               eight_times(0x1C),
                                               {0x1F, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
                                           })));
}

TEST(Box, BottomBelowTheDisplayWritesNothingOutsideTheScreen) {
    // L 32, R 95, T 13, B 32: cells 6 to 19, rows 1 to 4, but there is no
    // row 4. The top, sides and inside fill rows 1 to 3; the bottom row's
    // corners and edge are left out, and its glyphs are blank (by = 0).
    CaptureSink capture;
    attach_capture(capture);
    GuardedScreen guarded;
    std::memset(guarded.guard, guard_byte, sizeof guarded.guard);
    box_update(4948, guarded.screen);
    EXPECT_TRUE(guard_intact(guarded));
    EXPECT_EQ(screen_picture(guarded.screen), frame({
                                                  "....................",
                                                  "......04444444444441",
                                                  "......53333333333336",
                                                  "......53333333333336",
                                              }));
    EXPECT_TRUE(wire_equal(capture.stream(),
                           glyph_wire({
                               eight_times(full),
                               {0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x07, 0x07},  // lx 2, ty 5
                               {0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x10, 0x10},  // rx 0
                               eight_times(0x00),
                               {0x00, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x1F, 0x1F},
                               eight_times(0x07),
                               eight_times(0x10),
                               eight_times(0x00),
                           })));
}

// Over the whole scene: the sides stay in their ranges with a cell column
// between them, the bottom-right corner is always code 7, eight glyphs go
// out every drawn, and nothing lands outside the Screen.
TEST(Box, EveryFrameOfTheScene) {
    CaptureSink capture;
    attach_capture(capture);
    GuardedScreen guarded;
    std::memset(guarded.guard, guard_byte, sizeof guarded.guard);
    for (int32_t t = 0; t <= 9000; ++t) {
        capture.clear();
        box_update(t, guarded.screen);
        ASSERT_EQ(capture.writes.size(), 8u) << "t = " << t;
        const BoxSides s = box_sides(t);
        ASSERT_TRUE(s.left >= 5 && s.left <= 45 && s.right >= 55 && s.right <= 95) << t;
        ASSERT_TRUE(s.top >= 0 && s.top <= 16 && s.bottom >= 16 && s.bottom <= 32) << t;
        ASSERT_LT(s.left / 5 + 1, s.right / 5) << "t = " << t;
        const int bottom_row = s.bottom / 8;
        if (t >= 305 && t <= box_out_start_ms && bottom_row < screen_rows) {
            ASSERT_EQ(guarded.screen.cells[cell_index(bottom_row, s.right / 5)], 7) << t;
        }
    }
    EXPECT_TRUE(guard_intact(guarded));
}

TEST(Box, ExitWipeFromEightAndAHalfSeconds) {
    // At 8500 the box stands whole; each 16 ms after, one more column from
    // the right is covered, until all are at 8805.
    Frame drawn;
    draw(box_out_start_ms, drawn);
    const BoxSides s = box_sides(box_out_start_ms);
    EXPECT_NE(picture_cell(drawn.picture, s.top / 8, s.right / 5), '.');
    for (int32_t t = box_out_start_ms + 1; t < box_out_start_ms + 305; t += 5) {
        draw(t, drawn);
        const int covered_from = (box_out_start_ms + 320 - t) / 16;
        const BoxSides now = box_sides(t);
        const int rt = now.top / 8;
        for (int c = 0; c < screen_columns; ++c) {
            const bool boxed = c >= now.left / 5 && c <= now.right / 5;
            EXPECT_EQ(picture_cell(drawn.picture, rt, c) != '.', boxed && c < covered_from)
                << "t = " << t << ", column " << c;
        }
    }
    draw(box_out_start_ms + 305, drawn);
    EXPECT_EQ(drawn.picture, blank_frame);
    draw(9000, drawn);
    EXPECT_EQ(drawn.picture, blank_frame);
    EXPECT_EQ(drawn.capture.writes.size(), 8u);
}

}  // namespace
