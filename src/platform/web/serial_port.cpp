// The page's serial port is its own line (page_line.h): always there,
// always at the link's settings, and each write takes its line time.
#include "platform/serial_port.h"

#include <cstdio>

#include "platform/web/page_line.h"

namespace {

constexpr SerialHandle page_line_handle = 1;

}  // namespace

bool serial_device_for_port(int, const char* port_name, char* device, size_t size) {
    std::snprintf(device, size, "%s", port_name);
    return true;
}

bool serial_open(const char*, SerialHandle* handle) {
    *handle = page_line_handle;
    return true;
}

void serial_report_open_failure(int, const char* port_name, const char*) {
    std::fprintf(stderr, "starglow: the page's line %s could not be opened\n", port_name);
}

void serial_report_opened(int, const char* port_name, const char*) {
    std::fprintf(stderr, "starglow: %s is the page's line; the show plays there\n", port_name);
}

void serial_describe_ports() {
    std::fprintf(stderr,
                 "On the page, every port is the page's own line to its display (or a real one\n"
                 "chosen through WebSerial).\n");
}

// The line is 57600 baud, 8 data bits by construction; a real port behind
// it is opened with those settings by the page.
void serial_configure(SerialHandle) {}

uint32_t serial_write(SerialHandle, const uint8_t* bytes, uint32_t count) {
    page_line_write(bytes, count);
    return count;
}

void serial_pause_ms(uint32_t ms) {
    page_line_pause_ms(ms);
}
