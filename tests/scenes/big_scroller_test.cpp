// The big-text scrollers of rows 2 and 12: where the text stands at the
// step boundaries, as whole frames.
#include <gtest/gtest.h>

#include <string>

#include "scenes/big_scroller.h"
#include "support/screen_picture.h"

namespace {

using Update = void (*)(int32_t, Screen&);

// Every update starts from a screen full of leftovers from the frame before.
std::string frame_at(Update update, int32_t t) {
    Screen screen = screen_filled('x');
    update(t, screen);
    return screen_picture(screen);
}

TEST(BigScrollerA, TextEntersOntoABlankDisplay) {
    EXPECT_EQ(frame_at(big_scroller_a_update, 0), blank_frame);
    EXPECT_EQ(frame_at(big_scroller_a_update, 57), blank_frame);   // column 25
    EXPECT_EQ(frame_at(big_scroller_a_update, 58), blank_frame);   // column 24
    EXPECT_EQ(frame_at(big_scroller_a_update, 347), blank_frame);  // column 20
    EXPECT_EQ(frame_at(big_scroller_a_update, 348), frame({
                                                        "...................0",
                                                        "...................3",
                                                        "...................3",
                                                        "...................3",
                                                    }));
    // Still there for the rest of the step, one column further at the next.
    EXPECT_EQ(frame_at(big_scroller_a_update, 405), frame_at(big_scroller_a_update, 348));
    EXPECT_EQ(frame_at(big_scroller_a_update, 406), frame({
                                                        "..................03",
                                                        "..................3.",
                                                        "..................3.",
                                                        "..................3.",
                                                    }));
}

TEST(BigScrollerA, FirstWordAtColumnZero) {
    // 25 steps of 58 ms: A, F and T in full, E still beyond the edge.
    EXPECT_EQ(frame_at(big_scroller_a_update, 25 * 58), frame({
                                                            "03331..03331..33333.",
                                                            "3.2.3..3.2......3...",
                                                            "3.6.3..3.6......3...",
                                                            "3...3..3........3...",
                                                        }));
}

TEST(BigScrollerA, LastLetterLeavesThirtySixMillisecondsBeforeTheEnd) {
    EXPECT_EQ(frame_at(big_scroller_a_update, 14963), frame({
                                                          "3...................",
                                                          "3...................",
                                                          "3...................",
                                                          "5...................",
                                                      }));
    EXPECT_EQ(frame_at(big_scroller_a_update, 14964), blank_frame);
    EXPECT_EQ(frame_at(big_scroller_a_update, 15000), blank_frame);
    EXPECT_EQ(frame_at(big_scroller_a_update, INT32_MAX), blank_frame);
}

TEST(BigScrollerB, SlowerTextEntersAndLeaves) {
    EXPECT_EQ(frame_at(big_scroller_b_update, 407), blank_frame);
    EXPECT_EQ(frame_at(big_scroller_b_update, 408), frame({
                                                        "...................0",
                                                        "...................4",
                                                        "...................2",
                                                        "...................4",
                                                    }));
    EXPECT_EQ(frame_at(big_scroller_b_update, 7955), frame({
                                                         "3...................",
                                                         "5...................",
                                                         "1...................",
                                                         "3...................",
                                                     }));
    EXPECT_EQ(frame_at(big_scroller_b_update, 7956), blank_frame);
}

TEST(BigScroller, TimesTheTimelineNeverGivesStayOnTheScreen) {
    // A negative t moves the text further right; the most negative one
    // needs more than 32 bits of column.
    Screen screen = screen_filled('x');
    big_scroller_update(INT32_MIN, screen, "A", 1);
    EXPECT_EQ(screen_picture(screen), blank_frame);
    // Without a pace the text stands at its start column, beyond the edge.
    big_scroller_update(1000, screen, "A", 0);
    EXPECT_EQ(screen_picture(screen), blank_frame);
    big_scroller_update(25 * 3, screen, "A", 3);
    EXPECT_EQ(screen_picture(screen), frame({
                                          "03331...............",
                                          "3.2.3...............",
                                          "3.6.3...............",
                                          "3...3...............",
                                      }));
}

}  // namespace
