#include "lcdemu/port.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct PortSpeed {
    speed_t code;
    uint32_t baud;
};

// clang-format off
constexpr PortSpeed port_speeds[] = {
    {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
    {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},
    {B1200, 1200},     {B1800, 1800},     {B2400, 2400},     {B4800, 4800},
    {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
    {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B500000, 500000},
    {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000}, {B1152000, 1152000},
    {B1500000, 1500000}, {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000},
    {B3500000, 3500000}, {B4000000, 4000000},
};
// clang-format on

speed_t port_speed_of_baud(uint32_t baud) {
    for (const PortSpeed& s : port_speeds)
        if (s.baud == baud) return s.code;
    return B0;
}

void port_reset(EmuPort* port) {
    port->fd = -1;
    port->client_side = -1;
    port->notify_fd = -1;
    port->is_pty = false;
    port->openers = 0;
    port->path[0] = '\0';
    port->link[0] = '\0';
}

bool port_fail(EmuPort* port, char* error, size_t error_size, const char* what) {
    std::snprintf(error, error_size, "%s: %s", what, std::strerror(errno));
    port_close(port);
    return false;
}

// A raw 8-bit line: no translation of bytes either way, no echo, no
// signals from data bytes, reads return what is there.
void port_make_raw(termios* line, speed_t speed) {
    cfmakeraw(line);
    line->c_cflag |= CREAD | CLOCAL;
    line->c_cc[VMIN] = 1;
    line->c_cc[VTIME] = 0;
    cfsetispeed(line, speed);
    cfsetospeed(line, speed);
}

}  // namespace

uint32_t port_baud_of_speed(unsigned speed) {
    for (const PortSpeed& s : port_speeds)
        if (s.code == speed) return s.baud;
    return 0;
}

bool port_open_pty(EmuPort* port, const char* link, char* error, size_t error_size) {
    port_reset(port);
    port->is_pty = true;
    port->fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port->fd < 0) return port_fail(port, error, error_size, "cannot create a pty");
    if (grantpt(port->fd) != 0 || unlockpt(port->fd) != 0 ||
        ptsname_r(port->fd, port->path, sizeof port->path) != 0)
        return port_fail(port, error, error_size, "cannot set up the pty");

    port->client_side = open(port->path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port->client_side < 0) return port_fail(port, error, error_size, port->path);
    termios line{};
    tcgetattr(port->client_side, &line);
    port_make_raw(&line, B57600);
    tcsetattr(port->client_side, TCSANOW, &line);

    // Opens and closes by anyone else from here on.
    port->notify_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (port->notify_fd >= 0 &&
        inotify_add_watch(port->notify_fd, port->path,
                          IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        close(port->notify_fd);
        port->notify_fd = -1;
    }

    if (link != nullptr && link[0] != '\0') {
        struct stat existing {};
        if (lstat(link, &existing) == 0) {
            if (!S_ISLNK(existing.st_mode)) {
                std::snprintf(error, error_size, "%s exists and is not a symlink; not replacing it",
                              link);
                port_close(port);
                return false;
            }
            unlink(link);
        }
        if (symlink(port->path, link) != 0) {
            char what[port_path_bytes + 32];
            std::snprintf(what, sizeof what, "cannot make the symlink %s", link);
            return port_fail(port, error, error_size, what);
        }
        std::snprintf(port->link, sizeof port->link, "%s", link);
    }
    return true;
}

bool port_open_device(EmuPort* port, const char* path, uint32_t baud, char* error,
                      size_t error_size) {
    port_reset(port);
    std::snprintf(port->path, sizeof port->path, "%s", path);
    const speed_t speed = port_speed_of_baud(baud);
    if (speed == B0) {
        std::snprintf(error, error_size, "%u is not a baud rate this system's serial ports know",
                      baud);
        return false;
    }
    port->fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port->fd < 0) return port_fail(port, error, error_size, path);
    termios line{};
    if (tcgetattr(port->fd, &line) != 0) {
        char what[port_path_bytes + 32];
        std::snprintf(what, sizeof what, "%s is not a serial port", path);
        return port_fail(port, error, error_size, what);
    }
    port_make_raw(&line, speed);
    line.c_iflag |= IXON | IXOFF;  // the module's own flow control, both ways
    tcsetattr(port->fd, TCSANOW, &line);
    return true;
}

void port_read_line(const EmuPort* port, PortLine* line) {
    termios settings{};
    if (tcgetattr(port->fd, &settings) != 0) {
        *line = PortLine{0, false, 0x13, 0x11};
        return;
    }
    line->baud = port_baud_of_speed(cfgetospeed(&settings));
    // A device: we send stop and start on the sender's behalf whenever our
    // side has input flow control on, as the module does.
    line->obeys_xon_xoff =
        port->is_pty ? (settings.c_iflag & IXON) != 0 : (settings.c_iflag & IXOFF) != 0;
    line->stop_char = settings.c_cc[VSTOP];
    line->start_char = settings.c_cc[VSTART];
}

PortClients port_poll_clients(EmuPort* port) {
    PortClients change{0, 0};
    if (port->notify_fd < 0) return change;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = read(port->notify_fd, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) {
                ++port->openers;
                ++change.arrived;
            }
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                if (port->openers > 0) --port->openers;
                ++change.left;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // The last one out: let the next client in, whatever this one set.
    if (change.left > 0 && port->openers == 0) ioctl(port->client_side, TIOCNXCL);
    return change;
}

void port_hold_client(const EmuPort* port, bool hold) {
    if (port->client_side >= 0) tcflow(port->client_side, hold ? TCOOFF : TCOON);
}

void port_close(EmuPort* port) {
    if (port->link[0] != '\0') {
        // Remove the symlink only if it still points at our pty.
        char target[port_path_bytes];
        const ssize_t n = readlink(port->link, target, sizeof target - 1);
        if (n > 0) {
            target[n] = '\0';
            if (std::strcmp(target, port->path) == 0) unlink(port->link);
        }
    }
    if (port->notify_fd >= 0) close(port->notify_fd);
    if (port->client_side >= 0) close(port->client_side);
    if (port->fd >= 0) close(port->fd);
    port_reset(port);
}
