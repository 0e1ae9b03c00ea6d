// The show's clock in the page is the line's time: it moves on as the line
// carries the show's bytes and, between turns, as the page brings it up to
// the wall clock (page_line.h).
#include "platform/clock.h"

#include "platform/web/page_line.h"

uint32_t monotonic_ms() {
    return page_line_ms();
}

uint64_t monotonic_us() {
    return page_line_us();
}
