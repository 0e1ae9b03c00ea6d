// A display-link sink that keeps every write, in order, as a separate chunk.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct CaptureSink {
    std::vector<Bytes> writes;

    Bytes stream() const;  // all writes joined
    void clear() { writes.clear(); }
};

// Points the display link at the capture (and remembers nothing else).
void attach_capture(CaptureSink& capture);
