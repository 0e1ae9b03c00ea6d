// The serial port on Windows, through the calls the show was written for:
// the number given is the COM port itself, opened by the name the show
// forms (COM<n>, or \\.\COM<n> from 10 up, which the system needs for
// two-digit ports).
#include "platform/serial_port.h"

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

constexpr BYTE serial_data_bits = 8;
// fOutX (bit 8): stop sending while the display holds us with XOFF; fInX
// (bit 9): send XOFF and XON as our input buffer fills and drains.
constexpr DWORD serial_xon_xoff_flags = 0x300;
// The DCB's flag word (its bit fields) follows DCBlength and BaudRate.
constexpr size_t serial_flag_word_offset = offsetof(DCB, BaudRate) + sizeof(DWORD);
static_assert(serial_flag_word_offset + sizeof(DWORD) <= offsetof(DCB, wReserved));
constexpr uint64_t serial_us_per_s = 1000000;
constexpr uint64_t serial_us_per_ms = 1000;

DWORD serial_open_error = 0;  // what the system said about the last open
uint64_t serial_owed_us = 0;  // line time of failed bytes not yet slept

void serial_or_flags(DCB* dcb, DWORD bits) {
    DWORD word = 0;
    std::memcpy(&word, reinterpret_cast<const char*>(dcb) + serial_flag_word_offset, sizeof word);
    word |= bits;
    std::memcpy(reinterpret_cast<char*>(dcb) + serial_flag_word_offset, &word, sizeof word);
}

}  // namespace

bool serial_device_for_port(int, const char* port_name, char* device, size_t size) {
    // Every number is tried: one the system does not know (COM0, COM-3)
    // fails at the open with the show's own message.
    std::snprintf(device, size, "%s", port_name);
    return true;
}

bool serial_open(const char* device, SerialHandle* handle) {
    // The show decides by the error status alone. A successful CreateFileA
    // clears it, but a stale status from earlier in the process must not
    // turn a good open into a failure, so it starts cleared.
    SetLastError(ERROR_SUCCESS);
    const HANDLE port =
        CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    serial_open_error = GetLastError();  // read at once: any later call may change it
    *handle = reinterpret_cast<SerialHandle>(port);
    return serial_open_error == ERROR_SUCCESS;
}

void serial_report_open_failure(int, const char* port_name, const char* device) {
    char reason[256] = "";
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       serial_open_error, 0, reason, sizeof reason, nullptr);
    // The system's text ends in CR LF.
    for (DWORD end = length; end > 0 && (reason[end - 1] == '\r' || reason[end - 1] == '\n'); --end)
        reason[end - 1] = '\0';
    std::fprintf(stderr,
                 "starglow: %s could not be opened: %s (error %lu); the number given is the COM "
                 "port, as the Device Manager lists it under Ports (COM & LPT)\n",
                 device[0] != '\0' ? device : port_name,
                 reason[0] != '\0' ? reason : "no reason given",
                 static_cast<unsigned long>(serial_open_error));
}

void serial_report_opened(int, const char*, const char* device) {
    std::fprintf(stderr, "starglow: %s is open; the show plays there\n", device);
}

void serial_describe_ports() {
    std::fprintf(stderr,
                 "On Windows, the number is the COM port itself, as the Device Manager lists it\n"
                 "under Ports (COM & LPT): starglow.exe 3 opens COM3, and from COM10 up the\n"
                 "show opens the port by its device-namespace name (\\\\.\\COM14 for 14).\n"
                 "\n");
}

void serial_configure(SerialHandle handle) {
    const HANDLE port = reinterpret_cast<HANDLE>(handle);
    // Zeroed first: where the port cannot be read, the settings written back
    // carry equal XON and XOFF characters, which the system refuses, so a
    // failed read never puts made-up settings on the line. Neither result is
    // examined: a port that refuses the settings still gets the show.
    DCB line{};
    line.DCBlength = sizeof line;
    GetCommState(port, &line);
    line.BaudRate = link_baud;
    line.ByteSize = serial_data_bits;
    serial_or_flags(&line, serial_xon_xoff_flags);
    SetCommState(port, &line);
}

uint32_t serial_write(SerialHandle handle, const uint8_t* bytes, uint32_t count) {
    // A handle opened without FILE_FLAG_OVERLAPPED: WriteFile returns when
    // the system has taken the bytes for the line, so a frame's glyphs never
    // overtake it.
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(handle), bytes, count, &written, nullptr)) written = 0;
    if (written < count) {
        // A failing port (unplugged adapter) returns at once. The show goes on
        // as if the write had succeeded, so it also takes the time a
        // successful one would: the frame rate stays the link's and the loop
        // does not spin. Sleep counts whole milliseconds; the rest is owed to
        // the next failure.
        serial_owed_us +=
            uint64_t{count - written} * serial_bits_per_byte * serial_us_per_s / link_baud;
        Sleep(static_cast<DWORD>(serial_owed_us / serial_us_per_ms));
        serial_owed_us %= serial_us_per_ms;
    }
    return written;
}

void serial_pause_ms(uint32_t ms) {
    Sleep(ms);
}
