#include "render/turn_recorder.h"

#include <cstring>

#include "audio/music_player.h"
#include "display/commands.h"
#include "display/display_link.h"
#include "driver/frame_loop.h"

namespace {

// The timeline row (1 to 13) of the scene that drew this turn; 0 before any.
int recorder_current_row() {
    const LoopState& s = loop_state;
    if (s.current_update == nullptr) return 0;
    for (int row = 0; row < s.scene_rows; ++row) {
        if (s.timeline[row].update == s.current_update &&
            s.timeline[row].start_ms == s.scene_start_ms)
            return row + 1;
    }
    return 0;
}

void recorder_glyph_written(TurnRecord& r, const uint8_t* bytes) {
    if (r.glyph_count == turn_record_max_glyphs) {
        ++r.glyphs_dropped;
        return;
    }
    GlyphDefinition& g = r.glyphs[r.glyph_count++];
    g.code = bytes[2];
    std::memcpy(g.rows, bytes + 3, glyph_rows);
}

void recorder_frame_written(TurnRecorder* recorder, const uint8_t* packet) {
    TurnRecord& r = recorder->record;
    const LoopState& s = loop_state;
    r.turn = recorder->turns_done++;
    r.clock_ms = static_cast<uint32_t>(s.clock_ms);
    r.position_ms = s.position_ms;
    for (int row = 0; row < screen_rows; ++row) {
        std::memcpy(r.screen.cells + cell_index(row, 0),
                    packet + row * frame_row_bytes + cursor_to_bytes, screen_columns);
    }
    r.row = recorder_current_row();
    r.t = static_cast<int32_t>(r.clock_ms - static_cast<uint32_t>(s.scene_start_ms));
    std::memcpy(r.left, spectrum.left, sizeof r.left);
    std::memcpy(r.right, spectrum.right, sizeof r.right);
}

}  // namespace

void reset_turn_recorder(TurnRecorder* recorder) {
    std::memset(recorder, 0, sizeof *recorder);
}

bool turn_recorder_write(TurnRecorder* recorder, const uint8_t* bytes, uint32_t count) {
    TurnRecord& r = recorder->record;
    // The write after a frame begins the next turn.
    if (r.turn < recorder->turns_done) {
        r.turn = recorder->turns_done;
        r.glyph_count = 0;
        r.glyphs_dropped = 0;
    }
    if (count == define_glyph_bytes && bytes[0] == cmd::prefix && bytes[1] == cmd::define_glyph) {
        recorder_glyph_written(r, bytes);
        return false;
    }
    if (count == frame_bytes && bytes[0] == cmd::prefix && bytes[1] == cmd::cursor_to) {
        recorder_frame_written(recorder, bytes);
        return true;
    }
    return false;
}
