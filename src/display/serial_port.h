// The POSIX serial port under the display link.
#pragma once

#include <cstdint>

inline constexpr int link_baud = 57600;
inline constexpr int serial_bits_per_byte = 10;  // start bit, 8 data bits, stop bit

// Sleeps for ns nanoseconds, through interruptions.
void pause_ns(int64_t ns);

// Opens an existing device read-write, exclusively, without making it the
// controlling terminal and without waiting for carrier; the descriptor is
// blocking once open. Returns -1 on failure.
int serial_open(const char* path);

// Reads the line settings as found, then sets 57600 baud, 8 data bits and
// XON/XOFF in both directions, and turns off output processing and echo
// (the line carries binary); parity, stop bits, the flow-control
// characters and every other setting stay as they were.
// Results are not examined: a port that refuses them still gets the show.
void serial_configure(int fd);

// Sink over a serial descriptor (context points to the int descriptor):
// one write, then wait until the bytes have left the port. A write that
// fails takes the time the bytes would have taken on the line.
uint32_t serial_sink_write(void* context, const uint8_t* bytes, uint32_t count);
