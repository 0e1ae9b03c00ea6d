// The four-row scrollers: when each row's text arrives and when its row is
// blank again, the truncating division before a row sets off, and frames
// far outside the scene's window.
#include <gtest/gtest.h>

#include <string>

#include "scenes/four_row_scrollers.h"
#include "support/screen_picture.h"

namespace {

const std::string blank_row(20, ' ');

// The characters of one display row as they stand on the screen.
std::string row_at(int32_t t, int r) {
    Screen screen = screen_filled('x');
    four_row_scrollers_update(t, screen);
    return std::string(reinterpret_cast<const char*>(screen.cells + cell_index(r, 0)), 20);
}

std::string screen_at(int32_t t) {
    Screen screen = screen_filled('x');
    four_row_scrollers_update(t, screen);
    return std::string(reinterpret_cast<const char*>(screen.cells), screen_cells);
}

std::string text_of(int r) {
    return four_row_scrollers_rows[r].text;
}

TEST(FourRowScrollers, StartsBlank) {
    EXPECT_EQ(screen_at(0), std::string(80, ' '));
    EXPECT_EQ(screen_at(99), std::string(80, ' '));
}

TEST(FourRowScrollers, EachTextReachesColumnNineteenOnTime) {
    const int32_t arrival[4] = {100, 5580, 5770, 2090};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(row_at(arrival[r] - 1, r), blank_row) << "row " << r;
        EXPECT_EQ(row_at(arrival[r], r), std::string(19, ' ') + text_of(r)[20]) << "row " << r;
        EXPECT_NE(text_of(r)[20], ' ') << "row " << r;
    }
}

TEST(FourRowScrollers, EachRowIsBlankAgainOnTime) {
    const int32_t cleared[4] = {29400, 31340, 27330, 29630};
    for (int r = 0; r < 4; ++r) {
        const std::string& text = text_of(r);
        const char final_mark = text[text.size() - 2];
        EXPECT_TRUE(final_mark == '.' || final_mark == '!' || final_mark == '?') << "row " << r;
        EXPECT_EQ(row_at(cleared[r] - 1, r), final_mark + std::string(19, ' ')) << "row " << r;
        EXPECT_EQ(row_at(cleared[r], r), blank_row) << "row " << r;
    }
    // The last row clears 160 ms before the scene ends.
    EXPECT_EQ(screen_at(31340), std::string(80, ' '));
    EXPECT_EQ(screen_at(31499), std::string(80, ' '));
}

TEST(FourRowScrollers, BeforeItsDelayARowDividesTowardZeroAndStaysBlank) {
    // Row 1 sets off at 5500 with 80 ms a character: from 5421 to 5579 its
    // step is 0, from 5420 down it is negative; its row is blank throughout.
    for (int32_t t : {5000, 5420, 5421, 5499, 5500, 5579})
        EXPECT_EQ(row_at(t, 1), blank_row) << "t = " << t;
    EXPECT_EQ(row_at(5580, 1), std::string(19, ' ') + "Y");
}

TEST(FourRowScrollers, RowsDriftAtTheirOwnPaces) {
    // t = 10000: steps 100, (10000 - 5500) / 80 = 56, (10000 - 5700) / 70 = 61
    // and (10000 - 2000) / 90 = 88.
    const std::string want = text_of(0).substr(100, 20) + text_of(1).substr(56, 20) +
                             text_of(2).substr(61, 20) + text_of(3).substr(88, 20);
    EXPECT_EQ(screen_at(10000), want);
    // Row 0 takes its next step 100 ms later, not before.
    EXPECT_EQ(row_at(10099, 0), text_of(0).substr(100, 20));
    EXPECT_EQ(row_at(10100, 0), text_of(0).substr(101, 20));
}

TEST(FourRowScrollers, TimesOutsideTheWindowShowBlankRows) {
    EXPECT_EQ(screen_at(INT32_MAX), std::string(80, ' '));
    EXPECT_EQ(screen_at(INT32_MIN), std::string(80, ' '));
    EXPECT_EQ(screen_at(-1), std::string(80, ' '));
}

}  // namespace
