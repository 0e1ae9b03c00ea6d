#include "compose/track.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "compose/effects.h"
#include "compose/master.h"
#include "compose/score.h"

namespace {

constexpr int32_t track_chunk_frames = synth_rate_hz;  // a second

struct ScoreReport {
    TrackProgress progress;
    void* context;
    int32_t frames;
};

void track_score_progress(void* context, int32_t frames_done) {
    const ScoreReport& r = *static_cast<const ScoreReport*>(context);
    r.progress(r.context, "composing", frames_done, r.frames);
}

}  // namespace

void compose_track(int16_t* pcm, int32_t frames, TrackProgress progress, void* progress_context) {
    // Past the score's end there is only silence: no need to mix it.
    const int32_t total = frames;
    const int32_t score_frames = score_frame_at(score_length_ms) + 1;
    if (frames > score_frames) {
        std::fill(pcm + 2 * static_cast<size_t>(score_frames), pcm + 2 * static_cast<size_t>(total),
                  int16_t{0});
        frames = score_frames;
    }
    const size_t count = frames > 0 ? static_cast<size_t>(frames) : 0;
    std::vector<float> left(count), right(count), reverb(count), echo(count);
    Mix mix = {left.data(), right.data(), reverb.data(), echo.data(), frames};

    ScoreReport report = {progress, progress_context, total};
    score_render(mix, progress != nullptr ? track_score_progress : nullptr, &report);
    if (progress != nullptr) progress(progress_context, "composing", total, total);

    auto effects = std::make_unique<Effects>();
    effects_start(*effects);
    for (int32_t from = 0; from < frames; from += track_chunk_frames) {
        const int32_t to = frames - from < track_chunk_frames ? frames : from + track_chunk_frames;
        effects_process(*effects, mix, from, to);
        if (progress != nullptr) progress(progress_context, "mixing", to, total);
    }
    // The sends are spent: one of them holds the limiter's gain.
    master_to_pcm(mix, reverb.data(), pcm);
    if (progress != nullptr) progress(progress_context, "mixing", total, total);
}
