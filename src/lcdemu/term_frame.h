// The display drawn in a truecolour terminal. Full size: one LCD pixel per
// terminal column and two pixel rows per terminal row (upper half blocks,
// foreground the upper pixel, background the lower). Compact: two by two
// pixels per terminal cell (quadrant blocks), lit pixels on the glass
// colour, for terminals narrower than the full picture. Below the picture,
// status lines. The whole frame is built in one buffer, to be written at
// once; after the first frame only the terminal cells that changed are sent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "display_model/picture.h"

inline constexpr int term_status_lines = 2;
inline constexpr int term_status_bytes = 512;                           // longest status line kept
inline constexpr int term_full_columns = picture_columns;               // 123
inline constexpr int term_compact_columns = (picture_columns + 1) / 2;  // 62
inline constexpr int term_picture_rows = (picture_rows + 1) / 2;        // 20
inline constexpr int term_needed_rows = term_picture_rows + term_status_lines;  // 22

// Worst case of one terminal cell: a cursor move, two colours, a
// three-byte character.
inline constexpr int term_cell_worst_bytes = 12 + 19 + 19 + 3;
inline constexpr int term_frame_capacity_bytes =
    term_picture_rows * term_full_columns * term_cell_worst_bytes +
    term_status_lines * (16 + term_status_bytes) + 4096;

enum class TermLayout : uint8_t { full, compact, too_small };

struct TermFrame {
    // What the terminal shows now, from the last frame built.
    bool drawn;  // false: the next frame clears and redraws everything
    TermLayout layout;
    int columns, rows;
    Rgb colours[picture_dot_kinds];
    uint8_t keys[term_picture_rows][term_full_columns];
    char status[term_status_lines][term_status_bytes];
    // The frame being built.
    char bytes[term_frame_capacity_bytes];
    size_t length;
};

void term_frame_init(TermFrame* frame);

// Forgets what the terminal shows (after a resize, or when something else
// wrote to it): the next frame is drawn whole.
void term_frame_invalidate(TermFrame* frame);

// Full when it fits and compact is not asked for; compact when that fits;
// else too small (the frame then says how big the terminal must be).
TermLayout term_frame_layout(int columns, int rows, bool compact);

// Builds the bytes that bring the terminal from what it shows to this
// state into frame->bytes; returns their count (0 when nothing changed).
size_t term_frame_build(TermFrame* frame, const LcdModel& model, const PicturePalette& palette,
                        bool cursor_shown, bool compact, int columns, int rows,
                        const char* const status[term_status_lines]);
