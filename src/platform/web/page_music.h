// The music as the browser decoded it. The page's script decodes
// starglow.mp3 with the browser's own decoder and hands the samples over
// here before the show starts; the music layer then loads them through
// decode_mp3 as it would load a file. The page may start the show on the
// first part of the music while the rest is still being decoded: the
// buffer is then made for the length that the file's info tag gives, and
// the page fills in the rest before playback reaches it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/music_calls.h"

// A buffer for `frames` frames (zeros until written), interleaved 16-bit;
// null when there is no room.
int16_t* page_music_prepare(uint64_t frames, int channels, int rate);

// No music: the sound is silence of the show's own length, as when the
// show renders without music.
void page_music_silence();

// The page could not decode the music: loading fails with this result.
void page_music_failed(MusicResult result, const char* why);

// The buffer the show plays from, while the show holds it (null after the
// show has released it or before one was made).
int16_t* page_music_samples();

// The show's sound released its samples: the page must not write them any more.
void page_music_released();
