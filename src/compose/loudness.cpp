#include "compose/loudness.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

constexpr int loudness_segments_per_block = 4;  // a 400 ms block moves on by 100 ms
constexpr int loudness_segments_per_second = 10;
constexpr double loudness_offset = -0.691;
constexpr double loudness_absolute_gate = -70.0;
constexpr double loudness_relative_gate = -10.0;
constexpr int loudness_most_channels = 8;

double loudness_of(double mean_square) {
    return loudness_offset + 10.0 * std::log10(mean_square);
}

struct BiquadState {
    double z1 = 0.0, z2 = 0.0;
};

inline double loudness_biquad_step(const Biquad& f, BiquadState& s, double in) {
    const double out = f.b0 * in + s.z1;
    s.z1 = f.b1 * in - f.a1 * out + s.z2;
    s.z2 = f.b2 * in - f.a2 * out;
    return out;
}

}  // namespace

// The filters' analogue prototypes, brought to any rate by the bilinear
// transform; at 48 kHz they give the published coefficients.
KWeighting loudness_k_weighting(int rate) {
    KWeighting k{};
    {
        const double f0 = 1681.974450955533, gain_db = 3.999843853973347;
        const double q = 0.7071752369554196;
        const double w = std::tan(M_PI * f0 / rate);
        const double vh = std::pow(10.0, gain_db / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1.0 + w / q + w * w;
        k.shelf = {(vh + vb * w / q + w * w) / a0, 2.0 * (w * w - vh) / a0,
                   (vh - vb * w / q + w * w) / a0, 2.0 * (w * w - 1.0) / a0,
                   (1.0 - w / q + w * w) / a0};
    }
    {
        const double f0 = 38.13547087602444, q = 0.5003270373238773;
        const double w = std::tan(M_PI * f0 / rate);
        const double a0 = 1.0 + w / q + w * w;
        k.high_pass = {1.0, -2.0, 1.0, 2.0 * (w * w - 1.0) / a0, (1.0 - w / q + w * w) / a0};
    }
    return k;
}

double integrated_loudness_lufs(const int16_t* pcm, size_t frames, int channels, int rate) {
    const double silence = -std::numeric_limits<double>::infinity();
    if (channels < 1 || channels > loudness_most_channels || rate <= 0) return silence;
    const size_t segment_frames = static_cast<size_t>(rate / loudness_segments_per_second);
    const size_t segments = frames / segment_frames;
    if (segments < loudness_segments_per_block) return silence;

    // Energy of every 100 ms segment, summed over the channels.
    const KWeighting k = loudness_k_weighting(rate);
    BiquadState shelf[loudness_most_channels], high_pass[loudness_most_channels];
    std::vector<double> energy(segments, 0.0);
    for (size_t s = 0; s < segments; ++s) {
        double sum = 0.0;
        for (size_t i = s * segment_frames; i < (s + 1) * segment_frames; ++i) {
            for (int c = 0; c < channels; ++c) {
                const double x = pcm[i * channels + c] / 32768.0;
                const double y = loudness_biquad_step(k.high_pass, high_pass[c],
                                                      loudness_biquad_step(k.shelf, shelf[c], x));
                sum += y * y;
            }
        }
        energy[s] = sum;
    }

    const size_t blocks = segments - loudness_segments_per_block + 1;
    const double block_frames = static_cast<double>(segment_frames * loudness_segments_per_block);
    std::vector<double> block(blocks);
    for (size_t b = 0; b < blocks; ++b) {
        double sum = 0.0;
        for (int s = 0; s < loudness_segments_per_block; ++s) sum += energy[b + s];
        block[b] = sum / block_frames;
    }

    // Two gates: an absolute one, then one relative to what passed it.
    double gate = loudness_absolute_gate;
    for (int pass = 0; pass < 2; ++pass) {
        double sum = 0.0;
        size_t count = 0;
        for (const double z : block) {
            if (z > 0.0 && loudness_of(z) > gate) {
                sum += z;
                ++count;
            }
        }
        if (count == 0) return silence;
        if (pass == 1) return loudness_of(sum / static_cast<double>(count));
        gate =
            std::fmax(gate, loudness_of(sum / static_cast<double>(count)) + loudness_relative_gate);
    }
    return silence;
}

double sample_peak_dbfs(const int16_t* pcm, size_t samples) {
    int peak = 0;
    for (size_t i = 0; i < samples; ++i) {
        const int magnitude = std::abs(static_cast<int>(pcm[i]));
        if (magnitude > peak) peak = magnitude;
    }
    if (peak == 0) return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(peak / 32768.0);
}
