// Writes PCM to an MP3 file whose info tag carries the encoder's delay and
// padding, so that a gapless decoder gives back exactly the samples given.
#pragma once

#include <cstddef>
#include <cstdint>

// Called now and then while encoding: frames done of frames in all.
using EncodeProgress = void (*)(void* context, size_t frames_done, size_t frames_total);

struct Mp3Settings {
    int rate;          // samples a second, per channel
    int channels;      // 1 or 2
    int bitrate_kbps;  // constant bit rate
    int quality;       // the encoder's 0 (best) to 9 (fastest)
};

inline constexpr Mp3Settings mp3_show_settings = {44100, 2, 192, 2};

// samples: `frames` frames of `channels` interleaved 16-bit values.
// Writes to a temporary name beside `path` and renames it into place, so a
// failure never leaves a half-written file under the final name. On
// failure returns false with a message in `error` (size bytes).
bool encode_mp3(const char* path, const int16_t* samples, size_t frames,
                const Mp3Settings& settings, EncodeProgress progress, void* progress_context,
                char* error, size_t error_size);
