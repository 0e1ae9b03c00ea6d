// The frame loop: one turn reads the clock, the music and its spectrum,
// prints the position, picks the scene, lets it draw, and sends the frame.
// Nothing paces it but the blocking writes of the display link.
#pragma once

#include <cstdint>
#include <cstdio>

#include "display/screen.h"
#include "driver/timeline.h"

// The loop's millisecond clock: only differences from t0 are used, modulo
// 2^32 and read as signed.
using ClockSource = uint32_t (*)();

inline constexpr uint32_t show_end_position_ms =
    202000;  // the first position past it ends the show

struct LoopState {
    const SceneEntry* timeline;
    int scene_rows;
    SceneUpdate current_update;  // null before the first scene
    int32_t scene_start_ms;
    bool done;
    uint32_t t0;
    ClockSource clock;  // the platform's monotonic_ms live, a virtual clock in the renderer
    FILE* console;      // where the position line goes; null prints nothing
    Screen screen;
    int32_t clock_ms;      // this turn's clock since t0, for whoever records the turn
    uint32_t position_ms;  // and the music position it read
};

extern LoopState loop_state;

// 80 blanks, then the codes 0 to 7 in the first eight cells.
void prepare_screen();

// Points the loop at a timeline, counts its scene rows, and resets the
// current scene and the done flag.
void build_timeline(const SceneEntry* timeline);

// Reads t0 from the loop's clock.
void mark_t0();

// Runs turns until the music's position passes the end mark; the last
// frame sent is blank.
void run_frame_loop();

// One turn; returns true when it was the last.
bool run_turn();
