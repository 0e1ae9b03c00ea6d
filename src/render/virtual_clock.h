// The renderer's clock: time passes only as the show writes to the link
// (10 bits a byte at 57600 baud), or by a fixed step a turn.
#pragma once

#include <cstdint>

inline constexpr uint32_t link_ms_numerator = 25;  // 10 bits / 57600 baud = 25/144 ms a byte
inline constexpr uint32_t link_ms_denominator = 144;

struct VirtualClock {
    int32_t step_ms;        // 0: paced by the link's bytes
    uint64_t bytes_sent;    // since t0
    int64_t turns_started;  // clock reads after t0
    bool t0_read;
};

extern VirtualClock virtual_clock;

// Restarts at t0 = 0; step_ms 0 paces by bytes.
void reset_virtual_clock(int32_t step_ms);

// Counts bytes written to the link.
inline void count_link_bytes(uint32_t count) {
    virtual_clock.bytes_sent += count;
}

// The clock as the loop reads it: 0 for t0, then for turn k either
// bytes * 25 / 144 (integer division, all bytes since t0) or k * step_ms.
uint32_t virtual_clock_ms();

// The loop's clock for a show on the virtual link: virtual_clock_ms(), with
// the offline music's position following it exactly.
uint32_t virtual_show_clock();

// The instant, in ms since t0, at which the link has carried `bytes`.
inline uint32_t link_ms_for_bytes(uint64_t bytes) {
    return static_cast<uint32_t>(bytes * link_ms_numerator / link_ms_denominator);
}
