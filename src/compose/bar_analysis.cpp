#include "compose/bar_analysis.h"

#include <kissfft/kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double bar_scale = 100.0;  // pixel rows per unit of summed magnitude
constexpr int bar_bins = bar_window_frames / 2 + 1;

struct BarFft {
    kiss_fftr_cfg config = kiss_fftr_alloc(bar_window_frames, 0, nullptr, nullptr);
    ~BarFft() { kiss_fftr_free(config); }
};

// Magnitudes 2|X_k|/256 of bands 0..19 of one channel.
void bar_channel(const BarFft& fft, const int16_t* pcm, size_t frames, int64_t end_frame,
                 int channel, float magnitude[bar_columns]) {
    kiss_fft_scalar window[bar_window_frames];
    kiss_fft_cpx bins[bar_bins];
    for (int i = 0; i < bar_window_frames; ++i) {
        const int64_t frame = end_frame - bar_window_frames + i;
        window[i] = frame >= 0 && frame < static_cast<int64_t>(frames)
                        ? static_cast<float>(pcm[frame * 2 + channel]) / 32768.0f
                        : 0.0f;
    }
    kiss_fftr(fft.config, window, bins);
    for (int k = 0; k < bar_columns; ++k)
        magnitude[k] = 2.0f * std::hypot(bins[k].r, bins[k].i) / bar_window_frames;
}

void bar_heights_with(const BarFft& fft, const int16_t* pcm, size_t frames, int32_t position_ms,
                      int32_t heights[bar_columns]) {
    const int64_t end_frame = static_cast<int64_t>(position_ms) * bar_rate_hz / 1000;
    float left[bar_columns], right[bar_columns];
    bar_channel(fft, pcm, frames, end_frame, 0, left);
    bar_channel(fft, pcm, frames, end_frame, 1, right);
    for (int k = 0; k < bar_columns; ++k)
        heights[k] = static_cast<int32_t>((static_cast<double>(left[k]) + right[k]) * bar_scale);
}

}  // namespace

void bar_heights(const int16_t* pcm, size_t frames, int32_t position_ms,
                 int32_t heights[bar_columns]) {
    const BarFft fft;
    bar_heights_with(fft, pcm, frames, position_ms, heights);
}

BarFigures analyse_bars(const int16_t* pcm, size_t frames, int32_t from_ms, int32_t to_ms,
                        int32_t step_ms) {
    BarFigures figures{};
    if (step_ms <= 0 || to_ms <= from_ms) return figures;
    const BarFft fft;
    figures.seconds = (to_ms - from_ms) / 1000;
    const int32_t positions = (to_ms - from_ms + step_ms - 1) / step_ms;
    figures.positions = positions;

    std::vector<int32_t> heights(static_cast<size_t>(positions) * bar_columns);
    for (int32_t p = 0; p < positions; ++p)
        bar_heights_with(fft, pcm, frames, from_ms + p * step_ms, &heights[p * bar_columns]);

    std::vector<int32_t> column(static_cast<size_t>(positions));
    for (int k = 0; k < bar_columns; ++k) {
        for (int32_t p = 0; p < positions; ++p) column[p] = heights[p * bar_columns + k];
        for (int32_t second = 0; second < figures.seconds; ++second) {
            int32_t lowest = INT32_MAX, highest = INT32_MIN;
            for (int32_t p = 0; p < positions; ++p) {
                if ((p * step_ms) / 1000 != second) continue;
                lowest = std::min(lowest, column[p]);
                highest = std::max(highest, column[p]);
            }
            if (highest - lowest >= bar_movement_rows) ++figures.moving_seconds[k];
        }
        std::sort(column.begin(), column.end());
        figures.median_rows[k] = column[column.size() / 2];
    }
    return figures;
}

bool bar_figures_pass(const BarFigures& f) {
    if (f.positions == 0) return false;
    for (int k = 0; k < bar_columns; ++k) {
        if (f.median_rows[k] < bar_median_lowest_rows) return false;
        if (f.median_rows[k] > bar_median_highest_rows) return false;
        if (f.moving_seconds[k] * 4 < f.seconds * 3) return false;
    }
    return true;
}
