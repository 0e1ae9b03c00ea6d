// lcdemu's report at exit (--stats FILE): what crossed the line and what
// the display shows at the end, as one JSON object.
#pragma once

#include <cstddef>
#include <cstdint>

#include "display_model/lcd_model.h"

// What lcdemu counted around the model.
struct EmuTally {
    uint64_t stops_sent;    // XOFF
    uint64_t starts_sent;   // XON
    uint64_t replies_sent;  // read-back bytes written to the client
    int queue_peak_bytes;   // most bytes written by the client but not yet shown
    uint32_t baud;          // line rate at the end
    int clients;            // clients that opened the port
    int64_t elapsed_ms;
    int child_exit;  // exit status of the child client, -1 when there was none
};

// The screen as text, one row per string: printable characters as
// themselves; glyph cells as the circled digit of their glyph (U+24EA for 0,
// U+2460 to U+2466 for 1 to 7), which no character of the module looks like,
// so that a glyph cannot be read as a real digit; the arrows and the block as
// the UTF-8 characters they look like; codes without a picture as blanks.
// Each row holds up to 3 bytes a cell.
inline constexpr int stats_row_bytes = screen_columns * 3 + 1;
void stats_screen_text(const LcdModel& model, char rows[screen_rows][stats_row_bytes]);

// Writes the report; false with a message when the file cannot be written.
bool stats_write(const char* path, const LcdModel& model, const EmuTally& tally, char* error,
                 size_t error_size);
