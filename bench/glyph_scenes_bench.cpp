// The per-frame cost of the scenes that rebuild glyphs every frame: the
// credits sparkle (800 sines and cosines, 400 random draws), the box, the
// sine bars and the wave pattern, into a sink that keeps nothing.
#include <benchmark/benchmark.h>

#include "display/display_link.h"
#include "scenes/box.h"
#include "scenes/credits_sparkle.h"
#include "scenes/sine_bars.h"
#include "scenes/wave_pattern.h"

namespace {

uint32_t null_write(void*, const uint8_t*, uint32_t count) {
    return count;
}

// Runs one update routine over its scene's times, 7 ms apart.
template <void (*update)(int32_t, Screen&)>
void run_scene(benchmark::State& state, int32_t scene_ms) {
    attach_display_sink(null_write, nullptr);
    Screen screen;
    int32_t t = 0;
    for (auto _ : state) {
        update(t, screen);
        benchmark::DoNotOptimize(screen.cells);
        t = (t + 7) % scene_ms;
    }
}

void BM_credits_sparkle_update(benchmark::State& state) {
    run_scene<credits_sparkle_update>(state, 23500);
}
BENCHMARK(BM_credits_sparkle_update);

void BM_box_update(benchmark::State& state) {
    run_scene<box_update>(state, 9000);
}
BENCHMARK(BM_box_update);

void BM_sine_bars_update(benchmark::State& state) {
    run_scene<sine_bars_update>(state, 7500);
}
BENCHMARK(BM_sine_bars_update);

void BM_wave_pattern_update(benchmark::State& state) {
    run_scene<wave_pattern_update>(state, 14500);
}
BENCHMARK(BM_wave_pattern_update);

}  // namespace
