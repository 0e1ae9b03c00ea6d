// The last stage of the mix: the overall level, the fade at the end of the
// music and a peak limiter, then 16-bit samples.
#pragma once

#include <cstdint>

#include "compose/synth.h"

// Below the -1 dBFS that the file must keep, leaving room for the
// encoder, whose output overshoots its input's peaks a little.
inline constexpr float master_ceiling_dbfs = -2.0f;

// Writes mix.frames interleaved stereo frames to `pcm`. `scratch` holds
// mix.frames floats for the limiter's gain; its contents are lost.
void master_to_pcm(const Mix& mix, float* scratch, int16_t* pcm);
