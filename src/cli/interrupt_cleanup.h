// What a tool leaves behind when Ctrl-C (SIGINT), SIGTERM or a hang-up
// (SIGHUP) ends it: nothing half-written. The outputs it is writing under
// temporary names are listed here; on any of those signals they are
// removed, the helper process it feeds (ffmpeg) is ended and waited for,
// one line says so on standard error, and the process exits with 128 + the
// signal (130, 143, 129).
#pragma once

#include <sys/types.h>

inline constexpr int interrupt_max_paths = 16;
inline constexpr int interrupt_path_bytes = 4096;
inline constexpr int interrupt_helper_grace_ms = 2000;  // then SIGKILL

// Installs the handlers; `program` begins the line on standard error.
void interrupt_cleanup_install(const char* program);

// A temporary output to remove if a signal ends the run: a file, or a
// folder holding only files. Longer paths and paths beyond
// interrupt_max_paths are not listed (false).
bool interrupt_cleanup_add(const char* path);

// The output is complete (renamed into place) or already removed.
void interrupt_cleanup_forget(const char* path);

// The process the tool feeds, ended before the outputs are removed so that
// it cannot write them again; -1 for none.
void interrupt_cleanup_helper(pid_t pid);
