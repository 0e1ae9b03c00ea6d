#include "emu_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "display/commands.h"
#include "display/display_link.h"

pid_t start_program(const ProgramOptions& options) {
    std::vector<char*> argv;
    for (const std::string& a : options.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (options.terminal >= 0) {
        setsid();
        ioctl(options.terminal, TIOCSCTTY, 0);
        dup2(options.terminal, STDIN_FILENO);
        dup2(options.terminal, STDOUT_FILENO);
        dup2(options.terminal, STDERR_FILENO);
    } else {
        setpgid(0, 0);
        const int in = open("/dev/null", O_RDONLY);
        const int out = options.output.empty()
                            ? open("/dev/null", O_WRONLY)
                            : open(options.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
    }
    for (const std::string& e : options.environment) putenv(const_cast<char*>(e.c_str()));
    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
}

int wait_program(pid_t pid, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-pid, SIGKILL);
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool wait_for(const std::function<bool()>& condition, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string temp_directory() {
    char path[] = "/tmp/starglow-emu-XXXXXX";
    return mkdtemp(path) != nullptr ? path : "/tmp";
}

void remove_directory(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

bool file_exists(const std::string& path) {
    struct stat s {};
    return lstat(path.c_str(), &s) == 0;
}

long json_number(const std::string& json, const std::string& key) {
    const size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return -1;
    return std::strtol(json.c_str() + at + key.size() + 3, nullptr, 10);
}

std::vector<std::string> json_screen(const std::string& json) {
    std::vector<std::string> rows;
    size_t at = json.find("\"screen\": [");
    if (at == std::string::npos) return rows;
    at = json.find('"', at + 10);
    while (at != std::string::npos && rows.size() < 4) {
        std::string row;
        size_t i = at + 1;
        for (; i < json.size() && json[i] != '"'; ++i) {
            if (json[i] == '\\') ++i;
            row += json[i];
        }
        rows.push_back(row);
        at = json.find('"', i + 1);
    }
    return rows;
}

namespace {

// The bytes of a field written as hex digits ("" when it is missing).
std::string hex_field(const std::string& line, const std::string& key, int count) {
    const size_t at = line.find("\"" + key + "\":\"");
    if (at == std::string::npos) return "";
    const size_t from = at + key.size() + 4;
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(
            std::stoi(line.substr(from + 2 * static_cast<size_t>(i), 2), nullptr, 16));
    return bytes;
}

}  // namespace

FrameLog read_frame_log(const std::string& path) {
    FrameLog log;
    const std::string text = read_file(path);
    for (size_t at = text.find("{\"frame\""); at != std::string::npos;
         at = text.find("{\"frame\"", at + 1)) {
        const std::string line = text.substr(at, text.find('\n', at) - at);
        log.ms.push_back(std::strtod(line.c_str() + line.find("\"ms\":") + 5, nullptr));
        log.bytes.push_back(json_number(line, "bytes"));
        log.queue.push_back(json_number(line, "queue"));
        log.screens.push_back(hex_field(line, "screen", screen_cells));
        log.glyphs.push_back(hex_field(line, "glyphs", glyph_count * glyph_rows));
        log.brightness.push_back(static_cast<int>(json_number(line, "brightness")));
        log.backlight.push_back(line.find("\"backlight\":true") != std::string::npos);
        const size_t end = line.find("\"end\":\"");
        log.ends.push_back(end == std::string::npos
                               ? ""
                               : line.substr(end + 7, line.find('"', end + 7) - (end + 7)));
    }
    return log;
}

std::vector<std::string> frame_packets_in(const std::string& wire) {
    std::vector<std::string> packets;
    const char start[] = {static_cast<char>(cmd::prefix), static_cast<char>(cmd::cursor_to), 1, 1};
    for (size_t at = wire.find(std::string(start, 4));
         at != std::string::npos && at + frame_bytes <= wire.size();
         at = wire.find(std::string(start, 4), at + frame_bytes)) {
        std::string cells;
        for (int row = 0; row < screen_rows; ++row)
            cells += wire.substr(at + static_cast<size_t>(row * frame_row_bytes + cursor_to_bytes),
                                 screen_columns);
        packets.push_back(cells);
    }
    return packets;
}

double frame_rate_over_limit(const FrameLog& log) {
    constexpr double link_bytes_per_second = 5760.0;  // 57600 baud, ten bits a byte
    if (log.ms.size() < 10) return 0;
    size_t first = 0, last = log.ms.size() - 1;
    while (first < last && log.ms[first] < 1000) ++first;
    while (last > first && log.ms[last] > log.ms.back() - 300) --last;
    if (last <= first) return 0;
    const double frames = static_cast<double>(last - first);
    const double fps = frames / ((log.ms[last] - log.ms[first]) / 1000.0);
    const double turn_bytes = static_cast<double>(log.bytes[last] - log.bytes[first]) / frames;
    return fps / (link_bytes_per_second / turn_bytes);
}
