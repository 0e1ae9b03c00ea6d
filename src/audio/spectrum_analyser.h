// The magnitude spectrum of the music just played: for one channel, the
// spectrum_window_frames samples that end at a given frame (zeros before
// the first sample and after the last), rectangular window, band k = bin k,
// magnitude 2|X_k| / spectrum_window_frames, so that a full-scale sine at a
// band's centre frequency (k * rate / spectrum_window_frames) reads 1.0.
#pragma once

#include <cstdint>

#include "audio/decoded_music.h"
#include "audio/music_calls.h"

inline constexpr int spectrum_window_frames = 2 * spectrum_bands;

struct kiss_fftr_state;

// The transform's tables and scratch space, made once so that analysing
// allocates nothing.
struct SpectrumAnalyser {
    kiss_fftr_state* fft;
};

bool open_spectrum_analyser(SpectrumAnalyser* analyser);
void close_spectrum_analyser(SpectrumAnalyser* analyser);

// bands: spectrum_bands magnitudes of `channel` (a mono file's only channel
// serves both), for the window that ends just before `end_frame`.
void analyse_spectrum(SpectrumAnalyser* analyser, const DecodedMusic& music, uint64_t end_frame,
                      int channel, float* bands);
