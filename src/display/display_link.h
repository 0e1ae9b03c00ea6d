// The show's one path to the display. Every command is exactly one call of
// the link's sink, in order, byte for byte; nothing is ever read back.
#pragma once

#include <cstdint>

#include "display/commands.h"
#include "display/screen.h"
#include "platform/serial_port.h"

// A sink takes one command's bytes and reports how many it wrote (0 when
// the write failed). The serial sink returns only once the bytes have left.
using SinkWrite = uint32_t (*)(void* context, const uint8_t* bytes, uint32_t count);

struct DisplayLink {
    SerialHandle port;     // the open serial port, serial_no_handle when the sink is not one
    SinkWrite sink_write;  // where every command goes
    void* sink_context;
    uint32_t bytes_written;  // what the last write reported; nobody reads it
};

extern DisplayLink display_link;

inline constexpr int startup_string_bytes = 20;
inline constexpr int frame_row_bytes = cursor_to_bytes + screen_columns;  // 24
inline constexpr int frame_bytes = frame_row_bytes * screen_rows;         // 96
inline constexpr int startup_pause_ms = 100;

// Opens an existing serial device read-write, unshared, and points the
// link's sink at it. The handle is stored before the result is tested; on
// failure the sink is left as it was.
bool open_display_link(const char* device_name);

// Points the link at an in-process consumer (tests, the renderer).
void attach_display_sink(SinkWrite write, void* context);

// Line settings (on a serial port), the start-up string, a pause, a clear.
void init_display();

// One 11-byte write: prefix, define command, code, the eight rows as stored.
void define_glyph(int code, const uint8_t rows[glyph_rows]);

// define_glyph for codes 0 to 7 in order: eight writes, never one.
void upload_glyph_set(const GlyphSet& set);

// One 96-byte write: for each row, cursor to column 1 of that row, then its
// 20 codes unchanged.
void send_frame(const Screen& screen);
