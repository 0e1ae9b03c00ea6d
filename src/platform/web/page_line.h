// The page's serial line: the link's bytes and the time they take. The
// show's own time runs on it, as on a real link with blocking writes: a
// write begins when the show makes it and the show goes on once the line
// has carried it (10 bits a byte at 57600 baud), a pause is idle line time,
// and while the show waits for its next turn the page brings the line's
// time up to the wall clock. Two readers take the bytes in order: the
// page's display model as each byte has crossed the line, and a real
// serial port as each write begins.
#pragma once

#include <cstdint>

#include "platform/serial_port.h"

// Time on the line in ticks of 1/144 ms, so that a byte is a whole number of
// ticks: 10 bits at 57600 baud are 25/144 ms.
using LineTicks = int64_t;
inline constexpr LineTicks line_ticks_per_ms = 144;
inline constexpr LineTicks line_ticks_per_byte =
    line_ticks_per_ms * 1000 * serial_bits_per_byte / link_baud;
static_assert(line_ticks_per_byte * link_baud == line_ticks_per_ms * 1000 * serial_bits_per_byte);
inline constexpr LineTicks line_ticks_never = INT64_MAX;

inline constexpr uint32_t line_capacity_bytes = 1u << 16;  // 11 s of line
inline constexpr uint32_t line_capacity_writes = 1u << 12;

struct LineWrite {
    LineTicks start;
    uint64_t first_byte;  // the number of its first byte since the line was reset
    uint32_t count;
};

// Called with each write as it is made (the page's records of the show).
using LineObserver = void (*)(const uint8_t* bytes, uint32_t count);

struct PageLine {
    LineTicks now;           // the show's time
    uint64_t bytes_in;       // bytes written since reset
    uint64_t writes_in;      // writes since reset
    uint64_t crossed_out;    // bytes the display reader has taken
    uint64_t crossed_write;  // the write that holds the display reader's next byte
    uint64_t begun_out;      // writes the port reader has taken
    bool port_reading;       // false: nobody waits for the port's bytes
    LineObserver observer;
    uint8_t bytes[line_capacity_bytes];      // byte n at n % capacity
    LineWrite writes[line_capacity_writes];  // write n at n % capacity
};

extern PageLine page_line;

// An empty line at `now`, with no port reader and no observer.
void reset_page_line(LineTicks now);

// The show's side: one write at the line's time, which then moves on by the
// write's line time; a pause of `ms`.
void page_line_write(const uint8_t* bytes, uint32_t count);
void page_line_pause_ms(uint32_t ms);

// The page's side. The show waited for its next turn until `now`: the
// line's time moves on to it if it is behind.
void page_line_wake(LineTicks now);

// The line's time (for the show's clock) in ms and in us.
uint32_t page_line_ms();
uint64_t page_line_us();

// The instant the last byte written so far has crossed.
LineTicks page_line_idle_at();

// Copies into `out` (capacity bytes at most) the bytes, in order, that had
// crossed the line by `at` and that the display reader has not yet taken.
uint32_t page_line_take_crossed(LineTicks at, uint8_t* out, uint32_t capacity);

// Copies into `out` the bytes of whole writes that had begun by `at` and
// that the port reader has not yet taken; a write that does not fit waits
// for the next call (capacity must hold the longest write).
uint32_t page_line_take_begun(LineTicks at, uint8_t* out, uint32_t capacity);

// Bytes the slower reader still has to take.
uint64_t page_line_unread_bytes();
