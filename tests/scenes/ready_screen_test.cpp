// The ready screen: its one picture, uncovered and covered by the wipes.
#include <gtest/gtest.h>

#include <string>

#include "scenes/ready_screen.h"
#include "support/screen_picture.h"

namespace {

std::string frame_at(int32_t t) {
    Screen screen = screen_filled('x');
    ready_screen_update(t, screen);
    return screen_picture(screen);
}

const std::string whole_picture = frame({
    "...33...33.3333331..",
    "...3333333.33...33..",
    "...33...33.3333335..",
    "....r..e..a..d..y...",
});

TEST(ReadyScreen, EntersWithTheWipe) {
    EXPECT_EQ(frame_at(0), blank_frame);
    EXPECT_EQ(frame_at(256), frame({
                                 // columns 0 to 3 still covered
                                 "....3...33.3333331..",
                                 "....333333.33...33..",
                                 "....3...33.3333335..",
                                 "....r..e..a..d..y...",
                             }));
}

TEST(ReadyScreen, ShowsTheWholePictureBetweenTheWipes) {
    EXPECT_EQ(frame_at(305), whole_picture);
    EXPECT_EQ(frame_at(1500), whole_picture);
    EXPECT_EQ(frame_at(3000), whole_picture);
}

TEST(ReadyScreen, LeavesWithTheWipeTheDBeforeTheY) {
    EXPECT_EQ(frame_at(3033), frame({
                                  "...33...33.333333...",
                                  "...3333333.33...3...",
                                  "...33...33.333333...",
                                  "....r..e..a..d..y...",
                              }));
    EXPECT_EQ(frame_at(3049), frame({
                                  "...33...33.33333....",
                                  "...3333333.33.......",
                                  "...33...33.33333....",
                                  "....r..e..a..d......",
                              }));
    EXPECT_EQ(frame_at(3305), blank_frame);
    EXPECT_EQ(frame_at(3499), blank_frame);
}

}  // namespace
