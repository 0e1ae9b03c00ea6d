#include "display/serial_port.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

void pause_ns(int64_t ns) {
    timespec pause{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

int serial_open(const char* path) {
    // O_NOCTTY: the display must never become our controlling terminal.
    // O_NONBLOCK only for the open itself, so that a port without carrier
    // detect does not hang here; all later writes are blocking.
    // No O_CREAT: the device must already exist.
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    // Unshared: no other process may open the port while the show runs.
    ioctl(fd, TIOCEXCL);
    return fd;
}

void serial_configure(int fd) {
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

uint32_t serial_sink_write(void* context, const uint8_t* bytes, uint32_t count) {
    int fd = *static_cast<int*>(context);
    ssize_t written = write(fd, bytes, count);
    // Synchronous, as the show expects: the write is done when the bytes have
    // left the port, so a frame's glyphs never overtake it.
    tcdrain(fd);
    if (written < static_cast<ssize_t>(count)) {
        // A port that fails (unplugged, hung up) returns at once. The show
        // goes on as if the write had succeeded, so it also takes the time a
        // successful one would: the frame rate stays the link's, and the
        // loop does not spin.
        const uint32_t unsent = count - static_cast<uint32_t>(written < 0 ? 0 : written);
        pause_ns(static_cast<int64_t>(uint64_t{unsent} * serial_bits_per_byte * 1000000000u /
                                      link_baud));
    }
    return written < 0 ? 0 : static_cast<uint32_t>(written);
}
