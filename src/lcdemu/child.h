// A client run as lcdemu's child on its port: its console comes back
// through two pipes, line by line: standard output (the show's position
// lines) for the status line, standard error (what it has to tell the
// user: notices, warnings) kept apart so that lcdemu can keep it in view.
// It runs in a process group of its own so that Ctrl-C in the terminal
// reaches lcdemu, which then ends it.
//
// Its writes are held as a UART holds them. A pty takes a writer's bytes as
// fast as it makes them, and the stop character acts only when lcdemu and
// the client's line discipline get the processor: a client that computes
// its next frame in microseconds runs kilobytes ahead of the line whenever
// the machine is busy. So the child runs under a seccomp filter that hands
// each of its writes to a descriptor above standard error to lcdemu, which
// lets a write to the port go ahead only when the line wants bytes (every
// other write at once). Where the kernel has no such filters, the child
// runs without it and only the stop and start characters hold it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

inline constexpr int child_line_bytes = 200;
inline constexpr int child_kept_lines = 4;    // of its output, shown again when lcdemu exits
inline constexpr int child_kept_notices = 8;  // of its standard error, the same

// One write of the child, waiting for lcdemu's leave.
struct ChildWrite {
    uint64_t id;
    pid_t pid;
    int fd;
    uint64_t count;
};

struct EmuChild {
    pid_t pid;       // -1 when none is running
    int console_fd;  // read end of its standard output; -1 once it is closed
    int notice_fd;   // read end of its standard error; -1 once it is closed
    int hold_fd;     // the filter's notification descriptor; -1 without the hold
    void* request;   // buffers sized as the kernel asks
    void* response;
    size_t request_bytes;
    size_t response_bytes;
    bool exited;
    int status;                      // as waitpid reports it
    char partial[child_line_bytes];  // the line being received
    int partial_length;
    char lines[child_kept_lines][child_line_bytes];  // last complete lines, newest last
    int line_count;
    unsigned long lines_seen;
    char notice_partial[child_line_bytes];  // the same for standard error
    int notice_partial_length;
    char notices[child_kept_notices][child_line_bytes];
    int notice_count;
    unsigned long notices_seen;
};

// Starts argv[0] with the client side of the port at `port_path`: every
// argument "{}" is replaced by that path, and the environment gets
// LCDEMU_PORT, STARGLOW_COM1 and, when the first argument is a port number
// N, STARGLOW_COM<N> naming it. With `hold`, under the filter that hands
// its writes to lcdemu. False with a message when it cannot start.
bool child_start(EmuChild* child, char* const argv[], const char* port_path, bool hold, char* error,
                 size_t error_size);

// Takes the next write the child is waiting to make; false if there was
// none after all or the hold has ended. Blocks while none waits: call it
// when hold_fd is ready.
bool child_take_write(EmuChild* child, ChildWrite* write);

// Whether the write goes to the file at `path` (a pty or device path).
bool child_write_goes_to(const ChildWrite& write, const char* path);

// Lets the write go ahead. A write whose thread has gone is forgotten.
void child_let_write(EmuChild* child, const ChildWrite& write);

// Reads what the child printed on either stream; returns false once both
// are closed.
bool child_read_console(EmuChild* child);

// The newest complete line of its standard output, "" before the first.
const char* child_last_line(const EmuChild* child);

// The `back`th newest line of its standard error (0: the newest), or null
// when fewer are kept.
const char* child_notice(const EmuChild* child, int back);

// Collects the child's exit status if it has ended; true once it has.
bool child_reap(EmuChild* child);

// Ends the hold, for a child that is ending: the kernel then fails its
// waiting and later writes to descriptors above standard error.
void child_end_hold(EmuChild* child);

// Asks the child's process group to end (SIGTERM), and after `grace_ms`
// without an exit, ends it (SIGKILL). Waits for it.
void child_stop(EmuChild* child, int grace_ms);

// The exit status lcdemu passes on: the child's, or 128 + its signal.
int child_exit_code(const EmuChild* child);
