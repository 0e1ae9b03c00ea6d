#include "driver/frame_loop.h"

#include "audio/music_player.h"
#include "display/display_link.h"
#include "platform/clock.h"

LoopState loop_state = {
    show_timeline, show_scene_rows, nullptr, 0, false, 0, monotonic_ms, stdout, {}, 0, 0,
};

void prepare_screen() {
    fill_screen(loop_state.screen, blank_code);
    for (int code = 0; code < glyph_count; ++code)
        loop_state.screen.cells[code] = static_cast<uint8_t>(code);
}

void build_timeline(const SceneEntry* timeline) {
    loop_state.timeline = timeline;
    loop_state.scene_rows = count_scene_rows(timeline);
    loop_state.current_update = nullptr;
    loop_state.scene_start_ms = 0;
    loop_state.done = false;
}

void mark_t0() {
    loop_state.t0 = loop_state.clock();
}

bool run_turn() {
    LoopState& s = loop_state;
    // Unsigned difference, read as signed: wraps like the clock does.
    const int32_t clock_ms = static_cast<int32_t>(s.clock() - s.t0);

    const uint32_t position_ms = poll_music();
    s.clock_ms = clock_ms;
    s.position_ms = position_ms;
    // The console line is for people watching; its failure is ignored.
    if (s.console != nullptr) std::fprintf(s.console, "%d\n", static_cast<int>(position_ms));

    // Every row is tested, with no early exit; a change is recognised by the
    // update routine, not by the row, so a row that repeats the current
    // routine neither re-runs its init nor restarts its t.
    for (int row = 0; row < s.scene_rows; ++row) {
        const SceneEntry& entry = s.timeline[row];
        if (clock_ms >= entry.start_ms && clock_ms < s.timeline[row + 1].start_ms &&
            entry.update != s.current_update) {
            entry.init();
            s.current_update = entry.update;
            s.scene_start_ms = entry.start_ms;
        }
    }

    if (s.current_update != nullptr) {
        s.current_update(static_cast<int32_t>(static_cast<uint32_t>(clock_ms) -
                                              static_cast<uint32_t>(s.scene_start_ms)),
                         s.screen);
    }

    if (position_ms > show_end_position_ms) {
        fill_screen(s.screen, blank_code);
        s.done = true;
    }
    send_frame(s.screen);
    return s.done;
}

void run_frame_loop() {
    while (!run_turn()) {
    }
}
