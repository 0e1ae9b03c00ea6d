// The music layer on a virtual clock, for rendering the show without
// playing it. Call use_offline_music() before start_music(): the layer then
// plays nothing and answers for the time set here instead.
#pragma once

#include <cstdint>

// Selects the offline back end for every music output opened from now on
// (music_system_init, or play when init was skipped). No sound device is
// touched and nothing is printed.
void use_offline_music();

// The virtual time in ms since playback started: the next position query
// answers exactly `ms` (also past the music's end), and each spectrum is
// taken from the spectrum window that ends at frame ms * rate / 1000 of the
// decoded music (zeros before its start and after its end). 0 until set.
void set_offline_position_ms(uint32_t ms);

// With the offline back end: sounds are not read from their file but are
// silence of `length_ms` (stereo, 44.1 kHz, no samples stored), so the show
// can be rendered without music: every spectrum reads zero.
void use_offline_silence(uint32_t length_ms);
