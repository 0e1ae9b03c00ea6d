// Where the decoded music goes: one small table of routines per back end.
// device: the platform's sound device, fed by a thread of its own (ALSA on
// Linux, platform/linux/alsa_output.cpp); silent: no sound, the monotonic
// clock says how far playback has come; offline: the renderer's virtual
// time says it. The layer asks them only where playback
// is; decoding and the spectrum are the same for all three.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/decoded_music.h"
#include "audio/music_calls.h"

// Where playback is: the position reported to the show and the frame at
// which the spectrum window ends.
struct PlayPoint {
    uint32_t position_ms;
    uint64_t end_frame;
};

struct MusicBackend {
    const char* name;
    // Opens the output with its own state in *output. Fails with a result
    // code and, in `detail` (size bytes), a sentence a user can read, such
    // as "no sound device 'default' (No such file or directory)".
    MusicResult (*open)(void** output, char* detail, size_t size);
    // Plays `music` from its first frame, after stopping whatever played.
    // `music` stays valid until stop or close.
    MusicResult (*play)(void* output, const DecodedMusic* music, char* detail, size_t size);
    PlayPoint (*play_point)(void* output);
    void (*stop)(void* output);
    void (*close)(void* output);  // also stops; frees the state
};

extern const MusicBackend device_backend;
extern const MusicBackend silent_backend;
extern const MusicBackend offline_backend;

// The offline back end is chosen by the renderer (offline_music.h); the
// live ones by the environment, see music_calls.cpp.
bool offline_music_chosen();

// With offline music: true when sounds are to be silence of *length_ms
// rather than decoded from their file.
bool offline_silence_chosen(uint32_t* length_ms);
