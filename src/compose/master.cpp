#include "compose/master.h"

#include <cmath>

#include "compose/score.h"

namespace {

// Brings the whole track to about -14 LUFS before the limiter; found by
// measuring the track (starglow-compose --analyse).
constexpr float master_gain_db = -4.0f;

constexpr int32_t master_fade_ms = 700;  // the end of the file fades to silence
constexpr float master_attack_s = 0.0015f;
constexpr float master_release_s = 0.060f;

float master_db_to_gain(float db) {
    return std::pow(10.0f, db / 20.0f);
}

}  // namespace

void master_to_pcm(const Mix& mix, float* gain, int16_t* pcm) {
    const int32_t frames = mix.frames;
    const float level = master_db_to_gain(master_gain_db);
    const float ceiling = master_db_to_gain(master_ceiling_dbfs);
    const int32_t fade_to = score_frame_at(score_length_ms);
    const int32_t fade_from = score_frame_at(score_length_ms - master_fade_ms);

    // The gain each frame needs on its own, with the fade folded in.
    for (int32_t i = 0; i < frames; ++i) {
        float fade = 1.0f;
        if (i >= fade_to) {
            fade = 0.0f;
        } else if (i >= fade_from) {
            const float x =
                static_cast<float>(fade_to - i) / static_cast<float>(fade_to - fade_from);
            fade = x * x;
        }
        const float peak =
            std::fmax(std::fabs(mix.left[i]), std::fabs(mix.right[i])) * level * fade;
        gain[i] = peak > ceiling ? ceiling / peak * fade : fade;
    }
    // Smooth it without ever raising it: recover slowly after a peak
    // (forwards), and lean into a peak shortly before it (backwards). Each
    // frame's gain stays at or below what it needs, so no frame exceeds
    // the ceiling.
    if (frames > 0) {
        const float release = std::exp(-1.0f / (master_release_s * synth_rate_hz));
        const float attack = std::exp(-1.0f / (master_attack_s * synth_rate_hz));
        float held = gain[0];
        for (int32_t i = 1; i < frames; ++i) {
            held = std::fmin(gain[i], 1.0f - (1.0f - held) * release);
            gain[i] = held;
        }
        for (int32_t i = frames - 2; i >= 0; --i)
            gain[i] = std::fmin(gain[i], 1.0f - (1.0f - gain[i + 1]) * attack);
    }
    for (int32_t i = 0; i < frames; ++i) {
        const float g = gain[i] * level * 32767.0f;
        pcm[2 * i] = static_cast<int16_t>(std::lrint(mix.left[i] * g));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lrint(mix.right[i] * g));
    }
}
