// The composer's costs: synthesising the score, encoding it, and the bar
// analysis. The whole job, as users run it, is measured with
// `time build/bin/starglow-compose --out /tmp/starglow.mp3`.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "compose/bar_analysis.h"
#include "compose/mp3_encoder.h"
#include "compose/score.h"
#include "compose/track.h"

namespace {

const int32_t show_frames = static_cast<int32_t>(track_frames_for_ms(score_length_ms));

// The whole track, from score to 16-bit samples.
void BM_compose_whole_track(benchmark::State& state) {
    std::vector<int16_t> pcm(static_cast<size_t>(show_frames) * 2);
    for (auto _ : state) {
        compose_track(pcm.data(), show_frames, nullptr, nullptr);
        benchmark::DoNotOptimize(pcm.data());
    }
    state.counters["audio_s_per_s"] =
        benchmark::Counter(static_cast<double>(show_frames) / synth_rate_hz,
                           benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_compose_whole_track)->Unit(benchmark::kMillisecond)->Iterations(2);

// The opening alone: the densest section, 22 s.
void BM_compose_opening(benchmark::State& state) {
    const int32_t frames = score_frame_at(22000);
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    for (auto _ : state) {
        compose_track(pcm.data(), frames, nullptr, nullptr);
        benchmark::DoNotOptimize(pcm.data());
    }
}
BENCHMARK(BM_compose_opening)->Unit(benchmark::kMillisecond);

void BM_encode_whole_track(benchmark::State& state) {
    std::vector<int16_t> pcm(static_cast<size_t>(show_frames) * 2);
    compose_track(pcm.data(), show_frames, nullptr, nullptr);
    const std::string path = "/tmp/bench_compose_" + std::to_string(getpid()) + ".mp3";
    char error[256];
    for (auto _ : state) {
        if (!encode_mp3(path.c_str(), pcm.data(), pcm.size() / 2, mp3_show_settings, nullptr,
                        nullptr, error, sizeof error))
            state.SkipWithError(error);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_encode_whole_track)->Unit(benchmark::kMillisecond)->Iterations(2);

// The check over the opening: 1100 positions, two 256-point transforms each.
void BM_analyse_bars_opening(benchmark::State& state) {
    const int32_t frames = score_frame_at(22000);
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    compose_track(pcm.data(), frames, nullptr, nullptr);
    for (auto _ : state) {
        const BarFigures f = analyse_bars(pcm.data(), pcm.size() / 2, 0, 22000, 20);
        benchmark::DoNotOptimize(f.median_rows);
    }
}
BENCHMARK(BM_analyse_bars_opening)->Unit(benchmark::kMillisecond);

}  // namespace
