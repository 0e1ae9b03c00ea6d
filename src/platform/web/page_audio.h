// The page's sound device: the page's script plays the music with Web Audio
// and tells the show when the music's first frame is heard; the show reads
// how far playback has come from that instant and the line's clock, which
// is the page's wall clock (performance.now(), in ms).
#pragma once

#include <cstdint>

// The page has an audio context that can play (set before the show starts).
void page_audio_set_available(bool available);

// The wall-clock instant at which frame 0 of the music is, or will be,
// heard: the context's output timestamps keep it up to date. Should the
// output go (closed, suspended), the page stops moving it, and the position
// goes on with the wall clock from where the music was heard last.
void page_audio_heard_start(double ms);
