// The show's music from score to samples: the instruments play the score,
// then the effects and the master stage finish the mix.
#pragma once

#include <cstdint>

// Called now and then: the stage's name and how far it has come.
using TrackProgress = void (*)(void* context, const char* stage, int64_t done, int64_t total);

inline constexpr int64_t track_longest_ms = 3600000;  // an hour, for any fixture

// Frames that a gapless decoder reads as `ms` long (frames * 1000 / 44100,
// truncated): the middle of that window of frame counts.
constexpr int64_t track_frames_for_ms(int64_t ms) {
    return (2 * ms + 1) * 441 / 20;
}

// Fills `pcm` with the first `frames` interleaved stereo frames of the
// music; past the score's end the music is silent.
void compose_track(int16_t* pcm, int32_t frames, TrackProgress progress, void* progress_context);
