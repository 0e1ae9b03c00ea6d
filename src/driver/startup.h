// The program's entry and exit: banner, argument, port, display, music,
// frame loop, shut-down, each once and in that order.
#pragma once

#include <cstddef>

inline constexpr int exit_failure_status = -1;  // 255 as the shell sees it
inline constexpr int default_port_number = 1;
inline constexpr size_t device_name_bytes = 512;

inline constexpr size_t banner_max_bytes = 1024;

// The banner: a blank line, the logo, a blank line, the title and the
// subtitle, each line ending in a newline. Formats it into `out` (cut to
// fit, NUL-terminated) and returns its length.
size_t format_banner(char* out, size_t size);
void print_banner();
void print_usage();

// -h and --help ask for the usage text instead of naming a port.
bool is_help_request(const char* argument);

// "%d" rules: leading blanks skipped, a sign accepted, trailing text
// ignored; an argument that does not begin with a number gives 1.
int parse_port_number(const char* argument);

// The port's name: COM<n>, or the device-namespace form \\.\COM<n> from
// 10 up. Each platform maps it to its own device (platform/serial_port.h).
void format_port_name(int port, char* name, size_t size);

// The whole program; returns the exit status.
int starglow_main(int argc, char** argv);
