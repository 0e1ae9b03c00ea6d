#include "fx/wipes.h"

#include <cstring>

namespace {

// Blanks columns first to last (inclusive) of all four rows.
void blank_columns(Screen& screen, int first, int last) {
    for (int row = 0; row < screen_rows; ++row) {
        std::memset(screen.cells + cell_index(row, first), blank_code,
                    static_cast<size_t>(last - first + 1));
    }
}

}  // namespace

void wipe_in(Screen& screen, int32_t t) {
    // Edges: from the full span on nothing is hidden; n counts the hidden
    // columns from the left, (320 - t) / 16 truncated, so 20 at t = 0 and 0
    // from t = 305. A negative t would ask for more than 20: all of them.
    if (t >= wipe_span_ms) return;
    int64_t hidden = (int64_t{wipe_span_ms} - t) / wipe_column_ms;
    if (hidden > screen_columns) hidden = screen_columns;
    if (hidden > 0) blank_columns(screen, 0, static_cast<int>(hidden) - 1);
}

void wipe_out(Screen& screen, int32_t t, int32_t out_start) {
    // Edges: nothing at or before out_start (strictly later only); p, the
    // first covered column, is (out_start + 320 - t) / 16 truncated, at most
    // 19 once t > out_start, and 0 or below from out_start + 305 on.
    if (t <= out_start) return;
    const int64_t first = (int64_t{out_start} + wipe_span_ms - t) / wipe_column_ms;
    if (first <= 0) {
        blank_columns(screen, 0, screen_columns - 1);
    } else if (first < screen_columns) {
        blank_columns(screen, static_cast<int>(first), screen_columns - 1);
    }
}
