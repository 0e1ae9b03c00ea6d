#include "audio/decoded_music.h"

#include <cstdint>
#include <cstdlib>

void free_decoded_music(DecodedMusic* music) {
    std::free(music->samples);
    *music = DecodedMusic{};
}

uint64_t frame_at_ms(const DecodedMusic& music, uint64_t ms) {
    return ms * static_cast<uint64_t>(music.rate) / 1000u;
}

uint32_t ms_at_frame(const DecodedMusic& music, uint64_t frame) {
    const uint64_t ms = frame * 1000u / static_cast<uint64_t>(music.rate);
    return ms > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(ms);
}
