// The instruments of the show's music. Each note is rendered on its own,
// straight into the mix buffers, so a note's sound depends on the note
// alone: the same score gives the same samples in any order, every run.
#pragma once

#include <cstdint>

inline constexpr int32_t synth_rate_hz = 44100;

enum class Voice : uint8_t {
    kick,      // sine with a falling pitch and a click
    snare,     // a tuned body and a band of noise
    clap,      // three quick bursts of mid noise, then a tail
    hat,       // closed hi-hat: bright noise, short
    open_hat,  // the same, ringing
    crash,     // long bright noise
    tom,       // pitched body with a short sweep
    shaker,    // a band of noise from 1.2 to 3.8 kHz
    bass,      // filtered saw with a sine an octave below
    sub,       // plain sine
    pad,       // three detuned saws spread across the stereo field
    stab,      // a pad note with a short, bright envelope
    lead,      // two detuned saws, vibrato, a filter that opens per note
    chip,      // square wave, for bleeps
    pluck,     // saw with a snapping filter, for arpeggios
    bell,      // two-operator FM
    riser,     // noise whose band climbs over the note
    air,       // a wide band of noise from 0.7 to 4 kHz that swells and fades
    count
};
inline constexpr int voice_count = static_cast<int>(Voice::count);

struct Note {
    Voice voice;
    int32_t start_frame;
    int32_t gate_frames;  // held this long, then released
    float pitch;          // MIDI note number; drums without a pitch ignore it
    float velocity;       // 0 to 1
};

// Stereo dry signal plus two mono sends that the effects turn into stereo.
struct Mix {
    float* left;
    float* right;
    float* reverb_send;
    float* echo_send;
    int32_t frames;
};

// Adds the note's sound to the mix, clipped to the mix's frames.
void synth_render(const Note& note, Mix& mix);

// How many frames after its gate a voice keeps sounding.
int32_t synth_release_frames(Voice voice);
