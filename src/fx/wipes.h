// The column wipes with which scenes enter and leave: a blank curtain that
// sweeps one column every 16 ms from the right edge towards the left.
#pragma once

#include <cstdint>

#include "display/screen.h"

inline constexpr int32_t wipe_column_ms = 16;
inline constexpr int32_t wipe_span_ms = wipe_column_ms * screen_columns;  // 320

// Blanks the columns not yet uncovered at t: all 20 at t = 0, none from
// t = 305 on. A negative t blanks everything.
void wipe_in(Screen& screen, int32_t t);

// Blanks the columns already covered at t for a wipe starting after
// out_start: nothing while t <= out_start, column 19 from out_start + 1,
// everything from out_start + 305 on.
void wipe_out(Screen& screen, int32_t t, int32_t out_start);
