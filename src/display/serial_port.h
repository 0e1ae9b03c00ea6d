// The POSIX serial port under the display link.
#pragma once

#include <cstdint>

inline constexpr int link_baud = 57600;

// Opens an existing device read-write, exclusively, without making it the
// controlling terminal and without waiting for carrier; the descriptor is
// blocking once open. Returns -1 on failure.
int serial_open(const char* path);

// Reads the line settings as found, then sets 57600 baud, 8 data bits and
// XON/XOFF in both directions, leaving every other setting as it was.
// Results are not examined: a port that refuses them still gets the show.
void serial_configure(int fd);

// Sink over a serial descriptor (context points to the int descriptor):
// one write, then wait until the bytes have left the port.
uint32_t serial_sink_write(void* context, const uint8_t* bytes, uint32_t count);
