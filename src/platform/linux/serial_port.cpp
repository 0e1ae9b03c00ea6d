// The serial port on Linux: a termios device, port N being /dev/ttyS<N-1>
// unless $STARGLOW_COM<N> names another.
#include "platform/serial_port.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int64_t serial_ns_per_ms = 1000000;
constexpr int64_t serial_ns_per_s = 1000000000;

int serial_open_errno = 0;  // why the last open failed

void serial_pause_ns(int64_t ns) {
    timespec pause{static_cast<time_t>(ns / serial_ns_per_s),
                   static_cast<long>(ns % serial_ns_per_s)};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

}  // namespace

bool serial_device_for_port(int port, const char*, char* device, size_t size) {
    if (port < 1) return false;
    char variable[32];
    std::snprintf(variable, sizeof variable, "STARGLOW_COM%d", port);
    const char* chosen = std::getenv(variable);
    if (chosen != nullptr && chosen[0] != '\0') {
        std::snprintf(device, size, "%s", chosen);
    } else {
        std::snprintf(device, size, "/dev/ttyS%d", port - 1);
    }
    return true;
}

bool serial_open(const char* device, SerialHandle* handle) {
    // O_NOCTTY: the display must never become our controlling terminal.
    // O_NONBLOCK only for the open itself, so that a port without carrier
    // detect does not hang here; all later writes are blocking.
    // No O_CREAT: the device must already exist.
    const int fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    serial_open_errno = errno;
    *handle = fd;
    if (fd < 0) return false;
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    // Unshared: no other process may open the port while the show runs.
    ioctl(fd, TIOCEXCL);
    return true;
}

void serial_report_open_failure(int port, const char* port_name, const char* device) {
    if (port < 1) {
        std::fprintf(stderr, "starglow: %s names no serial device (ports count from 1)\n",
                     port_name);
        return;
    }
    std::fprintf(stderr, "starglow: %s is %s: %s (set STARGLOW_COM%d to use another device)\n",
                 port_name, device, std::strerror(serial_open_errno), port);
}

void serial_report_opened(int port, const char*, const char* device) {
    std::fprintf(stderr, "starglow: port %d is %s; the show plays there\n", port, device);
}

void serial_describe_ports() {
    std::fprintf(stderr,
                 "On Linux, port N is the serial device /dev/ttyS<N-1> (port 1 is /dev/ttyS0),\n"
                 "unless the environment variable STARGLOW_COM<N> names another device, for\n"
                 "example a USB serial adapter:\n"
                 "\n"
                 "  STARGLOW_COM14=/dev/ttyUSB0 starglow 14\n"
                 "\n");
}

void serial_configure(SerialHandle handle) {
    const int fd = static_cast<int>(handle);
    termios line{};
    tcgetattr(fd, &line);
    cfsetispeed(&line, B57600);
    cfsetospeed(&line, B57600);
    // 8 data bits.
    line.c_cflag = (line.c_cflag & ~CSIZE) | CS8;
    // Stop sending while the display holds us with XOFF; send XOFF and XON
    // ourselves as our input buffer fills and drains.
    line.c_iflag |= IXON | IXOFF;
    // The line carries binary: glyph rows such as 0x0A must not become CR LF
    // on the way out, and what the display sends must not be echoed back to
    // it as if it were our output. Everything else stays as found.
    line.c_oflag &= ~OPOST;
    line.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    tcsetattr(fd, TCSANOW, &line);
}

uint32_t serial_write(SerialHandle handle, const uint8_t* bytes, uint32_t count) {
    const int fd = static_cast<int>(handle);
    const ssize_t written = write(fd, bytes, count);
    // Synchronous, as the show expects: the write is done when the bytes have
    // left the port, so a frame's glyphs never overtake it.
    tcdrain(fd);
    if (written < static_cast<ssize_t>(count)) {
        // A port that fails (unplugged, hung up) returns at once. The show
        // goes on as if the write had succeeded, so it also takes the time a
        // successful one would: the frame rate stays the link's, and the
        // loop does not spin.
        const uint32_t unsent = count - static_cast<uint32_t>(written < 0 ? 0 : written);
        serial_pause_ns(static_cast<int64_t>(uint64_t{unsent} * serial_bits_per_byte *
                                             serial_ns_per_s / link_baud));
    }
    return written < 0 ? 0 : static_cast<uint32_t>(written);
}

void serial_pause_ms(uint32_t ms) {
    serial_pause_ns(int64_t{ms} * serial_ns_per_ms);
}
