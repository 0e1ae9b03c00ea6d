// The per-frame cost of the spectrum scene and of building and sending a
// frame, into a sink that keeps nothing.
#include <benchmark/benchmark.h>

#include "audio/music_player.h"
#include "display/display_link.h"
#include "scenes/spectrum_bars.h"

namespace {

uint32_t null_write(void*, const uint8_t*, uint32_t count) {
    return count;
}

void BM_spectrum_bars_update(benchmark::State& state) {
    for (int i = 0; i < spectrum_bands; ++i)
        spectrum.left[i] = spectrum.right[i] = 0.01f * (i % 17);
    Screen screen;
    int32_t t = 0;
    for (auto _ : state) {
        spectrum_bars_update(t, screen);
        benchmark::DoNotOptimize(screen.cells);
        t = (t + 7) % 22000;
    }
}
BENCHMARK(BM_spectrum_bars_update);

void BM_send_frame(benchmark::State& state) {
    attach_display_sink(null_write, nullptr);
    Screen screen;
    fill_screen(screen, 'x');
    for (auto _ : state) {
        send_frame(screen);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_send_frame);

}  // namespace
