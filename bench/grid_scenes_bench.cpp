// The per-frame cost of the two pixel-grid scenes, and of their shared
// parts, with every allocation counted: each update must stay well under
// 20 microseconds and allocate nothing.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>

#include "display/display_link.h"
#include "fx/four_sub_rows.h"
#include "fx/line_tracer.h"
#include "scenes/circles.h"
#include "scenes/rotating_cube.h"

namespace {
long grid_scenes_allocations = 0;
}  // namespace

// Counting replacements of the global allocation functions. Kept out of
// line: inlined next to the library's own allocations, GCC would pair the
// malloc and free inside them and flag a mismatch.
[[gnu::noinline]] void* operator new(std::size_t size) {
    ++grid_scenes_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](std::size_t size) {
    return operator new(size);
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

uint32_t grid_scenes_null_write(void*, const uint8_t*, uint32_t count) {
    return count;
}

// Runs update across the scene's whole window, 7 ms a call, wipes
// included; reports allocations per call.
template <void (*update)(int32_t, Screen&)>
void grid_scenes_run(benchmark::State& state, int32_t window_ms) {
    Screen screen;
    int32_t t = 0;
    const long before = grid_scenes_allocations;
    for (auto _ : state) {
        update(t, screen);
        benchmark::DoNotOptimize(screen.cells);
        t = (t + 7) % window_ms;
    }
    state.counters["allocs_per_call"] = benchmark::Counter(
        static_cast<double>(grid_scenes_allocations - before), benchmark::Counter::kAvgIterations);
}

void BM_rotating_cube_update(benchmark::State& state) {
    attach_display_sink(grid_scenes_null_write, nullptr);
    rotating_cube_init();
    grid_scenes_run<rotating_cube_update>(state, 30000);
}
BENCHMARK(BM_rotating_cube_update);

void BM_circles_update(benchmark::State& state) {
    attach_display_sink(grid_scenes_null_write, nullptr);
    circles_init();
    grid_scenes_run<circles_update>(state, 22500);
}
BENCHMARK(BM_circles_update);

void BM_map_four_sub_rows(benchmark::State& state) {
    PixelGrid grid;
    for (int i = 0; i < grid_pixels; ++i) grid.pixels[i] = static_cast<uint8_t>(i * 7 / 3 % 2);
    Screen screen;
    for (auto _ : state) {
        fill_screen(screen, blank_code);
        map_four_sub_rows(grid, screen);
        benchmark::DoNotOptimize(screen.cells);
    }
}
BENCHMARK(BM_map_four_sub_rows);

// A line longer than any edge of the cube, mostly off the grid.
void BM_draw_line(benchmark::State& state) {
    PixelGrid grid;
    clear_grid(grid);
    for (auto _ : state) {
        draw_line(-10, -7, 30, 22, grid);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_draw_line);

}  // namespace
