#include "audio/music_player.h"

#include <cstdio>

#include "audio/mp3_decoder.h"

const char* music_path = music_file_name;
MusicPlayer music_player = {nullptr, nullptr, nullptr, 0};
Spectrum spectrum = {};

void decode_music_ahead() {
    decode_mp3_ahead(music_path);
}

void start_music() {
    MusicPlayer& m = music_player;
    check_result(music_system_create(&m.system));

    uint32_t version = 0;
    check_result(music_system_get_version(m.system, &version));
    if (version < music_required_version) {
        // Reported, but no stop by itself: the layer is not initialised and
        // loading the sound decides what happens next.
        std::printf(
            "Error!  You are using an old version of FMOD %08x.  This program requires %08x\n",
            version, music_required_version);
    } else {
        check_result(music_system_init(m.system, 1, 0, nullptr));
    }

    check_result(
        music_system_create_sound(m.system, music_path, music_mode_show, nullptr, &m.sound));
    check_result(music_sound_get_length(m.sound, &m.length_ms, music_timeunit_ms));
    check_result(music_system_play_sound(m.system, music_any_channel, m.sound, false, &m.channel));
}

uint32_t poll_music() {
    MusicPlayer& m = music_player;
    uint32_t position_ms = 0;
    check_result(music_channel_get_position(m.channel, &position_ms, music_timeunit_ms));
    check_result(music_channel_get_spectrum(m.channel, spectrum.left, spectrum_bands, 0, 0));
    check_result(music_channel_get_spectrum(m.channel, spectrum.right, spectrum_bands, 1, 0));
    return position_ms;
}

void stop_music() {
    MusicPlayer& m = music_player;
    check_result(music_sound_release(m.sound));
    check_result(music_system_close(m.system));
    check_result(music_system_release(m.system));
}
