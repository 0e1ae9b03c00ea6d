// Stands in for the music player in tests of the loop and the scenes: the
// test sets the position and the spectrum that the next poll reports.
#pragma once

#include <cstdint>

#include "audio/music_player.h"

struct FakeMusic {
    uint32_t position_ms;        // what poll_music returns
    float left[spectrum_bands];  // copied into the spectrum by poll_music
    float right[spectrum_bands];
    int polls;
    int starts;
    int stops;
};

extern FakeMusic fake_music;

void reset_fake_music();
