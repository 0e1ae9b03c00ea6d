#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

long now_ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

// Reads whatever `fd` holds into `into`; false at end of file.
bool drain(int fd, std::string& into) {
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<size_t>(n));
            continue;
        }
        return !(n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR));
    }
}

}  // namespace

Pty open_pty() {
    Pty pty;
    pty.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (pty.master < 0) return pty;
    if (grantpt(pty.master) != 0 || unlockpt(pty.master) != 0) {
        close(pty.master);
        pty.master = -1;
        return pty;
    }
    pty.slave_path = ptsname(pty.master);
    return pty;
}

void close_pty(Pty& pty) {
    if (pty.master >= 0) close(pty.master);
    pty.master = -1;
}

Child start_program(const std::vector<std::string>& argv,
                    const std::vector<std::string>& environment, const std::string& directory) {
    Child child;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return child;
    child.pid = fork();
    if (child.pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(127);
        for (const std::string& setting : environment) putenv(strdup(setting.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    child.out = out[0];
    child.err = err[0];
    fcntl(child.out, F_SETFL, O_NONBLOCK);
    fcntl(child.err, F_SETFL, O_NONBLOCK);
    return child;
}

void read_child(Child& child, size_t want, int timeout_ms) {
    const long deadline = now_ms() + timeout_ms;
    const size_t target = child.output.size() + want;
    for (;;) {
        const bool open = drain(child.out, child.output);
        drain(child.err, child.errors);
        if (child.output.size() >= target || !open) return;
        const long left = deadline - now_ms();
        if (left <= 0) return;
        pollfd wait_for{child.out, POLLIN, 0};
        poll(&wait_for, 1, static_cast<int>(left));
    }
}

int finish_child(Child& child, int timeout_ms) {
    const long deadline = now_ms() + timeout_ms;
    int status = 0;
    for (;;) {
        drain(child.out, child.output);
        drain(child.err, child.errors);
        pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid) break;
        if (now_ms() > deadline) {
            kill(child.pid, SIGKILL);
            waitpid(child.pid, &status, 0);
            status = -1;
            break;
        }
        pollfd wait_for{child.out, POLLIN, 0};
        poll(&wait_for, 1, 20);
    }
    drain(child.out, child.output);
    drain(child.err, child.errors);
    close(child.out);
    close(child.err);
    child.out = child.err = -1;
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

void read_pty(const Pty& pty, std::vector<unsigned char>& into, size_t want, int timeout_ms) {
    const long deadline = now_ms() + timeout_ms;
    unsigned char buffer[65536];
    while (into.size() < want) {
        ssize_t n = read(pty.master, buffer, sizeof buffer);
        if (n > 0) {
            into.insert(into.end(), buffer, buffer + n);
            continue;
        }
        const long left = deadline - now_ms();
        if (left <= 0) return;
        pollfd wait_for{pty.master, POLLIN, 0};
        poll(&wait_for, 1, static_cast<int>(left < 50 ? left : 50));
    }
}

std::string make_directory() {
    char path[] = "/tmp/starglow-test-XXXXXX";
    return mkdtemp(path) != nullptr ? path : "";
}

void remove_directory(const std::string& path) {
    std::error_code ignored;
    if (path.rfind("/tmp/starglow-test-", 0) == 0) std::filesystem::remove_all(path, ignored);
}
