#include "web/page_show.h"

#include <emscripten.h>

#include <cmath>
#include <cstdlib>

#include "audio/music_player.h"
#include "audio/offline_music.h"
#include "display/display_link.h"
#include "driver/frame_loop.h"
#include "platform/clock.h"
#include "platform/web/page_line.h"
#include "platform/web/page_music.h"
#include "random/show_random.h"
#include "render/virtual_clock.h"
#include "web/page_display.h"

PageShow page_show = {page_show_idle, {}, {}, 0};
PageBuffer page_port_outbox = {nullptr, 0, 0, false};

namespace {

// How far the line's time may lag the wall clock and still be caught up
// turn by turn: the page's timers and frames come a few ms late, which must
// not cost the line any time. A longer hold-up (a hidden tab, a busy
// machine) leaves the line idle instead, as a real program held up by its
// machine would, and the show goes on with the wall clock.
constexpr double show_catch_up_ms = 250;
constexpr uint32_t show_port_chunk_bytes = 4096;
constexpr const char* show_line_name = "COM1";

LineTicks show_ticks(double ms) {
    return static_cast<LineTicks>(std::floor(ms * line_ticks_per_ms));
}

uint32_t show_feed_model(void*, const uint8_t* bytes, uint32_t count) {
    page_display_feed(bytes, count);
    return count;
}

// Every write after t0: the fast mode's clock counts it, the record keeps it.
void show_observe(const uint8_t* bytes, uint32_t count) {
    if (page_show.options.fast) count_link_bytes(count);
    page_record_write(bytes, count);
}

void show_outbox_append(const uint8_t* bytes, uint32_t count) {
    PageBuffer& box = page_port_outbox;
    if (box.size + count > box.capacity) {
        const size_t capacity = 2 * (box.size + count);
        void* grown = std::realloc(box.data, capacity);
        if (grown == nullptr) {
            box.full = true;
            return;
        }
        box.data = static_cast<uint8_t*>(grown);
        box.capacity = capacity;
    }
    for (uint32_t i = 0; i < count; ++i) box.data[box.size + i] = bytes[i];
    box.size += count;
}

void show_end() {
    stop_music();
    page_music_released();
    page_show.state = page_show_ended;
}

bool show_turn() {
    const double before = emscripten_get_now();
    const bool last = run_turn();
    const double took = emscripten_get_now() - before;
    ++page_show.stats.turns;
    if (!page_show.options.fast) {
        page_show.stats.turn_ms_total += took;
        if (took > page_show.stats.turn_ms_most) page_show.stats.turn_ms_most = took;
    }
    if (page_show.options.fast) {
        // Nothing waits on the virtual link: every byte has crossed.
        page_display_catch_up(INFINITY);
        page_port_take(INFINITY);
    }
    return last;
}

}  // namespace

void page_show_before_play() {
    reset_page_display();
    attach_display_sink(show_feed_model, nullptr);
    init_display();
}

PageShowState page_show_start(double now_ms, const PageShowOptions& options) {
    PageShow& p = page_show;
    p.options = options;
    p.stats = PageShowStats{};
    show_rand_restart();
    reset_page_line(show_ticks(now_ms));
    page_line.port_reading = options.port;
    page_port_outbox.size = 0;
    page_port_outbox.full = false;
    reset_page_record(options.record);

    if (options.fast) {
        use_offline_music();
        if (options.silent) use_offline_silence(music_length_ms);
    } else if (options.silent) {
        setenv("STARGLOW_AUDIO", "silent", 1);
    }
    loop_state.console = nullptr;
    loop_state.clock = options.fast ? virtual_show_clock : monotonic_ms;

    // starglow's own order, on the page's line (see startup.cpp).
    open_display_link(show_line_name);
    prepare_screen();
    init_display();
    build_timeline(show_timeline);
    p.state = page_show_failed;  // until the music has started
    start_music();
    if (options.fast) reset_virtual_clock(0);
    mark_t0();
    p.t0_ms = static_cast<double>(page_line.now) / line_ticks_per_ms;
    page_line.observer = show_observe;
    if (music_player.length_ms != music_length_ms) {
        stop_music();
        page_music_released();
        p.state = page_show_not_run;
    } else {
        p.state = page_show_running;
    }
    page_port_take(now_ms);
    return p.state;
}

PageShowState page_show_run(double now_ms, double budget_ms) {
    PageShow& p = page_show;
    if (p.state != page_show_running) return p.state;
    const double began = emscripten_get_now();
    if (p.options.fast) {
        bool last = false;
        do last = show_turn();
        while (!last && emscripten_get_now() - began < budget_ms);
        p.stats.turn_ms_total += emscripten_get_now() - began;
        if (last) show_end();
        return p.state;
    }
    const LineTicks now = show_ticks(now_ms);
    if (page_line.now < now - show_ticks(show_catch_up_ms)) {
        page_line_wake(now);
        ++p.stats.stalls;
    }
    while (page_line.now <= now) {
        const bool last = show_turn();
        page_port_take(now_ms);
        if (last) {
            show_end();
            break;
        }
        if (emscripten_get_now() - began >= budget_ms) break;
    }
    return p.state;
}

double page_show_next_turn_ms() {
    return static_cast<double>(page_line.now) / line_ticks_per_ms;
}

void page_show_fail() {
    page_show.state = page_show_failed;
}

void page_show_abandon() {
    if (page_show.state != page_show_running) return;
    stop_music();
    page_music_released();
    page_show.state = page_show_not_run;
}

void page_port_take(double now_ms) {
    if (!page_line.port_reading) return;
    const LineTicks at = now_ms >= static_cast<double>(line_ticks_never / line_ticks_per_ms)
                             ? line_ticks_never
                             : show_ticks(now_ms);
    uint8_t chunk[show_port_chunk_bytes];
    for (uint32_t n; (n = page_line_take_begun(at, chunk, sizeof chunk)) > 0;)
        show_outbox_append(chunk, n);
}
