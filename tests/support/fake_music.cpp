#include "support/fake_music.h"

#include <cstring>

MusicPlayer music_player = {nullptr, nullptr, nullptr, music_length_ms};
Spectrum spectrum = {};
FakeMusic fake_music = {};

void reset_fake_music() {
    std::memset(&fake_music, 0, sizeof fake_music);
    std::memset(&spectrum, 0, sizeof spectrum);
}

void decode_music_ahead() {}

void start_music() {
    ++fake_music.starts;
}

uint32_t poll_music() {
    ++fake_music.polls;
    std::memcpy(spectrum.left, fake_music.left, sizeof spectrum.left);
    std::memcpy(spectrum.right, fake_music.right, sizeof spectrum.right);
    return fake_music.position_ms;
}

void stop_music() {
    ++fake_music.stops;
}
