#include "lcdemu/child.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* child_placeholder = "{}";
constexpr int child_exec_failed_status = 127;
constexpr int child_signal_exit_base = 128;
constexpr long child_wait_step_ns = 10 * 1000 * 1000;
constexpr int child_first_held_fd = 3;  // standard input, output and error go at once

#if defined(__x86_64__)
constexpr uint32_t child_audit_arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr uint32_t child_audit_arch = AUDIT_ARCH_AARCH64;
#else
constexpr uint32_t child_audit_arch = 0;  // no hold on other machines
#endif

// The filter: write(fd, ...) with fd >= 3 waits for lcdemu; everything else
// goes on. The descriptor's low 32 bits are read (little-endian machines).
bool child_install_hold(int* listener) {
    if (child_audit_arch == 0 || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__) return false;
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, child_audit_arch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_write, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
        BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, child_first_held_fd, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_USER_NOTIF),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return false;
    *listener = static_cast<int>(
        syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_NEW_LISTENER, &program));
    return *listener >= 0;
}

// One byte over the socket, with a descriptor attached when `fd` >= 0.
void child_send_descriptor(int socket, int fd) {
    char byte = 'h';
    iovec part{&byte, 1};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &fd, sizeof fd);
    }
    sendmsg(socket, &message, MSG_NOSIGNAL);
}

int child_receive_descriptor(int socket) {
    char byte = 0;
    iovec part{&byte, 1};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n;
    do {
        n = recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return -1;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    if (header == nullptr || header->cmsg_type != SCM_RIGHTS) return -1;
    int fd = -1;
    std::memcpy(&fd, CMSG_DATA(header), sizeof fd);
    return fd;
}

bool child_prepare_hold(EmuChild* child) {
    seccomp_notif_sizes sizes{};
    if (syscall(SYS_seccomp, SECCOMP_GET_NOTIF_SIZES, 0, &sizes) != 0) return false;
    child->request = std::calloc(1, sizes.seccomp_notif);
    child->response = std::calloc(1, sizes.seccomp_notif_resp);
    child->request_bytes = sizes.seccomp_notif;
    child->response_bytes = sizes.seccomp_notif_resp;
    return child->request != nullptr && child->response != nullptr;
}

// One of the child's streams as lines: where they are kept and counted.
struct ChildStream {
    int* fd;
    char* partial;
    int* partial_length;
    char (*lines)[child_line_bytes];
    int kept;
    int* line_count;
    unsigned long* lines_seen;
};

ChildStream child_output(EmuChild* child) {
    return {&child->console_fd, child->partial,     &child->partial_length, child->lines,
            child_kept_lines,   &child->line_count, &child->lines_seen};
}

ChildStream child_notices(EmuChild* child) {
    return {&child->notice_fd,   child->notice_partial, &child->notice_partial_length,
            child->notices,      child_kept_notices,    &child->notice_count,
            &child->notices_seen};
}

void child_finish_line(const ChildStream& s) {
    if (*s.line_count == s.kept) {
        std::memmove(s.lines[0], s.lines[1], sizeof s.lines[0] * static_cast<size_t>(s.kept - 1));
        --*s.line_count;
    }
    std::memcpy(s.lines[*s.line_count], s.partial, static_cast<size_t>(*s.partial_length));
    s.lines[*s.line_count][*s.partial_length] = '\0';
    ++*s.line_count;
    ++*s.lines_seen;
    *s.partial_length = 0;
}

// Only printable ASCII reaches the status line: the child's bytes must not
// be able to move our cursor or change our colours.
void child_take_bytes(const ChildStream& s, const char* bytes, ssize_t count) {
    for (ssize_t i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n' || c == '\r') {
            if (*s.partial_length > 0 || c == '\n') child_finish_line(s);
            continue;
        }
        if (*s.partial_length == child_line_bytes - 1) continue;  // over-long: cut
        s.partial[(*s.partial_length)++] = c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
}

// Reads what waits on one stream; false once it is closed.
bool child_read_stream(const ChildStream& s) {
    if (*s.fd < 0) return false;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(*s.fd, buffer, sizeof buffer);
        if (n > 0) {
            child_take_bytes(s, buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return true;
        // The end: a last line without its newline still counts.
        if (*s.partial_length > 0) child_finish_line(s);
        close(*s.fd);
        *s.fd = -1;
        return false;
    }
}

}  // namespace

bool child_start(EmuChild* child, char* const argv[], const char* port_path, bool hold, char* error,
                 size_t error_size) {
    std::memset(child, 0, sizeof *child);
    child->hold_fd = -1;
    child->pid = -1;
    child->console_fd = -1;
    child->notice_fd = -1;

    // Everything the child needs is made before the fork.
    std::vector<std::string> arguments;
    for (int i = 0; argv[i] != nullptr; ++i)
        arguments.emplace_back(std::strcmp(argv[i], child_placeholder) == 0 ? port_path : argv[i]);
    std::vector<char*> child_argv;
    for (std::string& a : arguments) child_argv.push_back(a.data());
    child_argv.push_back(nullptr);
    std::string port_variable;
    if (arguments.size() > 1) {
        char* end = nullptr;
        const long port = std::strtol(arguments[1].c_str(), &end, 10);
        if (end != arguments[1].c_str() && *end == '\0' && port >= 1)
            port_variable = "STARGLOW_COM" + std::to_string(port);
    }

    child->hold_fd = -1;
    int console[2];
    if (pipe2(console, O_CLOEXEC) != 0) {
        std::snprintf(error, error_size, "cannot make a pipe: %s", std::strerror(errno));
        return false;
    }
    int notices[2];
    if (pipe2(notices, O_CLOEXEC) != 0) {
        std::snprintf(error, error_size, "cannot make a pipe: %s", std::strerror(errno));
        close(console[0]);
        close(console[1]);
        return false;
    }
    // The child sends the hold's descriptor over this socket, then reports a
    // failed exec on it; a good exec closes it. (A pipe would not do: the
    // child's writes to it would wait for lcdemu's leave.)
    int report[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, report) != 0) {
        std::snprintf(error, error_size, "cannot make a socket pair: %s", std::strerror(errno));
        for (int fd : {console[0], console[1], notices[0], notices[1]}) close(fd);
        return false;
    }

    const pid_t pid = fork();
    if (pid < 0) {
        std::snprintf(error, error_size, "cannot start %s: %s", argv[0], std::strerror(errno));
        for (int fd : {console[0], console[1], notices[0], notices[1], report[0], report[1]})
            close(fd);
        return false;
    }
    if (pid == 0) {
        setpgid(0, 0);
        const int null_fd = open("/dev/null", O_RDONLY);
        if (null_fd >= 0) dup2(null_fd, STDIN_FILENO);
        if (null_fd > STDIN_FILENO) close(null_fd);
        dup2(console[1], STDOUT_FILENO);
        dup2(notices[1], STDERR_FILENO);
        // lcdemu ignores or catches these; the client starts with defaults.
        signal(SIGPIPE, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
        signal(SIGQUIT, SIG_DFL);
        signal(SIGCHLD, SIG_DFL);
        signal(SIGWINCH, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        setenv("LCDEMU_PORT", port_path, 1);
        setenv("STARGLOW_COM1", port_path, 1);
        if (!port_variable.empty()) setenv(port_variable.c_str(), port_path, 1);
        int listener = -1;
        child_send_descriptor(report[1], hold && child_install_hold(&listener) ? listener : -1);
        if (listener >= 0) close(listener);
        execvp(child_argv[0], child_argv.data());
        const int failure = errno;
        send(report[1], &failure, sizeof failure, MSG_NOSIGNAL);
        _exit(child_exec_failed_status);
    }
    setpgid(pid, pid);  // also from here, whichever runs first
    close(console[1]);
    close(notices[1]);
    close(report[1]);
    child->hold_fd = child_receive_descriptor(report[0]);
    int failure = 0;
    ssize_t n;
    do {
        n = recv(report[0], &failure, sizeof failure, 0);
    } while (n < 0 && errno == EINTR);
    close(report[0]);
    if (n == sizeof failure) {
        std::snprintf(error, error_size, "cannot run %s: %s", argv[0], std::strerror(failure));
        if (child->hold_fd >= 0) close(child->hold_fd);
        child->hold_fd = -1;
        waitpid(pid, nullptr, 0);
        close(console[0]);
        close(notices[0]);
        return false;
    }
    if (child->hold_fd >= 0 && !child_prepare_hold(child)) {
        // Without buffers nothing can be let through: give the child up.
        std::snprintf(error, error_size, "cannot hold %s's writes", argv[0]);
        kill(-pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        close(child->hold_fd);
        close(console[0]);
        close(notices[0]);
        return false;
    }
    fcntl(console[0], F_SETFL, fcntl(console[0], F_GETFL) | O_NONBLOCK);
    fcntl(notices[0], F_SETFL, fcntl(notices[0], F_GETFL) | O_NONBLOCK);
    child->pid = pid;
    child->console_fd = console[0];
    child->notice_fd = notices[0];
    return true;
}

bool child_read_console(EmuChild* child) {
    const bool output_open = child_read_stream(child_output(child));
    const bool notices_open = child_read_stream(child_notices(child));
    return output_open || notices_open;
}

bool child_take_write(EmuChild* child, ChildWrite* write) {
    if (child->hold_fd < 0) return false;
    std::memset(child->request, 0, child->request_bytes);
    if (ioctl(child->hold_fd, SECCOMP_IOCTL_NOTIF_RECV, child->request) != 0) {
        // ENOENT: the writer went away before we looked; anything else
        // (the child has gone) ends the hold.
        if (errno != ENOENT && errno != EINTR && errno != EAGAIN) {
            close(child->hold_fd);
            child->hold_fd = -1;
        }
        return false;
    }
    const seccomp_notif* request = static_cast<const seccomp_notif*>(child->request);
    write->id = request->id;
    write->pid = static_cast<pid_t>(request->pid);
    write->fd = static_cast<int>(request->data.args[0]);
    write->count = request->data.args[2];
    return true;
}

bool child_write_goes_to(const ChildWrite& write, const char* path) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/%d/fd/%d", static_cast<int>(write.pid), write.fd);
    char target[PATH_MAX];
    const ssize_t n = readlink(link, target, sizeof target - 1);
    if (n <= 0) return false;
    target[n] = '\0';
    return std::strcmp(target, path) == 0;
}

void child_let_write(EmuChild* child, const ChildWrite& write) {
    if (child->hold_fd < 0) return;
    std::memset(child->response, 0, child->response_bytes);
    seccomp_notif_resp* response = static_cast<seccomp_notif_resp*>(child->response);
    response->id = write.id;
    response->flags = SECCOMP_USER_NOTIF_FLAG_CONTINUE;
    ioctl(child->hold_fd, SECCOMP_IOCTL_NOTIF_SEND, response);  // ENOENT: its thread has gone
}

const char* child_last_line(const EmuChild* child) {
    return child->line_count == 0 ? "" : child->lines[child->line_count - 1];
}

const char* child_notice(const EmuChild* child, int back) {
    if (back < 0 || back >= child->notice_count) return nullptr;
    return child->notices[child->notice_count - 1 - back];
}

bool child_reap(EmuChild* child) {
    if (child->exited) return true;
    if (child->pid < 0) return false;
    int status = 0;
    if (waitpid(child->pid, &status, WNOHANG) == child->pid) {
        child->exited = true;
        child->status = status;
    }
    return child->exited;
}

void child_stop(EmuChild* child, int grace_ms) {
    if (child->pid < 0 || child_reap(child)) return;
    kill(-child->pid, SIGTERM);
    const timespec step{0, child_wait_step_ns};
    for (long waited_ms = 0; waited_ms < grace_ms; waited_ms += child_wait_step_ns / 1000000) {
        if (child_reap(child)) return;
        nanosleep(&step, nullptr);
    }
    kill(-child->pid, SIGKILL);
    int status = 0;
    if (waitpid(child->pid, &status, 0) == child->pid) {
        child->exited = true;
        child->status = status;
    }
}

int child_exit_code(const EmuChild* child) {
    if (!child->exited) return 1;
    if (WIFEXITED(child->status)) return WEXITSTATUS(child->status);
    if (WIFSIGNALED(child->status)) return child_signal_exit_base + WTERMSIG(child->status);
    return 1;
}

void child_end_hold(EmuChild* child) {
    // The kernel fails the child's held and later writes to descriptors
    // above 2 from now on: only for a child that is ending.
    if (child->hold_fd >= 0) close(child->hold_fd);
    child->hold_fd = -1;
    std::free(child->request);
    std::free(child->response);
    child->request = child->response = nullptr;
}
