// What the page keeps of a show when asked to (?record, and always in the
// fast mode): every byte the show wrote after t0, and each turn as the JSON
// line starglow-render --turns writes. The tests read them back.
#pragma once

#include <cstddef>
#include <cstdint>

struct PageBuffer {
    uint8_t* data;
    size_t size;
    size_t capacity;
    bool full;  // a growth failed: what follows was not kept
};

struct PageRecord {
    bool on;
    PageBuffer wire;
    PageBuffer turns;
};

extern PageRecord page_record;

// Empties both and starts (or stops) keeping. Room for the whole show is
// made here, so that recording does not grow them while the show runs.
void reset_page_record(bool on);

// One write of the show, made after t0.
void page_record_write(const uint8_t* bytes, uint32_t count);
