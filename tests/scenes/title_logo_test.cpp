// The title screen: its glyphs on the wire, the slide, the digit and the
// wipes, as whole frames.
#include <gtest/gtest.h>

#include <string>

#include "display/commands.h"
#include "scenes/title_logo.h"
#include "support/capture_sink.h"
#include "support/screen_picture.h"
#include "support/wire_compare.h"

namespace {

std::string frame_at(int32_t t) {
    Screen screen = screen_filled('x');
    title_logo_update(t, screen);
    return screen_picture(screen);
}

const std::string two_columns_in = frame({
    "..33...0333133331...",
    "..33...33...33.33...",
    "..333334333533335...",
    "..S.T.A.R.G.L.O.W...",
});

const std::string one_column_in = frame({
    ".33...0333133331....",
    ".33...33...33.33....",
    ".333334333533335....",
    ".S.T.A.R.G.L.O.W....",
});

const std::string at_the_edge = frame({
    "33...0333133331.....",
    "33...33...33.33.....",
    "333334333533335.....",
    "S.T.A.R.G.L.O.W.....",
});

const std::string with_digit = frame({
    "33...0333133331.0331",
    "33...33...33.33.2773",
    "333334333533335.3666",
    "S.T.A.R.G.L.O.W.3333",
});

TEST(TitleLogo, InitUploadsTheTitleGlyphs) {
    const uint8_t rows[8][8] = {
        {0x01, 0x07, 0x0F, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF},
        {0x10, 0x1C, 0x1E, 0x1E, 0xFF, 0xFF, 0xFF, 0xFF},
        {0x00, 0x00, 0x00, 0x00, 0x01, 0x07, 0x0F, 0xFF},
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
        {0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x0F, 0x07, 0x01},
        {0xFF, 0xFF, 0xFF, 0xFF, 0x1E, 0x1E, 0x1C, 0x10},
        {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00},
        {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},
    };
    CaptureSink capture;
    attach_capture(capture);
    title_logo_init();
    EXPECT_TRUE(uploaded_glyph_set(capture, rows));
}

TEST(TitleLogo, EntersWithTheWipe) {
    EXPECT_EQ(frame_at(0), blank_frame);
    EXPECT_EQ(frame_at(176), frame({
                                 // columns 0 to 8 still covered
                                 ".........33133331...",
                                 "............33.33...",
                                 ".........33533335...",
                                 "..........G.L.O.W...",
                             }));
    EXPECT_EQ(frame_at(305), two_columns_in);
}

TEST(TitleLogo, SlidesTwoColumnsLeftOneEveryTwoHundredMilliseconds) {
    EXPECT_EQ(frame_at(2000), two_columns_in);
    EXPECT_EQ(frame_at(2001), two_columns_in);
    EXPECT_EQ(frame_at(2199), two_columns_in);
    EXPECT_EQ(frame_at(2200), one_column_in);
    EXPECT_EQ(frame_at(2399), one_column_in);
    EXPECT_EQ(frame_at(2400), at_the_edge);
    EXPECT_EQ(frame_at(2500), at_the_edge);
}

TEST(TitleLogo, DigitAppearsAfterTwoAndAHalfSeconds) {
    EXPECT_EQ(frame_at(2501), with_digit);
    EXPECT_EQ(frame_at(5000), with_digit);
}

TEST(TitleLogo, LeavesWithTheWipeRightColumnFirst) {
    EXPECT_EQ(frame_at(5001), frame({
                                  "33...0333133331.033.",
                                  "33...33...33.33.277.",
                                  "333334333533335.366.",
                                  "S.T.A.R.G.L.O.W.333.",
                              }));
    EXPECT_EQ(frame_at(5304), frame({
                                  "3...................",
                                  "3...................",
                                  "3...................",
                                  "S...................",
                              }));
    EXPECT_EQ(frame_at(5305), blank_frame);
    EXPECT_EQ(frame_at(5999), blank_frame);
}

}  // namespace
