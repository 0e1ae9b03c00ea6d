// Decodes a whole MP3 file into memory as 16-bit samples, gapless: the
// encoder's delay and padding, as the file's info tag gives them, are cut
// off, so the frames kept are exactly the frames that were encoded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/music_calls.h"

struct DecodedMusic {
    int16_t* samples;    // frames * channels values, interleaved; malloc'd
    uint64_t frames;     // per channel
    int channels;        // 1 or 2
    int rate;            // frames a second
    uint32_t length_ms;  // frames * 1000 / rate, truncated
};

// Decodes `path` into `music`. The length comes from the samples decoded,
// never from a tag. On failure returns music_err_file_not_found (cannot be
// opened or read), music_err_format (empty, or no MP3 audio in it),
// music_err_corrupt (decoding failed part way) or music_err_memory, leaves
// `music` empty and writes what went wrong to `detail` (size bytes).
MusicResult decode_mp3(const char* path, DecodedMusic* music, char* detail, size_t size);

void free_decoded_music(DecodedMusic* music);

// The frame that plays `ms` after the start, and the other way round; both
// truncate.
uint64_t frame_at_ms(const DecodedMusic& music, uint64_t ms);
uint32_t ms_at_frame(const DecodedMusic& music, uint64_t frame);
