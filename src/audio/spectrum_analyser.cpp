#include "audio/spectrum_analyser.h"

#include <kiss_fftr.h>

#include <cmath>

namespace {

constexpr int spectrum_bins = spectrum_window_frames / 2 + 1;
constexpr float spectrum_full_scale = 32768.0f;
// A sine of amplitude A at a bin's centre gives |X_k| = A * N / 2.
constexpr float spectrum_magnitude_scale = 2.0f / spectrum_window_frames;

static_assert(spectrum_bands < spectrum_bins);

}  // namespace

bool open_spectrum_analyser(SpectrumAnalyser* analyser) {
    analyser->fft = kiss_fftr_alloc(spectrum_window_frames, 0, nullptr, nullptr);
    return analyser->fft != nullptr;
}

void close_spectrum_analyser(SpectrumAnalyser* analyser) {
    kiss_fftr_free(analyser->fft);
    analyser->fft = nullptr;
}

void analyse_spectrum(SpectrumAnalyser* analyser, const DecodedMusic& music, uint64_t end_frame,
                      int channel, float* bands) {
    if (channel >= music.channels) channel = 0;
    float window[spectrum_window_frames];
    kiss_fft_cpx bins[spectrum_bins];

    // window[i] is frame end_frame - spectrum_window_frames + i, where the
    // music has that frame; zero before its start and after its end.
    for (int i = 0; i < spectrum_window_frames; ++i) {
        const uint64_t back = static_cast<uint64_t>(spectrum_window_frames - i);
        const bool inside = end_frame >= back && end_frame - back < music.frames;
        window[i] = inside ? music.samples[(end_frame - back) * music.channels + channel] /
                                 spectrum_full_scale
                           : 0.0f;
    }
    kiss_fftr(analyser->fft, window, bins);
    for (int k = 0; k < spectrum_bands; ++k)
        bands[k] =
            std::sqrt(bins[k].r * bins[k].r + bins[k].i * bins[k].i) * spectrum_magnitude_scale;
}
