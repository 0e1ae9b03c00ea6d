#include "compose/bar_analysis.h"

#include <algorithm>
#include <vector>

#include "audio/spectrum_analyser.h"

namespace {

constexpr double bar_scale = 100.0;  // pixel rows per unit of summed magnitude

// The music layer's own analyser, over the composed samples as they will
// decode: what the show's bars read is exactly what is measured here.
struct BarAnalyser {
    SpectrumAnalyser analyser{};
    BarAnalyser() { open_spectrum_analyser(&analyser); }
    ~BarAnalyser() { close_spectrum_analyser(&analyser); }
};

void bar_heights_with(BarAnalyser& bars, const int16_t* pcm, size_t frames, int32_t position_ms,
                      int32_t heights[bar_columns]) {
    // A read-only view of the samples; the analyser never writes through it.
    const DecodedMusic music = {const_cast<int16_t*>(pcm), frames, 2, bar_rate_hz, 0};
    const uint64_t end_frame = static_cast<uint64_t>(position_ms) * bar_rate_hz / 1000;
    float left[spectrum_bands], right[spectrum_bands];
    analyse_spectrum(&bars.analyser, music, end_frame, 0, left);
    analyse_spectrum(&bars.analyser, music, end_frame, 1, right);
    for (int k = 0; k < bar_columns; ++k)
        heights[k] = static_cast<int32_t>((static_cast<double>(left[k]) + right[k]) * bar_scale);
}

}  // namespace

void bar_heights(const int16_t* pcm, size_t frames, int32_t position_ms,
                 int32_t heights[bar_columns]) {
    BarAnalyser bars;
    bar_heights_with(bars, pcm, frames, position_ms, heights);
}

BarFigures analyse_bars(const int16_t* pcm, size_t frames, int32_t from_ms, int32_t to_ms,
                        int32_t step_ms) {
    BarFigures figures{};
    if (step_ms <= 0 || to_ms <= from_ms) return figures;
    BarAnalyser bars;
    figures.seconds = (to_ms - from_ms) / 1000;
    const int32_t positions = (to_ms - from_ms + step_ms - 1) / step_ms;
    figures.positions = positions;

    std::vector<int32_t> heights(static_cast<size_t>(positions) * bar_columns);
    for (int32_t p = 0; p < positions; ++p)
        bar_heights_with(bars, pcm, frames, from_ms + p * step_ms, &heights[p * bar_columns]);

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
