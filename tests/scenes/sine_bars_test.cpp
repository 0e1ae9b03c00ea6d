// The sine bars: the fixed codes, the eight glyphs sent on every drawn, the
// bars' places at the worked times (the wide one wrapping round the strip),
// and the wipes.
#include <gtest/gtest.h>

#include <bit>

#include "scene_pictures.h"
#include "scenes/sine_bars.h"
#include "support/capture_sink.h"
#include "support/wire_compare.h"

namespace {

const std::string strip_picture = frame_of_rows("01234567012345670123");

// A glyph of eight equal rows for each of codes 0 to 7, as pixel pictures.
Bytes glyph_wire(const char* const (&pictures)[8]) {
    Bytes wire;
    for (int code = 0; code < glyph_count; ++code) {
        const Bytes command = glyph_command(code, eight_times(pixel_row(pictures[code])));
        wire.insert(wire.end(), command.begin(), command.end());
    }
    return wire;
}

using Frame = SceneFrame;

void draw(int32_t t, Frame& drawn) {
    draw_scene_frame(sine_bars_update, t, drawn);
}

TEST(SineBars, AtZero) {
    const SineBarsPlace place = sine_bars_place(0);
    EXPECT_NEAR(place.d, 531.146, 0.001);
    EXPECT_EQ(place.a, 531);  // strip 11 to 15
    EXPECT_EQ(place.b, 265);  // strip 25, 26, 5, 6
    Frame drawn;
    draw(0, drawn);
    EXPECT_EQ(drawn.picture, blank_frame);  // the entry wipe hides the strip
    ASSERT_EQ(drawn.capture.writes.size(), 8u);
    EXPECT_TRUE(wire_equal(drawn.capture.stream(), glyph_wire({
                                                       ".....",
                                                       "##...",
                                                       ".####",
                                                       "#....",
                                                       ".....",
                                                       "##...",
                                                       ".....",
                                                       ".....",
                                                   })));
}

TEST(SineBars, AtOneSecondTheWideBarWrapsRoundTheStrip) {
    const SineBarsPlace place = sine_bars_place(1000);
    EXPECT_NEAR(place.d, 517.907, 0.001);
    EXPECT_EQ(place.a, 517);  // strip 37, 38, 39, 0, 1
    EXPECT_EQ(place.b, 258);  // strip 18, 19, 38, 39
    Frame drawn;
    draw(1000, drawn);
    EXPECT_EQ(drawn.picture, strip_picture);
    EXPECT_TRUE(wire_equal(drawn.capture.stream(), glyph_wire({
                                                       "##...",
                                                       ".....",
                                                       ".....",
                                                       "...##",
                                                       ".....",
                                                       ".....",
                                                       ".....",
                                                       "..###",
                                                   })));
}

// Every drawn of the scene: the same codes, all eight glyphs sent (blank
// ones too), each with eight equal rows, lighting the five pixels of the
// wide bar and the four of the narrow ones, some shared where they overlap.
TEST(SineBars, EveryFrameSendsAllEightGlyphs) {
    Frame drawn;
    for (int32_t t = 320; t <= sine_bars_out_start_ms; t += 3) {
        draw(t, drawn);
        ASSERT_EQ(drawn.picture, strip_picture) << "t = " << t;
        ASSERT_EQ(drawn.capture.writes.size(), 8u) << "t = " << t;
        int lit = 0;
        for (int code = 0; code < glyph_count; ++code) {
            const Bytes& write = drawn.capture.writes[code];
            ASSERT_EQ(write.size(), 11u);
            ASSERT_EQ(write[2], code);
            for (int row = 1; row < glyph_rows; ++row) ASSERT_EQ(write[3 + row], write[3]);
            ASSERT_EQ(write[3] & ~0x1F, 0);
            lit += std::popcount(write[3]);
        }
        const SineBarsPlace place = sine_bars_place(t);
        ASSERT_TRUE(place.d >= 440 && place.d <= 560) << "t = " << t;
        ASSERT_GE(lit, 5) << "t = " << t;
        ASSERT_LE(lit, 9) << "t = " << t;
    }
}

TEST(SineBars, EntryAndExitWipes) {
    Frame drawn;
    draw(16, drawn);
    EXPECT_EQ(drawn.picture, frame_of_rows("...................3"));
    draw(304, drawn);
    EXPECT_EQ(drawn.picture, frame_of_rows(".1234567012345670123"));
    draw(305, drawn);
    EXPECT_EQ(drawn.picture, strip_picture);
    draw(7000, drawn);
    EXPECT_EQ(drawn.picture, strip_picture);
    draw(7001, drawn);
    EXPECT_EQ(drawn.picture, frame_of_rows("0123456701234567012."));
    draw(7017, drawn);
    EXPECT_EQ(drawn.picture, frame_of_rows("012345670123456701.."));
    draw(7305, drawn);
    EXPECT_EQ(drawn.picture, blank_frame);
    EXPECT_EQ(drawn.capture.writes.size(), 8u);  // still sent while hidden
}

}  // namespace
