// Hooks for tests of the music layer: what the layer reports about itself
// and the clocks it runs on. The show never calls them.
#pragma once

#include <cstdint>

#include "audio/music_calls.h"

// The version that music_system_get_version reports; 0 restores the
// layer's own, music_layer_version.
void set_reported_music_version(uint32_t version);

// Microseconds of a monotonic clock, for the silent back end; nullptr
// restores the platform's monotonic_us. Read when playback starts and at each query.
using MusicClockUs = uint64_t (*)();
void set_silent_music_clock(MusicClockUs clock);

// Whether music_system_init ran on `system`, and which back end (device,
// silent, offline) it plays on, "none" before its output is opened.
bool music_system_initialised(MusicSystem* system);
const char* music_backend_name(MusicSystem* system);

// Undoes use_offline_music(): the next output opened is a live one.
void use_live_music();
