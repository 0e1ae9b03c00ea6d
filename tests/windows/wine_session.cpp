#include "wine_session.h"

#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int session_tool_timeout_ms = 120 * 1000;  // wineboot takes 10 to 20 s

// The full path of a program on PATH, or "".
std::string find_on_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return "";
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

// Runs scripts/wine-prefix with `args`; its standard output, or false.
bool run_prefix_tool(const std::vector<std::string>& args, std::string* output,
                     std::string* error) {
    std::vector<std::string> argv = {WINE_PREFIX_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    Child child = start_program(argv, {}, "");
    const int status = finish_child(child, session_tool_timeout_ms);
    if (output != nullptr) *output = child.output;
    if (status == 0) return true;
    *error = "wine-prefix " + args[0] + " exited " + std::to_string(status) + ": " + child.errors;
    return false;
}

std::vector<std::string> port_mappings(const std::vector<std::pair<int, std::string>>& ports) {
    std::vector<std::string> mappings;
    for (const auto& [number, path] : ports)
        mappings.push_back("COM" + std::to_string(number) + "=" + path);
    return mappings;
}

// Starts the server and learns which numbers Wine took for devices of its
// own finding ("found COMn PATH" lines).
bool start_server(WineSession* session, std::string* error) {
    std::string output;
    if (!run_prefix_tool({"start", session->dir}, &output, error)) return false;
    session->found_ports.clear();
    size_t at = 0;
    while ((at = output.find("found COM", at)) != std::string::npos) {
        session->found_ports.push_back(std::atoi(output.c_str() + at + 9));
        at += 9;
    }
    return true;
}

// The port a program's arguments name: starglow.exe's number (parsed as the
// show parses it, 1 when none), or a probe's COMn / \\.\COMn.
int port_named(const std::string& program, const std::vector<std::string>& args) {
    if (args.empty()) return 0;
    if (program == "starglow.exe") {
        if (args.size() != 1) return 0;
        char* end = nullptr;
        const long number = std::strtol(args[0].c_str(), &end, 10);
        return end == args[0].c_str() ? 1 : static_cast<int>(number);
    }
    const size_t com = args[0].rfind("COM");
    return com == std::string::npos ? 0 : std::atoi(args[0].c_str() + com + 3);
}

}  // namespace

std::string windows_tests_unavailable() {
    for (const char* tool : {"wine", "wineserver", "wineboot"}) {
        if (find_on_path(tool).empty())
            return std::string("Windows tests cannot run: ") + tool +
                   " is not installed (Debian: apt-get install wine wine64)";
    }
    const std::string exe = windows_program("starglow.exe");
    if (access(exe.c_str(), R_OK) != 0)
        return "Windows tests cannot run: " + exe +
               " is not built (cmake -S . -B build-win "
               "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake && cmake --build build-win)";
    return "";
}

std::string windows_program(const std::string& name) {
    return std::string(STARGLOW_WINDOWS_BIN) + "/" + name;
}

bool open_wine_session(WineSession* session, const std::vector<std::pair<int, std::string>>& ports,
                       std::string* error) {
    session->dir = make_directory();
    if (session->dir.empty()) {
        *error = "no temporary folder";
        return false;
    }
    std::string output;
    if (!run_prefix_tool({"create", session->dir}, nullptr, error)) return false;
    if (!run_prefix_tool({"env", session->dir}, &output, error)) return false;
    session->environment.clear();
    size_t start = 0;
    for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
        session->environment.push_back(output.substr(start, end - start));
    return map_wine_ports(session, ports, error);
}

bool map_wine_ports(WineSession* session, const std::vector<std::pair<int, std::string>>& ports,
                    std::string* error) {
    if (!ports.empty()) {
        std::vector<std::string> args = {"map", session->dir};
        for (const std::string& mapping : port_mappings(ports)) args.push_back(mapping);
        if (!run_prefix_tool(args, nullptr, error)) return false;
    }
    return start_server(session, error);
}

void close_wine_session(WineSession* session) {
    if (session->dir.empty()) return;
    std::string ignored;
    run_prefix_tool({"stop", session->dir}, nullptr, &ignored);
    remove_directory(session->dir);
    session->dir.clear();
}

Child start_windows_program(const WineSession& session, const std::string& program,
                            const std::vector<std::string>& args,
                            const std::vector<std::string>& extra, const std::string& directory) {
    const int port = port_named(program, args);
    for (int found : session.found_ports) {
        if (port == found) {
            ADD_FAILURE() << "refusing to run " << program << " on COM" << port
                          << ": Wine gave that number to a device of this machine";
            return Child{};
        }
    }
    std::vector<std::string> argv = {find_on_path("wine"), windows_program(program)};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> environment = session.environment;
    environment.insert(environment.end(), extra.begin(), extra.end());
    return start_program(argv, environment, directory);
}

int run_windows_program(const WineSession& session, const std::string& program,
                        const std::vector<std::string>& args, const std::vector<std::string>& extra,
                        const std::string& directory, std::string* output, std::string* errors,
                        int timeout_ms) {
    Child child = start_windows_program(session, program, args, extra, directory);
    if (child.pid < 0) return -1;
    const int status = finish_child(child, timeout_ms);
    if (output != nullptr) *output = lf_lines(child.output);
    if (errors != nullptr) *errors = lf_lines(child.errors);
    return status;
}

std::string lf_lines(const std::string& text) {
    std::string lf;
    lf.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        lf.push_back(text[i]);
    }
    return lf;
}
