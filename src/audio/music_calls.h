// The music layer's calls: a small audio library of our own. Every call
// returns a MusicResult, 0 for success. The show calls them in a fixed order
// (music_player.cpp); the result codes and texts are ours.
//
// A sound is decoded whole when it is created; its length is exact. The
// output is opened by init (or by play, when init was skipped) and is, in
// this order of choice: the offline back end when the renderer chose it
// (offline_music.h); no sound, clocked by the monotonic clock, when the
// environment sets STARGLOW_AUDIO=silent; otherwise the platform's sound
// device (on Linux the ALSA device named by STARGLOW_AUDIO_DEVICE, default
// "default"), falling back to no sound with one line on standard error,
// unless STARGLOW_AUDIO=device forbids that.
#pragma once

#include <cstdint>

using MusicResult = int;

// Result codes. Texts in result_text(); every failure text ends with a blank.
enum : MusicResult {
    music_ok = 0,
    music_err_file_not_found = 1,  // missing or unreadable
    music_err_format = 2,          // not an MP3, or nothing decodable in it
    music_err_corrupt = 3,         // decoding failed part way
    music_err_output = 4,          // no sound output (only with STARGLOW_AUDIO=device)
    music_err_invalid_arg = 5,
    music_err_memory = 6,
    music_err_invalid_handle = 7,
};

// Encoded as 0xMMMMmmpp (major, minor, patch), like the version the show checks.
inline constexpr uint32_t music_layer_version = 0x00050000;
inline constexpr uint32_t music_required_version = 0x00043806;

inline constexpr unsigned music_timeunit_ms = 1;
inline constexpr unsigned music_mode_show =
    0x4048;  // software-mixed 2D sample, whole, exact length
inline constexpr int music_any_channel = -1;
inline constexpr int spectrum_bands = 128;

struct MusicSystem;
struct MusicSound;
struct MusicChannel;

MusicResult music_system_create(MusicSystem** system);
MusicResult music_system_get_version(MusicSystem* system, uint32_t* version);
MusicResult music_system_init(MusicSystem* system, int max_channels, unsigned flags,
                              void* driver_data);
MusicResult music_system_create_sound(MusicSystem* system, const char* path, unsigned mode,
                                      void* extra_info, MusicSound** sound);
MusicResult music_sound_get_length(MusicSound* sound, uint32_t* length, unsigned time_unit);
MusicResult music_system_play_sound(MusicSystem* system, int channel_index, MusicSound* sound,
                                    bool paused, MusicChannel** channel);
MusicResult music_channel_get_position(MusicChannel* channel, uint32_t* position,
                                       unsigned time_unit);
// values: num_values magnitudes of the last samples played on one channel
// (channel_offset 0 left, 1 right), window_type 0 rectangular.
MusicResult music_channel_get_spectrum(MusicChannel* channel, float* values, int num_values,
                                       int channel_offset, int window_type);
MusicResult music_sound_release(MusicSound* sound);
MusicResult music_system_close(MusicSystem* system);
MusicResult music_system_release(MusicSystem* system);

// The name that begins the layer's lines on standard error: "starglow"
// unless another program of ours runs the layer and says otherwise.
extern const char* music_program_name;

// "No errors." for 0, our own text for each code above, "Unknown error."
// for anything else.
const char* result_text(MusicResult result);

// A failed call ends the show: prints "FMOD error! (%d) %s\n" with the code
// and its text, and exits with status -1. Success returns.
void check_result(MusicResult result);
