// The entry and exit wipes at every edge of their timing.
#include <gtest/gtest.h>

#include <string>

#include "fx/wipes.h"

namespace {

// A screen whose every cell is non-blank (glyph codes included), so that
// wiped cells show as '.' in the column picture below.
Screen drawn_screen() {
    Screen screen;
    for (int i = 0; i < screen_cells; ++i)
        screen.cells[i] = static_cast<uint8_t>(i % 8 == 0 ? 0 : 'A' + i % 26);
    return screen;
}

// One character a column: '#' where all four rows kept what was drawn, '.'
// where all four were blanked; anything else fails the test.
std::string columns(const Screen& screen) {
    const Screen drawn = drawn_screen();
    std::string picture;
    for (int c = 0; c < screen_columns; ++c) {
        int kept = 0;
        int blanked = 0;
        for (int r = 0; r < screen_rows; ++r) {
            const int i = cell_index(r, c);
            if (screen.cells[i] == drawn.cells[i]) ++kept;
            if (screen.cells[i] == blank_code) ++blanked;
        }
        picture += kept == screen_rows ? '#' : blanked == screen_rows ? '.' : '?';
    }
    return picture;
}

std::string after_wipe_in(int32_t t) {
    Screen screen = drawn_screen();
    wipe_in(screen, t);
    return columns(screen);
}

std::string after_wipe_out(int32_t t, int32_t out_start) {
    Screen screen = drawn_screen();
    wipe_out(screen, t, out_start);
    return columns(screen);
}

const std::string all_kept(20, '#');
const std::string all_blank(20, '.');

TEST(WipeIn, UncoversOneColumnEverySixteenMillisecondsFromTheRight) {
    EXPECT_EQ(after_wipe_in(0), all_blank);
    EXPECT_EQ(after_wipe_in(1), std::string(19, '.') + "#");
    EXPECT_EQ(after_wipe_in(16), std::string(19, '.') + "#");
    EXPECT_EQ(after_wipe_in(17), std::string(18, '.') + "##");
    EXPECT_EQ(after_wipe_in(304), "." + std::string(19, '#'));
    EXPECT_EQ(after_wipe_in(305), all_kept);
    EXPECT_EQ(after_wipe_in(319), all_kept);
    EXPECT_EQ(after_wipe_in(320), all_kept);
    EXPECT_EQ(after_wipe_in(100000), all_kept);
}

TEST(WipeIn, NegativeTimeBlanksTheWholeScreenAndNothingElse) {
    // Guarded by the sanitizer build: a count above 20 must not run past
    // the 80 cells.
    EXPECT_EQ(after_wipe_in(-1), all_blank);
    EXPECT_EQ(after_wipe_in(-2147483647 - 1), all_blank);
}

TEST(WipeOut, CoversOneColumnEverySixteenMillisecondsFromTheRight) {
    EXPECT_EQ(after_wipe_out(0, 3000), all_kept);
    EXPECT_EQ(after_wipe_out(3000, 3000), all_kept);
    EXPECT_EQ(after_wipe_out(3001, 3000), std::string(19, '#') + ".");
    EXPECT_EQ(after_wipe_out(3016, 3000), std::string(19, '#') + ".");
    EXPECT_EQ(after_wipe_out(3017, 3000), std::string(18, '#') + "..");
    EXPECT_EQ(after_wipe_out(3304, 3000), "#" + std::string(19, '.'));
    for (int32_t t : {3305, 3320, 3336, 3500, 2147483647})
        EXPECT_EQ(after_wipe_out(t, 3000), all_blank) << t;
}

TEST(Wipes, KeepGlyphCodesOutsideTheWipedColumns) {
    Screen screen;
    for (int i = 0; i < screen_cells; ++i) screen.cells[i] = static_cast<uint8_t>(i % 8);
    wipe_in(screen, 300);  // column 0 only
    for (int r = 0; r < screen_rows; ++r) {
        EXPECT_EQ(screen.cells[cell_index(r, 0)], blank_code);
        for (int c = 1; c < screen_columns; ++c)
            EXPECT_EQ(screen.cells[cell_index(r, c)], cell_index(r, c) % 8);
    }
}

}  // namespace
