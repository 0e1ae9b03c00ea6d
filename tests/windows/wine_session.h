// A Wine prefix of the test's own (scripts/wine-prefix), with COM ports
// mapped to paths the test chooses, and the Windows programs of the cross
// build run in it as a user would run them: `wine PROGRAM ARGS` with its
// standard output, error and exit status.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "run_program.h"

struct WineSession {
    std::string dir;                       // the test's folder: prefix, ports, music
    std::vector<std::string> environment;  // NAME=VALUE for every program run in it
    std::vector<int> found_ports;          // numbers Wine gave to devices it found: never opened
};

// Why the Windows tests cannot run here ("" when they can): Wine or the
// cross-built programs missing.
std::string windows_tests_unavailable();

// The cross-built program `name` (starglow.exe, serial_probe.exe, ...).
std::string windows_program(const std::string& name);

// Makes the prefix in a fresh folder and maps each (n, path) as COMn, then
// starts the prefix's server. False with a message on failure.
bool open_wine_session(WineSession* session, const std::vector<std::pair<int, std::string>>& ports,
                       std::string* error);

// Maps more ports (n, path; an empty path removes COMn) and restarts the
// server so that they take effect.
bool map_wine_ports(WineSession* session, const std::vector<std::pair<int, std::string>>& ports,
                    std::string* error);

// Ends every Wine process of the prefix and removes the folder.
void close_wine_session(WineSession* session);

// Starts `wine program args` in `directory` with the session's environment
// and `extra` (NAME=VALUE) added. A port argument that names a device Wine
// found for itself is refused (the test fails instead).
Child start_windows_program(const WineSession& session, const std::string& program,
                            const std::vector<std::string>& args,
                            const std::vector<std::string>& extra, const std::string& directory);

// Runs it to the end (or `timeout_ms`) and returns the exit status as the
// shell sees it (255 for the exe's -1; -1 when it had to be killed), with
// the CR LF line ends of its output made LF.
int run_windows_program(const WineSession& session, const std::string& program,
                        const std::vector<std::string>& args, const std::vector<std::string>& extra,
                        const std::string& directory, std::string* output, std::string* errors,
                        int timeout_ms);

// A Windows console's text with its CR LF line ends made LF.
std::string lf_lines(const std::string& text);
