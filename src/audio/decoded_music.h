// Music decoded whole into memory as 16-bit samples: what every back end
// plays and what the spectrum is taken from, whichever decoder made it.
#pragma once

#include <cstdint>

struct DecodedMusic {
    int16_t* samples;    // frames * channels values, interleaved; malloc'd
    uint64_t frames;     // per channel
    int channels;        // 1 or 2
    int rate;            // frames a second
    uint32_t length_ms;  // frames * 1000 / rate, truncated
};

void free_decoded_music(DecodedMusic* music);

// The frame that plays `ms` after the start, and the other way round; both
// truncate.
uint64_t frame_at_ms(const DecodedMusic& music, uint64_t ms);
uint32_t ms_at_frame(const DecodedMusic& music, uint64_t frame);
