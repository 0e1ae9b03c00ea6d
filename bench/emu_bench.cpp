// The display model and the terminal picture, headless and unthrottled:
// the model eating the show's own traffic (every turn of the timeline on a
// virtual clock, captured from the real routines), and building terminal
// frames, whole and as the show changes them.
#include <benchmark/benchmark.h>

#include <cstring>

#include "display/display_link.h"
#include "display_model/lcd_model.h"
#include "driver/frame_loop.h"
#include "lcdemu/term_frame.h"
#include "support/capture_sink.h"
#include "support/fake_music.h"

namespace {

constexpr uint32_t emu_bench_turn_ms = 17;  // about the link's pace

uint32_t emu_bench_clock_ms = 0;
uint32_t emu_bench_clock() {
    return emu_bench_clock_ms;
}

// Everything the show writes over its whole timeline, one turn every 17 ms
// of virtual time.
const Bytes& emu_bench_show_traffic() {
    static Bytes traffic;
    if (!traffic.empty()) return traffic;
    CaptureSink capture;
    attach_capture(capture);
    reset_fake_music();
    loop_state.clock = emu_bench_clock;
    loop_state.console = nullptr;
    prepare_screen();
    build_timeline(show_timeline);
    emu_bench_clock_ms = 0;
    mark_t0();
    for (uint32_t t = 0; t <= show_end_position_ms; t += emu_bench_turn_ms) {
        emu_bench_clock_ms = t;
        fake_music.position_ms = t;
        for (int band = 0; band < spectrum_bands; ++band)
            fake_music.left[band] = fake_music.right[band] =
                0.002f * static_cast<float>((band * 7 + t / 50) % 37);
        run_turn();
    }
    traffic = capture.stream();
    return traffic;
}

void BM_model_show_traffic(benchmark::State& state) {
    const Bytes& traffic = emu_bench_show_traffic();
    LcdModel model;
    for (auto _ : state) {
        lcd_model_init(&model);
        lcd_model_feed(&model, traffic.data(), traffic.size());
        benchmark::DoNotOptimize(model.cells);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(traffic.size()));
    state.counters["show_bytes"] = static_cast<double>(traffic.size());
}
BENCHMARK(BM_model_show_traffic)->Unit(benchmark::kMillisecond);

// Models after successive frames of the show, for the terminal benchmarks.
struct EmuBenchFrames {
    static constexpr int count = 64;
    LcdModel models[count];
};

const EmuBenchFrames& emu_bench_frames() {
    static EmuBenchFrames frames;
    static bool made = false;
    if (made) return frames;
    const Bytes& traffic = emu_bench_show_traffic();
    LcdModel model;
    lcd_model_init(&model);
    int taken = 0;
    for (size_t i = 0; i < traffic.size() && taken < EmuBenchFrames::count; ++i) {
        const uint64_t before = model.counters.frames_completed;
        lcd_model_feed(&model, &traffic[i], 1);
        // Frames from the middle of the first scene, after its wipe.
        if (model.counters.frames_completed != before && model.counters.frames_completed > 300)
            frames.models[taken++] = model;
    }
    made = true;
    return frames;
}

const char* const emu_bench_status[term_status_lines] = {
    "/dev/pts/3  57600 baud  XON/XOFF  queue 96 B  60.0 frames/s", "> 123456"};

void BM_term_frame_whole(benchmark::State& state) {
    const EmuBenchFrames& frames = emu_bench_frames();
    static TermFrame frame;
    term_frame_init(&frame);
    int i = 0;
    for (auto _ : state) {
        term_frame_invalidate(&frame);
        benchmark::DoNotOptimize(term_frame_build(&frame, frames.models[i], picture_palettes[0],
                                                  true, false, 140, 40, emu_bench_status));
        i = (i + 1) % EmuBenchFrames::count;
    }
}
BENCHMARK(BM_term_frame_whole)->Unit(benchmark::kMicrosecond);

void BM_term_frame_show_change(benchmark::State& state) {
    const EmuBenchFrames& frames = emu_bench_frames();
    static TermFrame frame;
    term_frame_init(&frame);
    int i = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        bytes += term_frame_build(&frame, frames.models[i], picture_palettes[0], true, false, 140,
                                  40, emu_bench_status);
        i = (i + 1) % EmuBenchFrames::count;
    }
    state.counters["bytes_per_frame"] =
        static_cast<double>(bytes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_term_frame_show_change)->Unit(benchmark::kMicrosecond);

}  // namespace
