// The big font: its glyphs on the wire, its letters, and how a line of them
// is clipped, advanced and laid over what the screen already holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "display/commands.h"
#include "fx/big_font.h"
#include "support/capture_sink.h"
#include "support/screen_picture.h"
#include "support/wire_compare.h"

namespace {

// What lay on the screen before the text was drawn: 'x' shows every cell
// that drawing left alone.
const uint8_t untouched = 'x';

std::string drawn(const char* text, int32_t first_column) {
    Screen screen = screen_filled(untouched);
    draw_big_text(screen, text, first_column);
    return screen_picture(screen);
}

const std::string nothing_drawn = frame({
    "xxxxxxxxxxxxxxxxxxxx",
    "xxxxxxxxxxxxxxxxxxxx",
    "xxxxxxxxxxxxxxxxxxxx",
    "xxxxxxxxxxxxxxxxxxxx",
});

TEST(BigFont, UploadSendsTheEightGlyphsAsEightWrites) {
    const uint8_t rows[8][8] = {
        {0x01, 0x07, 0x0F, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF},
        {0x10, 0x1C, 0x1E, 0x1E, 0xFF, 0xFF, 0xFF, 0xFF},
        {0x00, 0x00, 0x00, 0x10, 0x18, 0x1C, 0x1E, 0xFF},
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
        {0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x0F, 0x07, 0x01},
        {0xFF, 0xFF, 0xFF, 0xFF, 0x1E, 0x1E, 0x1C, 0x10},
        {0xFF, 0x0F, 0x07, 0x03, 0x01, 0x00, 0x00, 0x00},
        {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},
    };
    CaptureSink capture;
    attach_capture(capture);
    upload_font_glyphs();
    EXPECT_TRUE(uploaded_glyph_set(capture, rows));
}

TEST(BigFont, EveryLetterHasItsShape) {
    // Rows top to bottom, a digit a glyph, a point a blank.
    const char* const letters[26] = {
        "03331 3.2.3 3.6.3 3...3", "33331 3.2.5 3.6.1 33335", "03331 3...6 3...2 43335",
        "33331 3...3 3...3 33335", "03331 3.2.. 3.6.. 43335", "03331 3.2.. 3.6.. 3....",
        "03331 3...6 3..63 43335", "3...3 3...3 33333 3...3", "3.... 3.... 3.... 3....",
        "....3 ....3 2...3 43335", "3...3 3..25 3..61 3...3", "3.... 3.... 3.... 33333",
        "01.01 34353 3...3 3...3", "3.2.3 3.6.3 3...3 3...3", "03331 3...3 3...3 43335",
        "03331 3...3 33335 3....", "03331 3...3 3..63 43336", "33331 3..25 3..62 3...3",
        "03331 42..6 2..61 43335", "33333 ..3.. ..3.. ..3..", "3...3 3...3 3...3 43335",
        "3...3 3...3 41.05 .435.", "3...3 3...3 30313 45.45", "3...3 4...5 03331 3...3",
        "3...3 3...3 43335 ..3..", "33333 ...33 333.. 33333",
    };
    for (int letter = 0; letter < 26; ++letter) {
        std::string shape;
        for (int r = 0; r < 4; ++r) {
            if (r > 0) shape += ' ';
            for (int k = 0; k < 5; ++k)
                shape += screen_picture_char(big_font[letter * 20 + r * 5 + k]);
        }
        EXPECT_EQ(shape, letters[letter]) << static_cast<char>('A' + letter);
    }
}

TEST(BigFont, LettersFollowEachOtherWithTwoColumnsBetween) {
    EXPECT_EQ(drawn("AB", 0), frame({
                                  "03331xx33331xxxxxxxx",
                                  "3.2.3xx3.2.5xxxxxxxx",
                                  "3.6.3xx3.6.1xxxxxxxx",
                                  "3...3xx33335xxxxxxxx",
                              }));
}

TEST(BigFont, IIsOneColumnWideButItsBoxIsBlankedUnderTheNextLetter) {
    EXPECT_EQ(drawn("IT", 0), frame({
                                  "3.33333xxxxxxxxxxxxx",
                                  "3...3..xxxxxxxxxxxxx",
                                  "3...3..xxxxxxxxxxxxx",
                                  "3...3..xxxxxxxxxxxxx",
                              }));
}

TEST(BigFont, LettersAreClippedAtBothEdgesWithoutWrapping) {
    EXPECT_EQ(drawn("A", -4), frame({
                                  "1xxxxxxxxxxxxxxxxxxx",
                                  "3xxxxxxxxxxxxxxxxxxx",
                                  "3xxxxxxxxxxxxxxxxxxx",
                                  "3xxxxxxxxxxxxxxxxxxx",
                              }));
    EXPECT_EQ(drawn("A", 19), frame({
                                  "xxxxxxxxxxxxxxxxxxx0",
                                  "xxxxxxxxxxxxxxxxxxx3",
                                  "xxxxxxxxxxxxxxxxxxx3",
                                  "xxxxxxxxxxxxxxxxxxx3",
                              }));
    EXPECT_EQ(drawn("A", -5), nothing_drawn);
    EXPECT_EQ(drawn("A", 20), nothing_drawn);
    EXPECT_EQ(drawn("W", -100), nothing_drawn);
}

TEST(BigFont, AdvanceAppliesToLettersBeyondTheLeftEdge) {
    // A lies wholly left of the display; B still starts 7 columns later.
    EXPECT_EQ(drawn("AB", -9), frame({
                                   "331xxxxxxxxxxxxxxxxx",
                                   "2.5xxxxxxxxxxxxxxxxx",
                                   "6.1xxxxxxxxxxxxxxxxx",
                                   "335xxxxxxxxxxxxxxxxx",
                               }));
    // Two I's and a space: 2 + 2 + 3 columns before the T.
    EXPECT_EQ(drawn("II T", -7), frame({
                                     "33333xxxxxxxxxxxxxxx",
                                     "..3..xxxxxxxxxxxxxxx",
                                     "..3..xxxxxxxxxxxxxxx",
                                     "..3..xxxxxxxxxxxxxxx",
                                 }));
}

TEST(BigFont, SpacesAndOtherCharactersDrawNothingAndAdvanceThreeColumns) {
    const std::string a_space_b = frame({
        "03331xxxxx33331xxxxx",
        "3.2.3xxxxx3.2.5xxxxx",
        "3.6.3xxxxx3.6.1xxxxx",
        "3...3xxxxx33335xxxxx",
    });
    EXPECT_EQ(drawn("A B", 0), a_space_b);
    EXPECT_EQ(drawn("AaB", 0), a_space_b);
    EXPECT_EQ(drawn("A7B", 0), a_space_b);
    EXPECT_EQ(drawn("A@B", 0), a_space_b);  // just below A
    EXPECT_EQ(drawn("A[B", 0), a_space_b);  // just above Z
    EXPECT_EQ(drawn("A\xFF"
                    "B",
                    0),
              a_space_b);
    EXPECT_EQ(drawn("", 0), nothing_drawn);
    EXPECT_EQ(drawn(nullptr, 0), nothing_drawn);
}

TEST(BigFont, TextWidthIsTheSumOfTheAdvances) {
    static_assert(big_text_width("A") == 7);
    static_assert(big_text_width("I") == 2);
    static_assert(big_text_width(" ") == 3);
    static_assert(big_text_width("AFTER TEN YEARS   WE ARE BACK WITH A NEW ") == 238);
    static_assert(big_text_width("SCROLLERS SUCK") == 94);
}

TEST(BigFont, ColumnsAtTheEndsOfTheIntegerRangeDrawNothing) {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    EXPECT_EQ(drawn(alphabet, INT32_MIN), nothing_drawn);
    EXPECT_EQ(drawn(alphabet, INT32_MAX), nothing_drawn);
    EXPECT_EQ(drawn(alphabet, INT32_MAX - 3), nothing_drawn);
}

}  // namespace
