// Running a program of ours as a child: its standard output through a pipe,
// a pty whose slave it may open, its exit status.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct Pty {
    int master = -1;
    std::string slave_path;
};

// A fresh pty; the master is non-blocking. Empty path on failure.
Pty open_pty();
void close_pty(Pty& pty);

struct Child {
    pid_t pid = -1;
    int out = -1;  // the child's standard output (stderr goes to err)
    int err = -1;
    std::string output;  // read so far
    std::string errors;
};

// Starts `argv` in `directory` with `environment` added (NAME=VALUE).
Child start_program(const std::vector<std::string>& argv,
                    const std::vector<std::string>& environment, const std::string& directory);

// Reads what the child has written so far, waiting up to timeout_ms for
// at least `want` more bytes of standard output (0: just what is there).
void read_child(Child& child, size_t want, int timeout_ms);

// Waits up to timeout_ms for the child to exit; returns its exit status,
// or -1 if it had to be killed. Reads the rest of its output meanwhile.
int finish_child(Child& child, int timeout_ms);

// Appends to `into` what the pty master holds, waiting up to timeout_ms
// until `into` has at least `want` bytes.
void read_pty(const Pty& pty, std::vector<unsigned char>& into, size_t want, int timeout_ms);

// A fresh empty directory under /tmp; removed by remove_directory.
std::string make_directory();
void remove_directory(const std::string& path);
