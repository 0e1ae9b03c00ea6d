// The record of each turn, kept from the bytes the link carries: glyph
// definitions are noted as they go out, and the frame packet, the last write
// of every turn, completes the record with what the loop knows of the turn
// (its clock, position, scene and spectrum). Feed it every write made after
// t0, in order.
#pragma once

#include <cstdint>

#include "render/turn_record.h"

struct TurnRecorder {
    TurnRecord record;
    int64_t turns_done;
};

void reset_turn_recorder(TurnRecorder* recorder);

// Notes one write. Returns true when it was the turn's frame: recorder->record
// then holds the whole turn, until the next write.
bool turn_recorder_write(TurnRecorder* recorder, const uint8_t* bytes, uint32_t count);
