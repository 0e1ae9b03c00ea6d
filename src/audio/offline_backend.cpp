// Playback on a virtual clock: the position is whatever the renderer set,
// and nothing is played.
#include <new>

#include "audio/music_backend.h"
#include "audio/music_test_hooks.h"
#include "audio/offline_music.h"

namespace {

struct OfflineOutput {
    const DecodedMusic* music;  // null when stopped
};

bool offline_chosen = false;
uint32_t offline_position_ms = 0;
bool offline_silence = false;
uint32_t offline_silence_ms = 0;

MusicResult offline_open(void** output, char*, size_t) {
    *output = new (std::nothrow) OfflineOutput{nullptr};
    return *output != nullptr ? music_ok : music_err_memory;
}

MusicResult offline_play(void* output, const DecodedMusic* music, char*, size_t) {
    static_cast<OfflineOutput*>(output)->music = music;
    return music_ok;
}

PlayPoint offline_play_point(void* output) {
    const OfflineOutput* offline = static_cast<const OfflineOutput*>(output);
    if (offline->music == nullptr) return {0, 0};
    return {offline_position_ms, frame_at_ms(*offline->music, offline_position_ms)};
}

void offline_stop(void* output) {
    static_cast<OfflineOutput*>(output)->music = nullptr;
}

void offline_close(void* output) {
    delete static_cast<OfflineOutput*>(output);
}

}  // namespace

const MusicBackend offline_backend = {"offline",          offline_open, offline_play,
                                      offline_play_point, offline_stop, offline_close};

bool offline_music_chosen() {
    return offline_chosen;
}

void use_offline_music() {
    offline_chosen = true;
}

void use_live_music() {
    offline_chosen = false;
    offline_silence = false;
}

void use_offline_silence(uint32_t length_ms) {
    offline_silence = true;
    offline_silence_ms = length_ms;
}

bool offline_silence_chosen(uint32_t* length_ms) {
    if (!offline_chosen || !offline_silence) return false;
    *length_ms = offline_silence_ms;
    return true;
}

void set_offline_position_ms(uint32_t ms) {
    offline_position_ms = ms;
}
