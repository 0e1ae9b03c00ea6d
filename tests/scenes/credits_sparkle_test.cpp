// The credits sparkle: first-come slots for at most eight cells, the head of
// the trail (which needs no random numbers), one glyph definition per used
// slot in slot order, two random draws a point, and the typed credits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "random/show_random.h"
#include "scene_pictures.h"
#include "scenes/credits_sparkle.h"
#include "support/capture_sink.h"
#include "support/wire_compare.h"

namespace {

using Frame = SceneFrame;

void draw(int32_t t, Frame& drawn) {
    draw_scene_frame(credits_sparkle_update, t, drawn);
}

// Rows 1 and 2, columns 0 to 9: where the credits stand.
std::string credit_cells(int32_t t) {
    Frame drawn;
    draw(t, drawn);
    return picture_row(drawn.picture, 1).substr(0, 10) + "|" +
           picture_row(drawn.picture, 2).substr(0, 10);
}

TEST(CreditsSparkle, SlotsAreTakenInOrderOfFirstHit) {
    SparkleSlots slots;
    credits_sparkle_clear(slots);
    EXPECT_TRUE(credits_sparkle_plot(slots, 99, 16));  // cell (19, 2), row 0, rightmost
    EXPECT_TRUE(credits_sparkle_plot(slots, 50, 31));  // cell (10, 3), row 7, leftmost
    EXPECT_TRUE(credits_sparkle_plot(slots, 97, 18));  // cell (19, 2) again
    EXPECT_EQ(slots.slots[0].cell_column, 19);
    EXPECT_EQ(slots.slots[0].cell_row, 2);
    EXPECT_EQ(slots.slots[1].cell_column, 10);
    EXPECT_EQ(slots.slots[1].cell_row, 3);
    EXPECT_EQ(slots.slots[2].cell_column, -1);
    const GlyphRows first = {0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00};
    const GlyphRows second = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10};
    EXPECT_EQ(std::memcmp(slots.slots[0].rows, first.data(), 8), 0);
    EXPECT_EQ(std::memcmp(slots.slots[1].rows, second.data(), 8), 0);
}

TEST(CreditsSparkle, ANinthCellIsNeverDrawn) {
    SparkleSlots slots;
    credits_sparkle_clear(slots);
    for (int column = 10; column < 18; ++column) {
        EXPECT_TRUE(credits_sparkle_plot(slots, column * 5, 0));
    }
    const SparkleSlots full = slots;
    EXPECT_FALSE(credits_sparkle_plot(slots, 90, 0));  // cell (18, 0)
    EXPECT_FALSE(credits_sparkle_plot(slots, 91, 1));  // the same ninth cell again
    EXPECT_FALSE(credits_sparkle_plot(slots, 50, 8));  // column 10, but row 1
    EXPECT_EQ(std::memcmp(&slots, &full, sizeof slots), 0);
    EXPECT_TRUE(credits_sparkle_plot(slots, 54, 7));  // a held cell still takes points
    EXPECT_EQ(slots.slots[0].rows[7], 0x01);
}

TEST(CreditsSparkle, PointsOffTheDisplayAreDropped) {
    SparkleSlots slots;
    credits_sparkle_clear(slots);
    EXPECT_FALSE(credits_sparkle_plot(slots, 100, 16));
    EXPECT_FALSE(credits_sparkle_plot(slots, 60, 32));
    EXPECT_FALSE(credits_sparkle_plot(slots, 119, 50));
    EXPECT_FALSE(credits_sparkle_plot(slots, -1, 0));
    EXPECT_EQ(slots.slots[0].cell_column, -1);
}

// Points 0 to 9 carry no random scatter. At t = 0 point 0 lies at (100, 16)
// and is dropped; point 1 lies at (99, 16), cell (19, 2), glyph row 0, bit
// 0x01: slot 0. Points 2 to 9 lie at (98, 15) and (98, 14), cell (19, 1),
// glyph rows 7 and 6, bit 0x02: slot 1. Whatever the generator says.
TEST(CreditsSparkle, TheHeadOfTheTrailAtZero) {
    for (int skipped : {0, 1, 12345}) {
        show_rand_restart();
        for (int i = 0; i < skipped; ++i) show_rand();
        Frame drawn;
        draw(0, drawn);
        ASSERT_GE(drawn.capture.writes.size(), 2u) << "after " << skipped << " values";
        const Bytes& glyph0 = drawn.capture.writes[0];
        const Bytes& glyph1 = drawn.capture.writes[1];
        EXPECT_EQ(glyph0[2], 0);
        EXPECT_EQ(glyph0[3 + 0] & 0x01, 0x01) << "after " << skipped << " values";
        EXPECT_EQ(glyph1[2], 1);
        EXPECT_EQ(glyph1[3 + 6] & 0x02, 0x02) << "after " << skipped << " values";
        EXPECT_EQ(glyph1[3 + 7] & 0x02, 0x02) << "after " << skipped << " values";
        EXPECT_EQ(picture_cell(drawn.picture, 2, 19), '0');
        EXPECT_EQ(picture_cell(drawn.picture, 1, 19), '1');
    }
}

// The glyphs on the wire and the codes on the Screen agree: one definition
// per used slot, codes 0 to n - 1 in order, each code in exactly one cell of
// columns 10 to 19, each glyph with something lit; nothing else but blanks
// and credit letters.
void expect_consistent(int32_t t, const Frame& drawn) {
    const size_t used = drawn.capture.writes.size();
    ASSERT_LE(used, 8u) << "t = " << t;
    for (size_t k = 0; k < used; ++k) {
        const Bytes& write = drawn.capture.writes[k];
        ASSERT_EQ(write.size(), 11u);
        ASSERT_EQ(write[2], k) << "t = " << t;
        uint8_t any = 0;
        for (int row = 0; row < 8; ++row) {
            ASSERT_EQ(write[3 + row] & ~0x1F, 0) << "t = " << t;
            any |= write[3 + row];
        }
        ASSERT_NE(any, 0) << "t = " << t;
    }
    size_t codes = 0;
    for (int r = 0; r < screen_rows; ++r) {
        for (int c = 0; c < screen_columns; ++c) {
            const uint8_t code = drawn.screen.cells[cell_index(r, c)];
            if (code < 8) {
                ASSERT_GE(c, 10) << "t = " << t;
                ASSERT_LT(code, used) << "t = " << t;
                ++codes;
            } else if (r == 0 || r == 3 || c < 2 || c >= 10) {
                ASSERT_EQ(code, blank_code) << "t = " << t << " row " << r << " column " << c;
            }
        }
    }
    ASSERT_EQ(codes, used) << "t = " << t;
}

TEST(CreditsSparkle, EveryFrameOfTheSceneAgreesWithItsGlyphs) {
    show_rand_restart();
    Frame drawn;
    for (int32_t t = 0; t <= 23500; t += 13) {
        draw(t, drawn);
        expect_consistent(t, drawn);
    }
}

TEST(CreditsSparkle, TakesTwoRandomValuesAPointAndNothingElseVaries) {
    show_rand_restart();
    for (int i = 0; i < 400; ++i) show_rand();
    const int after_one_frame = show_rand();

    show_rand_restart();
    Frame first;
    draw(5000, first);
    EXPECT_EQ(show_rand(), after_one_frame);

    show_rand_restart();
    Frame again;
    draw(5000, again);
    EXPECT_TRUE(wire_equal(again.capture.stream(), first.capture.stream()));
    EXPECT_EQ(again.picture, first.picture);
}

TEST(CreditsSparkle, CreditsAreTypedAndErasedLetterByLetter) {
    show_rand_restart();
    EXPECT_EQ(credit_cells(2000), "..........|..........");
    EXPECT_EQ(credit_cells(2031), "..........|..........");
    EXPECT_EQ(credit_cells(2032), "..c.......|..T.......");
    EXPECT_EQ(credit_cells(2100), "..cod.....|..TOR.....");
    EXPECT_EQ(credit_cells(2256), "..code....|..TORVANDE");
    EXPECT_EQ(credit_cells(9531), "..code....|..TORVANDE");
    EXPECT_EQ(credit_cells(9532), "...ode....|...ORVANDE");
    EXPECT_EQ(credit_cells(9600), ".....e....|.....VANDE");
    EXPECT_EQ(credit_cells(9755), "..........|.........E");
    EXPECT_EQ(credit_cells(9756), "..........|..........");
    EXPECT_EQ(credit_cells(10531), "..........|..........");
    EXPECT_EQ(credit_cells(10532), "..m.......|..M.......");
    EXPECT_EQ(credit_cells(10756), "..music...|..MISKARRO");
    EXPECT_EQ(credit_cells(18032), "...usic...|...ISKARRO");
    EXPECT_EQ(credit_cells(18255), "..........|.........O");
    EXPECT_EQ(credit_cells(18256), "..........|..........");
    EXPECT_EQ(credit_cells(23500), "..........|..........");
}

}  // namespace
