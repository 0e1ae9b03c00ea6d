#include "cli/interrupt_cleanup.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr long interrupt_wait_step_ns = 10 * 1000 * 1000;
constexpr int interrupt_exit_base = 128;
constexpr int interrupt_signals[] = {SIGINT, SIGTERM, SIGHUP};

// Fixed storage: the handler may read it at any moment, so it is never
// allocated or moved, and changed only with the signals blocked.
struct InterruptState {
    const char* program;
    char paths[interrupt_max_paths][interrupt_path_bytes];
    bool listed[interrupt_max_paths];
    pid_t helper;
};

InterruptState interrupt = {"", {}, {}, -1};

// Blocks the signals for the life of the guard, so that a change of the
// list is never seen half done.
struct InterruptBlock {
    sigset_t before;
    InterruptBlock() {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (int number : interrupt_signals) sigaddset(&blocked, number);
        pthread_sigmask(SIG_BLOCK, &blocked, &before);
    }
    ~InterruptBlock() { pthread_sigmask(SIG_SETMASK, &before, nullptr); }
};

// Everything below runs in the signal handler: only calls that are safe
// there (no stdio, no allocation).

void interrupt_write(const char* text) {
    size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t n = write(STDERR_FILENO, text, left);
        if (n <= 0) return;
        text += n;
        left -= static_cast<size_t>(n);
    }
}

void interrupt_end_helper() {
    const pid_t pid = interrupt.helper;
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    const timespec step{0, interrupt_wait_step_ns};
    for (long waited_ms = 0; waited_ms < interrupt_helper_grace_ms;
         waited_ms += interrupt_wait_step_ns / 1000000) {
        const pid_t done = waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) return;
        nanosleep(&step, nullptr);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// A folder of files (the PNG outputs): its entries, then itself.
void interrupt_remove_folder(const char* path) {
    const int folder = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    alignas(8) char entries[4096];
    for (;;) {
        const long n = syscall(SYS_getdents64, folder, entries, sizeof entries);
        if (n <= 0) break;
        for (long at = 0; at < n;) {
            // struct linux_dirent64: inode, offset, record length, type, name.
            unsigned short length = 0;
            std::memcpy(&length, entries + at + 16, sizeof length);
            const char* name = entries + at + 19;
            if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
                unlinkat(folder, name, 0);
            at += length;
        }
    }
    close(folder);
    rmdir(path);
}

bool interrupt_remove_outputs() {
    bool removed = false;
    for (int i = 0; i < interrupt_max_paths; ++i) {
        if (!interrupt.listed[i]) continue;
        const char* path = interrupt.paths[i];
        if (unlink(path) == 0) {
            removed = true;
        } else if (errno == EISDIR || errno == EPERM) {
            interrupt_remove_folder(path);
            removed = true;
        }
        interrupt.listed[i] = false;
    }
    return removed;
}

void interrupt_on_signal(int number) {
    interrupt_end_helper();
    const bool removed = interrupt_remove_outputs();
    // A progress bar may be half way along its line.
    if (isatty(STDERR_FILENO)) interrupt_write("\n");
    interrupt_write(interrupt.program);
    interrupt_write(number == SIGINT   ? ": interrupted"
                    : number == SIGHUP ? ": hung up"
                                       : ": terminated");
    interrupt_write(removed ? "; the unfinished outputs are removed\n" : "\n");
    _exit(interrupt_exit_base + number);
}

}  // namespace

void interrupt_cleanup_install(const char* program) {
    interrupt.program = program;
    struct sigaction action {};
    action.sa_handler = interrupt_on_signal;
    sigemptyset(&action.sa_mask);
    // A second signal while the first is being handled waits: it would
    // only cut the cleaning short.
    for (int number : interrupt_signals) sigaddset(&action.sa_mask, number);
    for (int number : interrupt_signals) sigaction(number, &action, nullptr);
}

bool interrupt_cleanup_add(const char* path) {
    if (std::strlen(path) >= static_cast<size_t>(interrupt_path_bytes)) return false;
    InterruptBlock block;
    for (int i = 0; i < interrupt_max_paths; ++i) {
        if (interrupt.listed[i]) continue;
        std::memcpy(interrupt.paths[i], path, std::strlen(path) + 1);
        interrupt.listed[i] = true;
        return true;
    }
    return false;
}

void interrupt_cleanup_forget(const char* path) {
    InterruptBlock block;
    for (int i = 0; i < interrupt_max_paths; ++i)
        if (interrupt.listed[i] && std::strcmp(interrupt.paths[i], path) == 0)
            interrupt.listed[i] = false;
}

void interrupt_cleanup_helper(pid_t pid) {
    InterruptBlock block;
    interrupt.helper = pid;
}
