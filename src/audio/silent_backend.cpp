// Playback without sound: the position is the time since play, taken from
// the platform's monotonic clock, and ends at the music's length.
#include <new>

#include "audio/music_backend.h"
#include "audio/music_test_hooks.h"
#include "platform/clock.h"

namespace {

constexpr uint64_t silent_us_per_ms = 1000;
constexpr uint64_t silent_us_per_s = 1000 * silent_us_per_ms;

struct SilentOutput {
    const DecodedMusic* music;  // null when stopped
    uint64_t start_us;
};

MusicClockUs silent_clock = monotonic_us;

MusicResult silent_open(void** output, char*, size_t) {
    *output = new (std::nothrow) SilentOutput{nullptr, 0};
    return *output != nullptr ? music_ok : music_err_memory;
}

MusicResult silent_play(void* output, const DecodedMusic* music, char*, size_t) {
    SilentOutput* silent = static_cast<SilentOutput*>(output);
    silent->music = music;
    silent->start_us = silent_clock();
    return music_ok;
}

PlayPoint silent_play_point(void* output) {
    const SilentOutput* silent = static_cast<const SilentOutput*>(output);
    if (silent->music == nullptr) return {0, 0};
    const DecodedMusic& music = *silent->music;
    const uint64_t elapsed_us = silent_clock() - silent->start_us;
    const uint64_t position_ms = elapsed_us / silent_us_per_ms;
    const uint64_t frame = elapsed_us * static_cast<uint64_t>(music.rate) / silent_us_per_s;
    return {position_ms < music.length_ms ? static_cast<uint32_t>(position_ms) : music.length_ms,
            frame < music.frames ? frame : music.frames};
}

void silent_stop(void* output) {
    static_cast<SilentOutput*>(output)->music = nullptr;
}

void silent_close(void* output) {
    delete static_cast<SilentOutput*>(output);
}

}  // namespace

const MusicBackend silent_backend = {"silent",          silent_open, silent_play,
                                     silent_play_point, silent_stop, silent_close};

void set_silent_music_clock(MusicClockUs clock) {
    silent_clock = clock != nullptr ? clock : monotonic_us;
}
