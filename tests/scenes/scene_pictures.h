// Glyphs for scene tests: rows from five-pixel pictures, the glyph command
// that goes on the wire, and a Screen with a guard after it. Screens as
// pictures are in support/screen_picture.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "display/commands.h"
#include "display/screen.h"
#include "support/capture_sink.h"
#include "support/screen_picture.h"

using GlyphRows = std::array<uint8_t, glyph_rows>;

// "#.#.#" -> 0x15: '#' lit, anything else dark, leftmost pixel first.
inline uint8_t pixel_row(const char* pixels) {
    uint8_t value = 0;
    for (int i = 0; i < glyph_columns; ++i) {
        value = static_cast<uint8_t>(value << 1 | (pixels[i] == '#' ? 1 : 0));
    }
    return value;
}

inline GlyphRows eight_times(uint8_t row) {
    GlyphRows rows;
    rows.fill(row);
    return rows;
}

// The 11-byte glyph definition for `code`.
inline Bytes glyph_command(int code, const GlyphRows& rows) {
    Bytes bytes(define_glyph_bytes);
    bytes[0] = cmd::prefix;
    bytes[1] = cmd::define_glyph;
    bytes[2] = static_cast<uint8_t>(code);
    for (int row = 0; row < glyph_rows; ++row) bytes[3 + row] = rows[row];
    return bytes;
}

// A Screen with room after it, to show that nothing is written past its end.
struct GuardedScreen {
    Screen screen;
    uint8_t guard[screen_cells];
};

inline constexpr uint8_t guard_byte = 0xA5;

inline bool guard_intact(const GuardedScreen& guarded) {
    for (uint8_t b : guarded.guard) {
        if (b != guard_byte) return false;
    }
    return true;
}

// One frame of a scene that redraws glyphs: the screen it left, as a
// picture too, and the bytes it sent while drawing it.
struct SceneFrame {
    Screen screen;
    std::string picture;
    CaptureSink capture;
};

// Draws the frame at `t` over the previous scene's leftovers ('x' in every
// cell), capturing what goes on the wire.
inline void draw_scene_frame(void (*update)(int32_t, Screen&), int32_t t, SceneFrame& drawn) {
    drawn.capture.clear();
    attach_capture(drawn.capture);
    drawn.screen = screen_filled('x');
    update(t, drawn.screen);
    drawn.picture = screen_picture(drawn.screen);
}
