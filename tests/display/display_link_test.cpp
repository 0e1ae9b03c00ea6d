// What the display link puts on the wire, write by write.
#include <gtest/gtest.h>

#include "display/display_link.h"
#include "support/capture_sink.h"
#include "support/wire_compare.h"

namespace {

class DisplayLinkTest : public ::testing::Test {
  protected:
    void SetUp() override { attach_capture(capture); }
    CaptureSink capture;
};

TEST_F(DisplayLinkTest, StartUpIsTwentyBytesThenAClearAsSeparateWrites) {
    init_display();
    ASSERT_EQ(capture.writes.size(), 2u);
    EXPECT_TRUE(wire_equal(capture.writes[0],
                           {0xFE, 0x58, 0xFE, 0x48, 0xFE, 0x44, 0xFE, 0x50, 0x78, 0xFE,
                            0x99, 0xFF, 0xFE, 0x55, 0x08, 0xFE, 0x7E, 0x01, 0xFE, 0x4F}));
    EXPECT_TRUE(wire_equal(capture.writes[1], {0xFE, 0x58}));
    EXPECT_EQ(display_link.bytes_written, 2u);
}

TEST_F(DisplayLinkTest, DefineGlyphSendsRowsAsStoredFullRowsStayFF) {
    const uint8_t rows[8] = {0xFF, 0x1F, 0x00, 0x15, 0x0A, 0xE0, 0x01, 0xFF};
    define_glyph(5, rows);
    ASSERT_EQ(capture.writes.size(), 1u);
    EXPECT_TRUE(wire_equal(capture.writes[0],
                           {0xFE, 0x4E, 0x05, 0xFF, 0x1F, 0x00, 0x15, 0x0A, 0xE0, 0x01, 0xFF}));
}

TEST_F(DisplayLinkTest, GlyphSetGoesOutAsEightElevenByteWritesInCodeOrder) {
    GlyphSet set{};
    for (int g = 0; g < 8; ++g)
        for (int r = 0; r < 8; ++r) set.glyphs[g][r] = static_cast<uint8_t>(g * 16 + r);
    upload_glyph_set(set);
    ASSERT_EQ(capture.writes.size(), 8u);
    EXPECT_EQ(capture.stream().size(), 88u);
    for (int g = 0; g < 8; ++g) {
        Bytes want(11);
        want[0] = 0xFE;
        want[1] = 0x4E;
        want[2] = static_cast<uint8_t>(g);
        for (int r = 0; r < 8; ++r) want[3 + r] = set.glyphs[g][r];
        EXPECT_TRUE(wire_equal(capture.writes[g], want)) << "glyph " << g;
    }
}

TEST_F(DisplayLinkTest, BlankFrameIsFourCursorBlocksOfTwentyBlanks) {
    Screen screen;
    fill_screen(screen, 0x20);
    send_frame(screen);
    ASSERT_EQ(capture.writes.size(), 1u);
    Bytes want;
    for (uint8_t row = 1; row <= 4; ++row) {
        want.insert(want.end(), {0xFE, 0x47, 0x01, row});
        want.insert(want.end(), 20, 0x20);
    }
    EXPECT_TRUE(wire_equal(capture.writes[0], want));
    EXPECT_EQ(display_link.bytes_written, 96u);
}

TEST_F(DisplayLinkTest, FrameCarriesEveryCellUnchangedInRowMajorOrder) {
    Screen screen;
    for (int i = 0; i < 80; ++i) screen.cells[i] = static_cast<uint8_t>(i == 0 ? 0 : (i * 7) % 254);
    send_frame(screen);
    EXPECT_TRUE(wire_equal(capture.writes.at(0), frame_packet(screen.cells)));
}

uint32_t failing_write(void*, const uint8_t*, uint32_t) {
    return 0;
}

TEST(DisplayLinkFailure, AFailingSinkIsRecordedAndIgnored) {
    attach_display_sink(failing_write, nullptr);
    Screen screen;
    fill_screen(screen, 0x20);
    display_link.bytes_written = 123;
    send_frame(screen);
    EXPECT_EQ(display_link.bytes_written, 0u);
}

}  // namespace
