// The spectrum scene: bar heights from the summed spectrum, the name over
// them, the entry wipe, and the glyphs it uploads.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "scenes/spectrum_bars.h"
#include "support/capture_sink.h"
#include "support/fake_music.h"
#include "support/wire_compare.h"

namespace {

constexpr int32_t fully_shown_t = 305;

// One column as four characters top to bottom: '.' blank, '0'-'7' glyph,
// or the character itself.
std::string column_picture(const Screen& screen, int column) {
    std::string picture;
    for (int r = 0; r < screen_rows; ++r) {
        const uint8_t code = screen.cells[cell_index(r, column)];
        picture += code == blank_code ? '.'
                   : code < 8         ? static_cast<char>('0' + code)
                                      : static_cast<char>(code);
    }
    return picture;
}

// Draws band 0 with a left magnitude of summed / 100 (the right one 0) and
// returns column 0. Whole heights get a quarter row on top, since most of
// them have no exact float: 0.08f * 100 is just below 8.
std::string bar_for(double summed) {
    reset_fake_music();
    const double nudge = summed == static_cast<int>(summed) && summed > 0 ? 0.25 : 0.0;
    spectrum.left[0] = static_cast<float>((summed + nudge) / 100.0);
    Screen screen;
    spectrum_bars_update(fully_shown_t, screen);
    return column_picture(screen, 0);
}

TEST(SpectrumBars, SilenceShowsOnlyTheName) {
    reset_fake_music();
    Screen screen;
    spectrum_bars_update(fully_shown_t, screen);
    std::string text(reinterpret_cast<const char*>(screen.cells), screen_cells);
    EXPECT_EQ(text,
              std::string(20, ' ') + std::string(10, ' ') + "vorilune  " + std::string(40, ' '));
}

TEST(SpectrumBars, HeightSplitsBottomUpEightPixelRowsACell) {
    EXPECT_EQ(bar_for(1.0), "...0");
    EXPECT_EQ(bar_for(8.0), "...7");
    EXPECT_EQ(bar_for(9.0), "..07");
    EXPECT_EQ(bar_for(13.0), "..47");
    EXPECT_EQ(bar_for(24.0), ".777");
    EXPECT_EQ(bar_for(32.0), "7777");
    EXPECT_EQ(bar_for(1000.0), "7777");
}

TEST(SpectrumBars, HeightTruncatesTowardZero) {
    EXPECT_EQ(bar_for(0.9), "....");
    EXPECT_EQ(bar_for(9.99), "..07");
    EXPECT_EQ(bar_for(-0.5), "....");
    EXPECT_EQ(bar_for(-40.0), "....");
}

TEST(SpectrumBars, LeftAndRightAreSummedPerColumn) {
    reset_fake_music();
    spectrum.left[5] = 0.0525f;
    spectrum.right[5] = 0.04f;  // 9.25 pixel rows together
    spectrum.left[19] = 0.33f;  // a whole bar from one side alone
    spectrum.right[20] = 1.0f;  // beyond the 20 bands shown: no effect
    Screen screen;
    spectrum_bars_update(fully_shown_t, screen);
    EXPECT_EQ(column_picture(screen, 5), "..07");
    EXPECT_EQ(column_picture(screen, 19), "7777");
    EXPECT_EQ(column_picture(screen, 4), "....");
}

TEST(SpectrumBars, NameOverwritesRowOneOfFullBars) {
    reset_fake_music();
    for (int i = 0; i < 20; ++i) spectrum.left[i] = 0.5f;
    Screen screen;
    spectrum_bars_update(fully_shown_t, screen);
    EXPECT_EQ(column_picture(screen, 9), "7777");
    EXPECT_EQ(column_picture(screen, 10), "7v77");
    EXPECT_EQ(column_picture(screen, 17), "7e77");
    EXPECT_EQ(column_picture(screen, 18), "7777");
}

TEST(SpectrumBars, MagnitudesOutsideTheIntegerRangeStayWithinTheGlyphs) {
    for (float v :
         {3e9f, -3e9f, std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        reset_fake_music();
        spectrum.left[0] = v;
        Screen screen;
        spectrum_bars_update(fully_shown_t, screen);
        for (char c : column_picture(screen, 0)) EXPECT_TRUE(c == '.' || c == '7') << v;
    }
}

TEST(SpectrumBars, EntersWithTheWipe) {
    reset_fake_music();
    for (int i = 0; i < 20; ++i) spectrum.left[i] = 0.5f;
    Screen screen;
    spectrum_bars_update(0, screen);
    for (uint8_t cell : screen.cells) EXPECT_EQ(cell, blank_code);
    spectrum_bars_update(16, screen);
    EXPECT_EQ(column_picture(screen, 18), "....");
    EXPECT_EQ(column_picture(screen, 19), "7777");
}

TEST(SpectrumBars, InitUploadsTheBarGlyphsBottomUp) {
    CaptureSink capture;
    attach_capture(capture);
    spectrum_bars_init();
    uint8_t rows[8][8];
    for (int g = 0; g < 8; ++g)
        for (int row = 0; row < 8; ++row) rows[g][row] = row >= 7 - g ? 0xFF : 0x00;
    EXPECT_TRUE(uploaded_glyph_set(capture, rows));
}

}  // namespace
