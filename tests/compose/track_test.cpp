#include "compose/track.h"

#include <gtest/gtest.h>

#include <vector>

#include "compose/score.h"

namespace {

// The show's own windows, where each section of the music starts.
constexpr int32_t timeline_starts_ms[] = {0,      22000,  37000,  43000,  66500,  81000, 103500,
                                          111000, 120000, 151500, 155000, 185000, 193500};
static_assert(sizeof timeline_starts_ms / sizeof timeline_starts_ms[0] == score_window_count);

TEST(Score, EverySectionStartsOnItsWindowAndOnABeat) {
    for (int s = 0; s < score_section_count; ++s) {
        const int32_t start = s < score_window_count ? timeline_starts_ms[s] : score_show_end_ms;
        EXPECT_EQ(score_section_start_ms(s), start) << score_section_name(s);
        EXPECT_EQ(score_section_start_ms(s) % score_beat_ms, 0) << score_section_name(s);
        EXPECT_EQ(int64_t{score_section_start_ms(s)} * synth_rate_hz % 1000, 0)
            << "a beat falls on a whole frame";
    }
}

// frames * 1000 / 44100, truncated, gives the length back for every
// length, and the frame count sits in the middle of its window.
TEST(Track, FramesForALengthReadBackAsThatLength) {
    EXPECT_EQ(track_frames_for_ms(203154), 8959113);
    EXPECT_EQ(track_frames_for_ms(0), 22);
    for (int64_t ms = 0; ms <= track_longest_ms; ms += 997) {
        const int64_t frames = track_frames_for_ms(ms);
        EXPECT_EQ(frames * 1000 / 44100, ms);
        EXPECT_EQ((frames - 21) * 1000 / 44100, ms) << "21 frames fewer still read " << ms;
        EXPECT_EQ((frames + 21) * 1000 / 44100, ms) << "21 frames more still read " << ms;
    }
}

std::vector<int16_t> composed(int32_t frames) {
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    compose_track(pcm.data(), frames, nullptr, nullptr);
    return pcm;
}

// The same samples every time; a shorter track is the start of a longer
// one (up to the limiter's look-ahead at its very end).
TEST(Track, DeterministicAndShorterIsTheStart) {
    const int32_t short_frames = 2 * 44100, long_frames = 3 * 44100;
    const std::vector<int16_t> a = composed(long_frames);
    EXPECT_EQ(a, composed(long_frames));
    const std::vector<int16_t> b = composed(short_frames);
    const size_t compared = static_cast<size_t>(short_frames - 44100 / 20) * 2;
    for (size_t i = 0; i < compared; ++i) ASSERT_EQ(a[i], b[i]) << "sample " << i;
}

TEST(Track, OpensWithSoundAtOnce) {
    const std::vector<int16_t> pcm = composed(44100 / 10);
    int peak = 0;
    for (const int16_t s : pcm) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 3000) << "the first tenth of a second is not silent";
}

int32_t progress_calls = 0;
void count_progress(void*, const char* stage, int64_t done, int64_t total) {
    EXPECT_LE(done, total) << stage;
    ++progress_calls;
}

TEST(Track, ReportsProgress) {
    std::vector<int16_t> pcm(44100 * 2 * 2);
    compose_track(pcm.data(), 44100 * 2, count_progress, nullptr);
    EXPECT_GE(progress_calls, 3);  // a section composed, two seconds mixed
}

}  // namespace
