// lcdemu's frame log (--log FILE): one JSON line for each frame the display
// showed, written as it goes. A frame ends when its last cell (row 4,
// column 20) is written, as every frame of the show does; or, for clients
// that update only what changed, when the client's burst ends and the line
// goes idle with something on the display that no line has shown yet; or at
// the end, for what the last burst left.
//
//   {"frame":1,"ms":12.5,"bytes":96,"queue":0,"screen":"<160 hex digits>",
//    "glyphs":"<128 hex digits>","backlight":true,"brightness":255,"end":"cell"}
//
// `bytes` counts every byte the display has taken, so the frame is what the
// first `bytes` bytes of --wire show; `queue` the bytes the client has
// written that have not crossed the line yet; `glyphs` the eight glyphs, eight
// rows each of their five pixels (the bits that show); `end` is "cell",
// "idle" or "exit".
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "display_model/lcd_model.h"

enum class FrameEnd { cell, idle, exit };

// What a person sees of the display.
struct FrameView {
    uint8_t cells[screen_cells];
    uint8_t glyphs[glyph_count][glyph_rows];  // pixels only
    bool backlight;
    uint8_t brightness;
};

struct EmuFrameLog {
    FILE* file;       // null: no log
    uint64_t frames;  // lines written
    bool fed;         // bytes fed since the last line
    FrameView shown;  // the display as the last line showed it
};

// Creates the file; `model` is the display as it starts. False with a
// message when the file cannot be created.
bool frame_log_open(EmuFrameLog* log, const char* path, const LcdModel& model, char* error,
                    size_t error_size);

// Bytes were fed to the model since the last line.
inline void frame_log_fed(EmuFrameLog* log) {
    log->fed = true;
}

// Whether the display shows something that no line has yet.
bool frame_log_unshown(EmuFrameLog* log, const LcdModel& model);

// Writes the display as it is now as one line, and flushes it.
void frame_log_write(EmuFrameLog* log, const LcdModel& model, double ms, int queue_bytes,
                     FrameEnd end);

void frame_log_close(EmuFrameLog* log);
