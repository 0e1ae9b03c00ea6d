// The show's music: start-up, the per-turn poll, shut-down. Every layer
// call goes through check_result, so a failure never returns here.
#pragma once

#include <cstdint>

#include "audio/music_calls.h"

inline constexpr const char* music_file_name = "starglow.mp3";
inline constexpr uint32_t music_length_ms = 203154;

struct MusicPlayer {
    MusicSystem* system;
    MusicSound* sound;
    MusicChannel* channel;
    uint32_t length_ms;
};

// Linear magnitudes, lowest band first; refreshed by poll_music each turn.
struct Spectrum {
    float left[spectrum_bands];
    float right[spectrum_bands];
};

// The file start_music loads: music_file_name in the working directory,
// unless a tool that renders the show points it elsewhere.
extern const char* music_path;

extern MusicPlayer music_player;
extern Spectrum spectrum;

// Starts decoding the file start_music will load, while the display starts
// up; start_music's load then takes the result.
void decode_music_ahead();

// Create, version check, init, load, length, play. Leaves the length in
// music_player.length_ms.
void start_music();

// Position of playback in ms, then the left and the right spectrum.
uint32_t poll_music();

// Release the sound, close the layer, release it.
void stop_music();
