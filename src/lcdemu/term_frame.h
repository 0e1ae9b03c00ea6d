// The display drawn in a truecolour terminal. Full size: one LCD pixel per
// terminal column and two pixel rows per terminal row (upper half blocks,
// foreground the upper pixel, background the lower). Compact, for narrower
// terminals: Braille patterns, two by four dots per terminal cell, on the
// glass colour; a cell's lit dots in the lit colour, or, in a cell with no
// lit dot, its unlit pixels in the unlit colour (one colour per cell is all
// a character has). Where the terminal is wide enough the compact picture
// keeps the margin and the gaps between cells as the full one does; where
// it is not, it shows the 100x32 pixels alone. Below the picture, status
// lines. The whole frame is built in one buffer, to be written at once;
// after the first frame only the terminal cells that changed are sent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "display_model/picture.h"

inline constexpr int term_status_lines = 2;
inline constexpr int term_status_bytes = 512;   // longest status line kept
inline constexpr int term_braille_columns = 2;  // dots across a Braille pattern
inline constexpr int term_braille_rows = 4;     // and down
// Full: 123x22 terminal cells.
inline constexpr int term_full_columns = picture_columns;                       // 123
inline constexpr int term_picture_rows = (picture_rows + 1) / 2;                // 20
inline constexpr int term_needed_rows = term_picture_rows + term_status_lines;  // 22
// Compact with the margin and the gaps: 62x12.
inline constexpr int term_compact_columns =
    (picture_columns + term_braille_columns - 1) / term_braille_columns;  // 62
inline constexpr int term_compact_picture_rows =
    (picture_rows + term_braille_rows - 1) / term_braille_rows;                          // 10
inline constexpr int term_compact_rows = term_compact_picture_rows + term_status_lines;  // 12
// Compact, the pixels alone: 50x10.
inline constexpr int term_pixels_columns = pixel_columns / term_braille_columns;       // 50
inline constexpr int term_pixels_picture_rows = pixel_rows / term_braille_rows;        // 8
inline constexpr int term_pixels_rows = term_pixels_picture_rows + term_status_lines;  // 10

// Worst case of one terminal cell: a cursor move, two colours, a
// three-byte character.
inline constexpr int term_cell_worst_bytes = 12 + 19 + 19 + 3;
inline constexpr int term_frame_capacity_bytes =
    term_picture_rows * term_full_columns * term_cell_worst_bytes +
    term_status_lines * (16 + term_status_bytes) + 4096;

enum class TermLayout : uint8_t { full, compact, compact_pixels, too_small };

struct TermFrame {
    // What the terminal shows now, from the last frame built.
    bool drawn;  // false: the next frame clears and redraws everything
    TermLayout layout;
    int columns, rows;
    Rgb colours[picture_dot_kinds];
    uint16_t keys[term_picture_rows][term_full_columns];  // what each cell shows
    char status[term_status_lines][term_status_bytes];
    // The frame being built.
    char bytes[term_frame_capacity_bytes];
    size_t length;
};

void term_frame_init(TermFrame* frame);

// Forgets what the terminal shows (after a resize, or when something else
// wrote to it): the next frame is drawn whole.
void term_frame_invalidate(TermFrame* frame);

// Full when it fits and compact is not asked for; else compact with the
// gaps when that fits, then compact with the pixels alone; else too small
// (the frame then says how big the terminal must be).
TermLayout term_frame_layout(int columns, int rows, bool compact);

// Builds the bytes that bring the terminal from what it shows to this
// state into frame->bytes; returns their count (0 when nothing changed).
size_t term_frame_build(TermFrame* frame, const LcdModel& model, const PicturePalette& palette,
                        bool cursor_shown, bool compact, int columns, int rows,
                        const char* const status[term_status_lines]);
