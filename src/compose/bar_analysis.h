// How the show's spectrum bars would stand over a stretch of music: the
// height of each of the 20 bars, read the way the bars scene reads the
// spectrum (bands 0 to 19 of both channels from the music layer's analyser;
// height in pixel rows = (left + right) * 100, truncated).
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int bar_columns = 20;
inline constexpr int bar_rate_hz = 44100;

// What "the music moves the bars" asks of every column.
inline constexpr int32_t bar_median_lowest_rows = 6;
inline constexpr int32_t bar_median_highest_rows = 26;
inline constexpr int32_t bar_movement_rows = 4;  // within a second, highest minus lowest

struct BarFigures {
    int32_t median_rows[bar_columns];
    int32_t moving_seconds[bar_columns];  // whole seconds in which the bar moved enough
    int32_t seconds;                      // whole seconds in the stretch
    int32_t positions;                    // positions sampled
};

// Heights of the 20 bars at a position of the music; frames are
// interleaved stereo 16-bit, silence before the first.
void bar_heights(const int16_t* pcm, size_t frames, int32_t position_ms,
                 int32_t heights[bar_columns]);

// The bars at from_ms, from_ms + step_ms, ... up to to_ms (not included).
BarFigures analyse_bars(const int16_t* pcm, size_t frames, int32_t from_ms, int32_t to_ms,
                        int32_t step_ms);

// Every median within bounds, and every bar moving in at least three
// seconds out of four.
bool bar_figures_pass(const BarFigures& figures);
