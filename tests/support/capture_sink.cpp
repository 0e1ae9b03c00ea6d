#include "support/capture_sink.h"

#include "display/display_link.h"

namespace {

uint32_t capture_write(void* context, const uint8_t* bytes, uint32_t count) {
    static_cast<CaptureSink*>(context)->writes.emplace_back(bytes, bytes + count);
    return count;
}

}  // namespace

Bytes CaptureSink::stream() const {
    Bytes all;
    for (const Bytes& w : writes) all.insert(all.end(), w.begin(), w.end());
    return all;
}

void attach_capture(CaptureSink& capture) {
    display_link.port = serial_no_handle;
    attach_display_sink(capture_write, &capture);
}
