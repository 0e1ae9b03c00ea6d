#include "compose/loudness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A sine at `dbfs` peak on the left channel, and on the right too if `both`.
std::vector<int16_t> stereo_sine(double hz, double dbfs, int rate, double seconds,
                                 bool both = true) {
    const size_t frames = static_cast<size_t>(rate * seconds);
    const double amplitude = 32767.0 * std::pow(10.0, dbfs / 20.0);
    std::vector<int16_t> pcm(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const auto s =
            static_cast<int16_t>(std::lrint(amplitude * std::sin(2 * M_PI * hz * i / rate)));
        pcm[2 * i] = s;
        pcm[2 * i + 1] = both ? s : 0;
    }
    return pcm;
}

TEST(Loudness, KWeightingAt48kHzHasThePublishedCoefficients) {
    const KWeighting k = loudness_k_weighting(48000);
    EXPECT_NEAR(k.shelf.b0, 1.53512485958697, 1e-9);
    EXPECT_NEAR(k.shelf.b1, -2.69169618940638, 1e-9);
    EXPECT_NEAR(k.shelf.b2, 1.19839281085285, 1e-9);
    EXPECT_NEAR(k.shelf.a1, -1.69065929318241, 1e-9);
    EXPECT_NEAR(k.shelf.a2, 0.73248077421585, 1e-9);
    EXPECT_NEAR(k.high_pass.a1, -1.99004745483398, 1e-9);
    EXPECT_NEAR(k.high_pass.a2, 0.99007225036621, 1e-9);
}

// A full-scale 997 Hz sine in one channel reads -3.01 LUFS, the reference
// point of the scale, at either rate; in both channels the two add up.
TEST(Loudness, ReferenceSineReadsItsKnownLoudness) {
    for (const int rate : {44100, 48000}) {
        const std::vector<int16_t> one = stereo_sine(997.0, 0.0, rate, 5.0, false);
        EXPECT_NEAR(integrated_loudness_lufs(one.data(), one.size() / 2, 2, rate), -3.01, 0.02)
            << rate;
        const std::vector<int16_t> both = stereo_sine(997.0, 0.0, rate, 5.0);
        EXPECT_NEAR(integrated_loudness_lufs(both.data(), both.size() / 2, 2, rate), 0.0, 0.02)
            << rate;
        const std::vector<int16_t> soft = stereo_sine(997.0, -20.0, rate, 5.0);
        EXPECT_NEAR(integrated_loudness_lufs(soft.data(), soft.size() / 2, 2, rate), -20.0, 0.02)
            << rate;
    }
}

TEST(Loudness, LowRumbleCountsForLessThanTheMids) {
    const std::vector<int16_t> rumble = stereo_sine(30.0, -20.0, 44100, 5.0);
    EXPECT_LT(integrated_loudness_lufs(rumble.data(), rumble.size() / 2, 2, 44100), -26.0)
        << "a 30 Hz sine at -20 dBFS is much quieter than -20 LUFS";
}

// Silence between passages is gated out, not averaged in (only the few
// blocks that straddle the edge count, a little softer).
TEST(Loudness, GatesOutSilence) {
    std::vector<int16_t> pcm = stereo_sine(997.0, -20.0, 44100, 5.0);
    pcm.resize(pcm.size() * 3, 0);  // ten seconds of silence after
    EXPECT_NEAR(integrated_loudness_lufs(pcm.data(), pcm.size() / 2, 2, 44100), -20.0, 0.2);
}

TEST(Loudness, SilenceAndTooShortAreMinusInfinity) {
    const std::vector<int16_t> silence(44100 * 2, 0);
    EXPECT_TRUE(std::isinf(integrated_loudness_lufs(silence.data(), 44100, 2, 44100)));
    const std::vector<int16_t> short_sine = stereo_sine(997.0, 0.0, 44100, 0.3);
    EXPECT_TRUE(
        std::isinf(integrated_loudness_lufs(short_sine.data(), short_sine.size() / 2, 2, 44100)));
}

TEST(Loudness, SamplePeak) {
    const int16_t pcm[] = {0, 100, -16384, 200};
    EXPECT_NEAR(sample_peak_dbfs(pcm, 4), -6.02, 0.01);
    const int16_t full[] = {-32768};
    EXPECT_DOUBLE_EQ(sample_peak_dbfs(full, 1), 0.0);
    const int16_t zero[] = {0, 0};
    EXPECT_TRUE(std::isinf(sample_peak_dbfs(zero, 2)));
}

}  // namespace
