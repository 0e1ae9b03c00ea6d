// Integrated loudness (K-weighted, gated, in LUFS, as broadcast meters
// measure it) and sample peak of 16-bit interleaved PCM.
#pragma once

#include <cstddef>
#include <cstdint>

struct Biquad {
    double b0, b1, b2, a1, a2;  // a0 is 1
};

// The two stages of K-weighting at a sample rate: a high shelf of about
// +4 dB above 1.5 kHz (the head), then a high-pass near 38 Hz.
struct KWeighting {
    Biquad shelf;
    Biquad high_pass;
};

KWeighting loudness_k_weighting(int rate);

// Gated over 400 ms blocks, 75 % overlapping; minus infinity for silence.
double integrated_loudness_lufs(const int16_t* pcm, size_t frames, int channels, int rate);

// The largest sample's magnitude against full scale (32768), in dB;
// minus infinity for silence.
double sample_peak_dbfs(const int16_t* pcm, size_t samples);
