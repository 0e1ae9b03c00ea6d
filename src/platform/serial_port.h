// The serial port under the display link, as each platform reaches it: how
// a port number names a device, and how that device is opened, set up,
// written and waited on. Every target links one implementation
// (platform/<target>/serial_port.cpp); the link itself is the same on all.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int link_baud = 57600;
inline constexpr int serial_bits_per_byte = 10;  // start bit, 8 data bits, stop bit

// An open port as the platform knows it (a descriptor, a handle), held as
// an integer so that the link does not depend on the platform's types.
using SerialHandle = intptr_t;
inline constexpr SerialHandle serial_no_handle = -1;

// The device that port number `port` (named `port_name` as the show names
// it: COM<n>, or \\.\COM<n> from 10 up) stands for on this platform.
// Returns false when the number names no device at all.
bool serial_device_for_port(int port, const char* port_name, char* device, size_t size);

// Opens an existing device for reading and writing, unshared. *handle
// receives what the platform returned before the outcome is decided; the
// result is whether the platform reported success.
bool serial_open(const char* device, SerialHandle* handle);

// After a failed open, or a number that names no device: one line on
// standard error saying what was tried, why it failed, and how to choose
// another device. (Standard output carries the show's own message.)
void serial_report_open_failure(int port, const char* port_name, const char* device);

// After a successful open: one line on standard error naming the device
// the show now plays on, so that nobody has to guess where it went.
void serial_report_opened(int port, const char* port_name, const char* device);

// For starglow --help: on standard error, how port numbers name devices on
// this platform and how to choose another, with an example.
void serial_describe_ports();

// The line settings: 57600 baud, 8 data bits, XON/XOFF both ways, the rest
// as found. Results are not examined: a port that refuses them still gets
// the show.
void serial_configure(SerialHandle handle);

// One synchronous write: returns once the bytes have left the port (or the
// write failed), with the count the platform reported (0 on failure). A
// write that fails still takes the time its bytes would have taken on the
// line, so that a show on a lost port keeps the link's pace.
uint32_t serial_write(SerialHandle handle, const uint8_t* bytes, uint32_t count);

// Waits `ms` milliseconds.
void serial_pause_ms(uint32_t ms);
