// The spectrum on samples made in memory: a full-scale sine at a band's
// centre reads 1.0 there and nothing elsewhere, each channel on its own,
// and the window ends exactly at the frame asked for.
#include <gtest/gtest.h>

#include <vector>

#include "audio/spectrum_analyser.h"
#include "support/music_fixtures.h"

namespace {

struct Analyser {
    SpectrumAnalyser analyser{};
    Analyser() { EXPECT_TRUE(open_spectrum_analyser(&analyser)); }
    ~Analyser() { close_spectrum_analyser(&analyser); }
};

DecodedMusic music_of(std::vector<int16_t>& samples, int channels) {
    DecodedMusic music{};
    music.samples = samples.data();
    music.channels = channels;
    music.rate = fixture_rate;
    music.frames = samples.size() / static_cast<size_t>(channels);
    music.length_ms = static_cast<uint32_t>(music.frames * 1000 / fixture_rate);
    return music;
}

struct Bands {
    float values[spectrum_bands];
};

Bands analyse(Analyser& a, const DecodedMusic& music, uint64_t end_frame, int channel) {
    Bands bands{};
    analyse_spectrum(&a.analyser, music, end_frame, channel, bands.values);
    return bands;
}

void expect_only(const Bands& bands, int band, float level) {
    for (int k = 0; k < spectrum_bands; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(bands.values[k], k == band ? level : 0.0f, 1e-3f);
    }
}

TEST(Spectrum, AFullScaleSineReadsOneInItsBandAndNothingElsewhere) {
    std::vector<int16_t> samples = tone_samples(4096, 2, fixture_rate, {10, 1.0}, {37, 0.25});
    const DecodedMusic music = music_of(samples, 2);
    Analyser a;
    expect_only(analyse(a, music, 3000, 0), 10, 1.0f);
    expect_only(analyse(a, music, 3000, 1), 37, 0.25f);
    // Any window position: the sine spans whole periods at its band's centre.
    expect_only(analyse(a, music, 1001, 0), 10, 1.0f);
}

TEST(Spectrum, AMonoFileGivesBothChannelsItsOneChannel) {
    std::vector<int16_t> samples = tone_samples(1024, 1, fixture_rate, {20, 0.5}, {0, 0});
    const DecodedMusic music = music_of(samples, 1);
    Analyser a;
    expect_only(analyse(a, music, 800, 0), 20, 0.5f);
    expect_only(analyse(a, music, 800, 1), 20, 0.5f);
}

TEST(Spectrum, TheWindowEndsJustBeforeTheEndFrame) {
    // One click at frame 1000: its spectrum is flat at 2A/256 while it is
    // among the 256 frames that end at end_frame, zero otherwise.
    std::vector<int16_t> samples(2 * 2000, 0);
    samples[2 * 1000] = 16384;
    const DecodedMusic music = music_of(samples, 2);
    const float flat = 2.0f * 0.5f / spectrum_window_frames;
    Analyser a;
    EXPECT_NEAR(analyse(a, music, 1000, 0).values[5], 0.0f, 1e-7f);
    EXPECT_NEAR(analyse(a, music, 1001, 0).values[5], flat, 1e-6f);
    EXPECT_NEAR(analyse(a, music, 1001, 0).values[100], flat, 1e-6f);
    EXPECT_NEAR(analyse(a, music, 1256, 0).values[5], flat, 1e-6f);
    EXPECT_NEAR(analyse(a, music, 1257, 0).values[5], 0.0f, 1e-7f);
    EXPECT_NEAR(analyse(a, music, 1001, 1).values[5], 0.0f, 1e-7f);
}

TEST(Spectrum, ZerosBeforeTheStartAndAfterTheEnd) {
    std::vector<int16_t> samples = tone_samples(512, 2, fixture_rate, {10, 1.0}, {10, 1.0});
    const DecodedMusic music = music_of(samples, 2);
    Analyser a;
    expect_only(analyse(a, music, 0, 0), -1, 0.0f);
    // Half a window of the sine: the band still stands out, at half height.
    EXPECT_NEAR(analyse(a, music, 128, 0).values[10], 0.5f, 0.01f);
    EXPECT_NEAR(analyse(a, music, 512 + 128, 0).values[10], 0.5f, 0.01f);
    expect_only(analyse(a, music, 512 + 256, 0), -1, 0.0f);
    expect_only(analyse(a, music, UINT64_MAX, 1), -1, 0.0f);
}

}  // namespace
