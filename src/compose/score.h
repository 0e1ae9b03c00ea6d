// The show's music as a score: thirteen sections, one for each window of
// the show's timeline, at 120 beats a minute so that every window starts
// on a beat, then a short coda after the show's end mark. Each section has
// its own arrangement and starts exactly at its window's start.
#pragma once

#include <cstdint>

#include "compose/synth.h"

inline constexpr int32_t score_beats_per_minute = 120;
inline constexpr int32_t score_beat_ms = 60000 / score_beats_per_minute;
inline constexpr int32_t score_steps_per_beat = 4;  // sixteenth notes
inline constexpr int32_t score_step_ms = score_beat_ms / score_steps_per_beat;
inline constexpr int32_t score_steps_per_bar = 4 * score_steps_per_beat;
static_assert(score_step_ms * score_steps_per_beat == score_beat_ms);

inline constexpr int score_window_count = 13;                       // a section for each
inline constexpr int score_section_count = score_window_count + 1;  // and a coda after them
inline constexpr int32_t score_show_end_ms = 202000;  // where the show stops listening
inline constexpr int32_t score_length_ms = 203154;    // the length of the show's music file

// The first frame of the sound at `ms` from the start (44.1 frames a ms).
constexpr int32_t score_frame_at(int32_t ms) {
    return static_cast<int32_t>(static_cast<int64_t>(ms) * synth_rate_hz / 1000);
}

int32_t score_section_start_ms(int section);
const char* score_section_name(int section);

// Called after each section: frames of the score rendered so far.
using ScoreProgress = void (*)(void* context, int32_t frames_done);

// Adds the score's first mix.frames frames to the mix (which starts zeroed).
void score_render(Mix& mix, ScoreProgress progress, void* progress_context);
