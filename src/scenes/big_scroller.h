// Timeline rows 2 and 12: a line of block capitals moving from right to
// left through the display, one column per fixed step of time.
#pragma once

#include <cstdint>

#include "display/screen.h"

// At t = 0 the first letter's left cell stands five columns beyond the
// right edge, so the text enters onto an empty display.
inline constexpr int32_t big_scroller_start_column = 25;

inline constexpr int32_t big_scroller_a_ms_per_column = 58;  // row 2
inline constexpr int32_t big_scroller_b_ms_per_column = 68;  // row 12

// One frame of a scroller: clears the screen and draws `text` with its
// first cell at column 25 - t / ms_per_column (truncated). A non-positive
// ms_per_column would divide by nothing: the text then stands still at the
// start column.
void big_scroller_update(int32_t t, Screen& screen, const char* text, int32_t ms_per_column);

// The two rows, each with its own text and pace.
void big_scroller_a_update(int32_t t, Screen& screen);
void big_scroller_b_update(int32_t t, Screen& screen);
