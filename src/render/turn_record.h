// What one turn of the rendered show did: the clock, the scene, the frame
// it sent, the glyphs it defined and the spectrum its scene read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "display/screen.h"

inline constexpr int turn_record_bands = 20;       // the bands the bars show
inline constexpr int turn_record_max_glyphs = 32;  // an init's upload and a frame's own, with room

struct GlyphDefinition {
    uint8_t code;
    uint8_t rows[glyph_rows];
};

struct TurnRecord {
    int64_t turn;
    uint32_t clock_ms;
    uint32_t position_ms;
    int row;  // 1 to 13; 0 before any scene ran
    int32_t t;
    Screen screen;  // the cells of the frame sent
    int glyph_count;
    GlyphDefinition glyphs[turn_record_max_glyphs];
    int glyphs_dropped;  // beyond the record's room (never in this show)
    float left[turn_record_bands];
    float right[turn_record_bands];
};

// The longest line a turn can give: its fixed text, the screen, every glyph,
// and 40 bands of at most 16 characters each.
inline constexpr size_t turn_json_max_bytes = 160 + 2 * screen_cells +
                                              turn_record_max_glyphs * (8 + 2 * glyph_rows) +
                                              2 * turn_record_bands * 17;

// One JSON object on one line, newline included:
// {"turn":0,"clock_ms":0,"position_ms":0,"row":1,"t":0,"screen":"<160 hex>",
//  "glyphs":[[0,"<16 hex>"],...],"left":[20 numbers],"right":[20 numbers]}
// Formats it into `out` (turn_json_max_bytes at least) and returns its length.
size_t format_turn_json(const TurnRecord& record, char* out, size_t size);

// The same line written to a file.
void write_turn_json(FILE* file, const TurnRecord& record);
