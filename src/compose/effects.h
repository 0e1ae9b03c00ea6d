// The shared effects of the mix: a room reverb and a stereo echo, fed by
// the mono sends that the instruments fill, returned into the dry stereo.
#pragma once

#include <cstdint>

#include "compose/synth.h"

// Frames of the echo: a dotted eighth at 120 beats a minute (375 ms).
inline constexpr int32_t echo_delay_frames = synth_rate_hz * 3 / 8;

inline constexpr int reverb_combs = 8;
inline constexpr int reverb_allpasses = 4;
inline constexpr int reverb_longest_comb_frames = 1700;
inline constexpr int reverb_longest_allpass_frames = 600;

struct DelayLine {
    int32_t length;
    int32_t at;
    float filtered;  // the comb's damping memory
};

// Caller-owned; about 260 KB, so allocate it once, not on the stack.
struct Effects {
    float comb[2][reverb_combs][reverb_longest_comb_frames];
    float allpass[2][reverb_allpasses][reverb_longest_allpass_frames];
    DelayLine comb_line[2][reverb_combs];
    DelayLine allpass_line[2][reverb_allpasses];
    float echo[2][echo_delay_frames];
    int32_t echo_at;
    float echo_filtered[2];
};

void effects_start(Effects& effects);

// Runs the sends of frames [from, to) through the effects and adds their
// output to the dry stereo. Call over consecutive ranges from frame 0.
void effects_process(Effects& effects, Mix& mix, int32_t from, int32_t to);
