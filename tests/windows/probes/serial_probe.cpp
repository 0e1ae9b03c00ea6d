// serial_probe: the Windows serial port of the display link (the seam's own
// code, platform/windows/serial_port.cpp) driven alone, each result printed,
// so that a test can see what reaches a pty behind a Wine COM port.
//
//   serial_probe NAME HOLD_MS   open NAME, set the line, write every byte
//                               value once, hold HOLD_MS, write 16 more
//   serial_probe NAME --frames N  open and set NAME, write N frames of 96
//                               bytes, print how long they took
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/serial_port.h"

namespace {

constexpr uint32_t probe_tail_bytes = 16;
constexpr uint32_t probe_frame_bytes = 96;

int probe_usage() {
    std::fprintf(stderr, "usage: serial_probe NAME HOLD_MS | serial_probe NAME --frames N\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) return probe_usage();
    const char* name = argv[1];
    const bool frames = std::strcmp(argv[2], "--frames") == 0;
    if (frames != (argc == 4)) return probe_usage();

    SerialHandle port = serial_no_handle;
    const bool opened = serial_open(name, &port);
    std::printf("open %s: %s\n", name, opened ? "ok" : "failed");
    if (!opened) {
        serial_report_open_failure(1, name, name);
        return 1;
    }
    serial_configure(port);
    std::printf("configured\n");
    std::fflush(stdout);

    if (frames) {
        const long count = std::atol(argv[3]);
        uint8_t frame[probe_frame_bytes] = {};
        uint64_t reported = 0;
        const uint32_t start = monotonic_ms();
        for (long i = 0; i < count; ++i) reported += serial_write(port, frame, sizeof frame);
        const uint32_t took = monotonic_ms() - start;
        std::printf("frames %ld reported %llu took_ms %u\n", count,
                    static_cast<unsigned long long>(reported), took);
        return 0;
    }

    uint8_t every_byte[256];
    for (int i = 0; i < 256; ++i) every_byte[i] = static_cast<uint8_t>(i);
    std::printf("wrote %u\n", serial_write(port, every_byte, sizeof every_byte));
    std::fflush(stdout);
    serial_pause_ms(static_cast<uint32_t>(std::atol(argv[2])));
    std::printf("wrote %u\n", serial_write(port, every_byte, probe_tail_bytes));
    return 0;
}
