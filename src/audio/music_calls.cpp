// Placeholder for the music layer: every call succeeds but no sound loads.
#include <cstdio>
#include <cstdlib>

#include "audio/music_calls.h"

struct MusicSystem {};
struct MusicSound {};
struct MusicChannel {};

namespace {
MusicSystem placeholder_system;
}

MusicResult music_system_create(MusicSystem** system) {
    *system = &placeholder_system;
    return music_ok;
}
MusicResult music_system_get_version(MusicSystem*, uint32_t* version) {
    *version = music_layer_version;
    return music_ok;
}
MusicResult music_system_init(MusicSystem*, int, unsigned, void*) {
    return music_ok;
}
MusicResult music_system_create_sound(MusicSystem*, const char*, unsigned, void*, MusicSound**) {
    return music_err_file_not_found;
}
MusicResult music_sound_get_length(MusicSound*, uint32_t*, unsigned) {
    return music_err_invalid_handle;
}
MusicResult music_system_play_sound(MusicSystem*, int, MusicSound*, bool, MusicChannel**) {
    return music_err_invalid_handle;
}
MusicResult music_channel_get_position(MusicChannel*, uint32_t*, unsigned) {
    return music_err_invalid_handle;
}
MusicResult music_channel_get_spectrum(MusicChannel*, float*, int, int, int) {
    return music_err_invalid_handle;
}
MusicResult music_sound_release(MusicSound*) {
    return music_ok;
}
MusicResult music_system_close(MusicSystem*) {
    return music_ok;
}
MusicResult music_system_release(MusicSystem*) {
    return music_ok;
}

const char* result_text(MusicResult result) {
    return result == 0 ? "No errors." : "Unknown error.";
}

void check_result(MusicResult result) {
    if (result == music_ok) return;
    std::printf("FMOD error! (%d) %s\n", result, result_text(result));
    std::exit(-1);
}
