// The show's generator against the C library's own on this (GNU) system:
// the same values as an unseeded rand(), taken to 15 bits, for a long run
// and after a restart.
#include <gtest/gtest.h>

#include <cstdlib>

#include "random/show_random.h"

namespace {

constexpr int long_run = 1000000;

// First index at which the two generators part, or -1.
int first_difference(int count) {
    for (int i = 0; i < count; ++i) {
        const int expected = std::rand() & 0x7FFF;
        const int32_t got = show_rand();
        if (got != expected) {
            ADD_FAILURE() << "value " << i << ": " << got << ", the C library gives " << expected;
            return i;
        }
    }
    return -1;
}

TEST(ShowRandom, IsTheUnseededCLibrarySequenceForAMillionValues) {
    // Neither generator has been used in this process yet: both start as a
    // fresh program's do.
    EXPECT_EQ(first_difference(long_run), -1);
}

TEST(ShowRandom, RestartGivesTheFirstValuesAgain) {
    for (int i = 0; i < 12345; ++i) show_rand();
    show_rand_restart();
    std::srand(1);  // the C library's own restart of its unseeded sequence
    EXPECT_EQ(first_difference(long_run), -1);
}

TEST(ShowRandom, ValuesStayWithinFifteenBitsAndUseThemAll) {
    show_rand_restart();
    int32_t seen_or = 0;
    int32_t smallest = show_rand_max;
    for (int i = 0; i < 100000; ++i) {
        const int32_t value = show_rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, show_rand_max);
        seen_or |= value;
        if (value < smallest) smallest = value;
    }
    EXPECT_EQ(seen_or, show_rand_max);
    EXPECT_LT(smallest, 10);
}

}  // namespace
