#include "driver/startup.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/music_player.h"
#include "display/display_link.h"
#include "driver/frame_loop.h"
#include "platform/process.h"
#include "platform/serial_port.h"

namespace {

constexpr const char* logo_lines[] = {
    "  ________________________________________________________________________\n",
    "    _____  ______    ____     ____    ______    __      ____   __       __\n",
    "   / ___/ /_  __/   / __ \\   / __ \\  / ____/   / /     / __ \\  \\ \\  _  / /\n",
    "   \\__ \\   / /     / /_/ /  / /_/ / / / __    / /     / / / /  \\ \\/ \\/ /\n",
    "  ___/ /  / /     / __  /  / _  _/ / /_/ /   / /___  / /_/ /    \\  /\\  /\n",
    " /____/  /_/     /_/ /_/  /_/ \\_\\  \\____/   /_____/  \\____/      \\/  \\/\n",
    " (______________________________________________________________________)  vrl\n",
};
static_assert(sizeof logo_lines / sizeof logo_lines[0] == 7);

constexpr const char* title_line = "  LCD STARGLOW 2\n";
constexpr const char* subtitle_line = "  made for the Northern Lights demo party, winter 2026\n";

constexpr size_t banner_length() {
    size_t length = 2;  // the two blank lines
    for (const char* line : logo_lines) length += std::char_traits<char>::length(line);
    return length + std::char_traits<char>::length(title_line) +
           std::char_traits<char>::length(subtitle_line);
}
static_assert(banner_length() < banner_max_bytes);

constexpr const char* usage_lines[] = {
    "\nPlease run with serial port number as a command line argument\n",
    "for example if you have your Matrix Orbital display connected on COM14:\n\n",
    "starglow.exe 14\n\n",
};

constexpr int device_namespace_from_port = 10;

}  // namespace

size_t format_banner(char* out, size_t size) {
    size_t length = 0;
    const auto put = [&](const char* text) {
        const int wrote = std::snprintf(out + length, size - length, "%s", text);
        if (wrote > 0) length += static_cast<size_t>(wrote);
        if (length >= size) length = size - 1;
    };
    if (size == 0) return 0;
    out[0] = '\0';
    put("\n");
    for (const char* line : logo_lines) put(line);
    put("\n");
    put(title_line);
    put(subtitle_line);
    return length;
}

void print_banner() {
    char banner[banner_max_bytes];
    format_banner(banner, sizeof banner);
    std::printf("%s", banner);
}

void print_usage() {
    for (const char* line : usage_lines) std::printf("%s", line);
}

bool is_help_request(const char* argument) {
    return std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0;
}

int parse_port_number(const char* argument) {
    int port = default_port_number;
    char* end = nullptr;
    const long value = std::strtol(argument, &end, 10);
    if (end == argument) return port;  // no number at the start: the preset stays
    // Out-of-range numbers are clamped rather than left undefined; such a
    // port names no device anyway.
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    port = static_cast<int>(value);
    return port;
}

void format_port_name(int port, char* name, size_t size) {
    if (port >= device_namespace_from_port) {
        std::snprintf(name, size, "\\\\.\\COM%d", port);
    } else {
        std::snprintf(name, size, "COM%d", port);
    }
}

int starglow_main(int argc, char** argv) {
    // Also makes each position line appear as it is printed, through a pipe
    // too: how depends on the platform's C library.
    prepare_process();

    print_banner();
    if (argc != 2) {
        print_usage();
        return exit_failure_status;
    }
    // Asking for help must never send the show to port 1 (on many machines
    // the system console): the usage text, and how ports are named here.
    if (is_help_request(argv[1])) {
        print_usage();
        std::fflush(stdout);
        serial_describe_ports();
        return 0;
    }

    const int port = parse_port_number(argv[1]);
    char name[device_name_bytes];
    format_port_name(port, name, sizeof name);
    char device[device_name_bytes];
    if (!serial_device_for_port(port, name, device, sizeof device) || !open_display_link(device)) {
        std::printf("Error opening serial port\n");
        serial_report_open_failure(port, name, device);
        return exit_failure_status;
    }
    serial_report_opened(port, name, device);
    // The display's start-up waits with the processor idle: the track
    // decodes meanwhile, so the first frame follows sooner.
    decode_music_ahead();

    prepare_screen();
    init_display();
    build_timeline(show_timeline);
    start_music();
    mark_t0();
    if (music_player.length_ms == music_length_ms) run_frame_loop();
    stop_music();
    return 0;
}
