// The per-frame cost of the scenes that draw with the big font or in the
// display's own characters, and of the big-text renderer alone. Times
// sweep each scene's whole window, so every phase (entry, scrolling,
// wipes, blank tail) is in the average.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "fx/big_font.h"
#include "scenes/big_scroller.h"
#include "scenes/four_row_scrollers.h"
#include "scenes/ready_screen.h"
#include "scenes/title_logo.h"

namespace {

using Update = void (*)(int32_t, Screen&);

// Steps t through [0, window_ms) by a stride prime to the scene's paces.
void run_update(benchmark::State& state, Update update, int32_t window_ms) {
    Screen screen;
    fill_screen(screen, blank_code);
    int32_t t = 0;
    for (auto _ : state) {
        update(t, screen);
        benchmark::DoNotOptimize(screen.cells);
        t += 7;
        if (t >= window_ms) t -= window_ms;
    }
}

void BM_big_scroller_a_update(benchmark::State& state) {
    run_update(state, big_scroller_a_update, 15000);
}
BENCHMARK(BM_big_scroller_a_update);

void BM_big_scroller_b_update(benchmark::State& state) {
    run_update(state, big_scroller_b_update, 8500);
}
BENCHMARK(BM_big_scroller_b_update);

void BM_title_logo_update(benchmark::State& state) {
    run_update(state, title_logo_update, 6000);
}
BENCHMARK(BM_title_logo_update);

void BM_four_row_scrollers_update(benchmark::State& state) {
    run_update(state, four_row_scrollers_update, 31500);
}
BENCHMARK(BM_four_row_scrollers_update);

void BM_ready_screen_update(benchmark::State& state) {
    run_update(state, ready_screen_update, 3500);
}
BENCHMARK(BM_ready_screen_update);

// The worst case of the renderer: three full letters on the display and
// the pen walking the rest of a long text.
void BM_draw_big_text_full_display(benchmark::State& state) {
    Screen screen;
    fill_screen(screen, blank_code);
    for (auto _ : state) {
        draw_big_text(screen, "WAVE WITH A NEW SCROLLER", 0);
        benchmark::DoNotOptimize(screen.cells);
    }
}
BENCHMARK(BM_draw_big_text_full_display);

}  // namespace
