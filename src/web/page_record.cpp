#include "web/page_record.h"

#include <cstdlib>
#include <cstring>

#include "render/turn_recorder.h"

PageRecord page_record = {false, {}, {}};

namespace {

// The whole show is about 1.2 MB of wire and 7 MB of turn lines.
constexpr size_t record_wire_reserve_bytes = 2u << 20;
constexpr size_t record_turns_reserve_bytes = 12u << 20;

TurnRecorder record_recorder;

bool record_reserve(PageBuffer& buffer, size_t capacity) {
    if (capacity <= buffer.capacity) return true;
    void* grown = std::realloc(buffer.data, capacity);
    if (grown == nullptr) return false;
    buffer.data = static_cast<uint8_t*>(grown);
    buffer.capacity = capacity;
    return true;
}

void record_append(PageBuffer& buffer, const void* bytes, size_t count) {
    if (buffer.full) return;
    if (buffer.size + count > buffer.capacity &&
        !record_reserve(buffer, 2 * (buffer.size + count))) {
        buffer.full = true;
        return;
    }
    std::memcpy(buffer.data + buffer.size, bytes, count);
    buffer.size += count;
}

void record_clear(PageBuffer& buffer, size_t reserve) {
    buffer.size = 0;
    buffer.full = !record_reserve(buffer, reserve);
}

}  // namespace

void reset_page_record(bool on) {
    page_record.on = on;
    reset_turn_recorder(&record_recorder);
    record_clear(page_record.wire, on ? record_wire_reserve_bytes : 0);
    record_clear(page_record.turns, on ? record_turns_reserve_bytes : 0);
}

void page_record_write(const uint8_t* bytes, uint32_t count) {
    if (!page_record.on) return;
    record_append(page_record.wire, bytes, count);
    if (turn_recorder_write(&record_recorder, bytes, count)) {
        char line[turn_json_max_bytes];
        record_append(page_record.turns, line,
                      format_turn_json(record_recorder.record, line, sizeof line));
    }
}
