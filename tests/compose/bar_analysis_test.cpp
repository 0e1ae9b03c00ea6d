#include "compose/bar_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double band_hz = 44100.0 / 256.0;

// Sines at a band's centre, of the given amplitudes on each side.
std::vector<int16_t> band_sine(double band, double left, double right, size_t frames) {
    std::vector<int16_t> pcm(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double s = std::sin(2 * M_PI * band * band_hz * i / 44100.0);
        pcm[2 * i] = static_cast<int16_t>(std::lrint(32767.0 * left * s));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lrint(32767.0 * right * s));
    }
    return pcm;
}

// Magnitude 2|X_k|/256 reads a sine's amplitude: 0.06 on each side makes
// a bar 12 rows high (0.12 * 100), and the other bars stay empty.
TEST(BarAnalysis, SineAtABandsCentreRaisesThatBarAlone) {
    const std::vector<int16_t> pcm = band_sine(10, 0.0605, 0.0605, 44100);
    int32_t h[bar_columns];
    bar_heights(pcm.data(), 44100, 500, h);
    for (int k = 0; k < bar_columns; ++k) EXPECT_EQ(h[k], k == 10 ? 12 : 0) << "column " << k;
}

TEST(BarAnalysis, BothChannelsAddUp) {
    const std::vector<int16_t> left_only = band_sine(5, 0.1205, 0.0, 44100);
    int32_t h[bar_columns];
    bar_heights(left_only.data(), 44100, 500, h);
    EXPECT_EQ(h[5], 12);
    const std::vector<int16_t> uneven = band_sine(5, 0.0905, 0.0305, 44100);
    bar_heights(uneven.data(), 44100, 500, h);
    EXPECT_EQ(h[5], 12);
}

// The window is the 256 frames that end at the position: a click on the
// frame at the position is not in it yet, one frame earlier it is.
TEST(BarAnalysis, WindowEndsAtThePosition) {
    const size_t frames = 2 * 44100;
    std::vector<int16_t> pcm(frames * 2, 0);
    const size_t at = 1000 * 44100 / 1000;  // the frame at 1000 ms
    pcm[at * 2] = pcm[at * 2 + 1] = 32767;
    int32_t h[bar_columns];
    bar_heights(pcm.data(), frames, 1000, h);
    for (int k = 0; k < bar_columns; ++k) EXPECT_EQ(h[k], 0) << "column " << k;
    bar_heights(pcm.data(), frames, 1001, h);  // ends 44 frames later: the click is in
    for (int k = 0; k < bar_columns; ++k) EXPECT_GT(h[k], 0) << "column " << k;
}

TEST(BarAnalysis, SilenceBeforeTheStartAndPastTheEnd) {
    const std::vector<int16_t> pcm = band_sine(3, 0.5, 0.5, 1000);
    int32_t h[bar_columns];
    bar_heights(pcm.data(), 1000, 0, h);
    for (int k = 0; k < bar_columns; ++k) EXPECT_EQ(h[k], 0);
    bar_heights(pcm.data(), 1000, 1000, h);  // long after the last frame
    for (int k = 0; k < bar_columns; ++k) EXPECT_EQ(h[k], 0);
}

// A steady tone holds its bar still: the median is right, the movement
// is not, so it does not pass. A tone that pulses every quarter second
// moves its bar every second.
TEST(BarAnalysis, FiguresJudgeHeightAndMovement) {
    const size_t frames = 44100 * 4;
    const std::vector<int16_t> steady = band_sine(10, 0.0605, 0.0605, frames);
    const BarFigures s = analyse_bars(steady.data(), frames, 100, 3100, 20);
    EXPECT_EQ(s.positions, 150);
    EXPECT_EQ(s.seconds, 3);
    EXPECT_EQ(s.median_rows[10], 12);
    EXPECT_EQ(s.moving_seconds[10], 0);
    EXPECT_FALSE(bar_figures_pass(s));

    std::vector<int16_t> pulsing = steady;
    for (size_t i = 0; i < pulsing.size() / 2; ++i)
        if (i % 11025 > 8000) pulsing[2 * i] = pulsing[2 * i + 1] = 0;
    const BarFigures p = analyse_bars(pulsing.data(), frames, 100, 3100, 20);
    EXPECT_EQ(p.moving_seconds[10], 3);
}

TEST(BarAnalysis, PassNeedsEveryColumnWithinBoundsAndMovingInThreeSecondsOfFour) {
    BarFigures f{};
    f.positions = 1100;
    f.seconds = 22;
    for (int k = 0; k < bar_columns; ++k) {
        f.median_rows[k] = k % 2 == 0 ? bar_median_lowest_rows : bar_median_highest_rows;
        f.moving_seconds[k] = 17;  // 17 * 4 >= 22 * 3
    }
    EXPECT_TRUE(bar_figures_pass(f));
    BarFigures low = f;
    low.median_rows[19] = bar_median_lowest_rows - 1;
    EXPECT_FALSE(bar_figures_pass(low));
    BarFigures high = f;
    high.median_rows[0] = bar_median_highest_rows + 1;
    EXPECT_FALSE(bar_figures_pass(high));
    BarFigures still = f;
    still.moving_seconds[7] = 16;
    EXPECT_FALSE(bar_figures_pass(still));
    EXPECT_FALSE(bar_figures_pass(BarFigures{}));
}

}  // namespace
