// Running the real programs for the end-to-end tests, as a user would:
// arguments, environment, working directory, a terminal when asked for,
// and the exit status.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct ProgramOptions {
    std::vector<std::string> argv;
    std::vector<std::string> environment;  // NAME=value, added to ours
    std::string directory;                 // "" for ours
    std::string output;                    // standard output and error; "" for /dev/null
    int terminal =
        -1;  // a pty's client side: standard input, output and error, and controlling terminal
};

pid_t start_program(const ProgramOptions& options);

// The exit status as the shell shows it (128 + signal for a killed program),
// or -1 when the program has not ended within `timeout_ms` (it is then
// killed, and its process group with it).
int wait_program(pid_t pid, int timeout_ms);

bool wait_for(const std::function<bool()>& condition, int timeout_ms);

std::string temp_directory();
void remove_directory(const std::string& path);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

// From lcdemu's --stats: a number (-1 when missing) and the screen rows.
long json_number(const std::string& json, const std::string& key);
std::vector<std::string> json_screen(const std::string& json);

// lcdemu's --log: one entry per frame shown.
struct FrameLog {
    std::vector<double> ms;
    std::vector<long> bytes;           // bytes shown so far
    std::vector<long> queue;           // bytes written but not yet shown
    std::vector<std::string> screens;  // 80 cells each
    std::vector<std::string> glyphs;   // 64 row bytes each, glyph 0 first
    std::vector<int> brightness;
    std::vector<bool> backlight;
    std::vector<std::string> ends;  // "cell", "idle" or "exit"
};
FrameLog read_frame_log(const std::string& path);

// The frame packets in a stream of the show's bytes, in order, as 80 cells each.
std::vector<std::string> frame_packets_in(const std::string& wire);

// Frames a second over the middle of the log (from 1 s in to 0.3 s before
// its end) divided by the link's limit: 5760 bytes a second over the bytes
// of a turn in that stretch.
double frame_rate_over_limit(const FrameLog& log);
