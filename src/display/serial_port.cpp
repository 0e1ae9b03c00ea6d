#include "display/serial_port.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

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
    line.c_cflag = (line.c_cflag & ~CSIZE) | CS8;  // 8 data bits
    line.c_iflag |= IXON;                          // stop sending when the display sends XOFF
    line.c_iflag |= IXOFF;  // send XOFF/XON as our input buffer fills and drains
    tcsetattr(fd, TCSANOW, &line);
}

uint32_t serial_sink_write(void* context, const uint8_t* bytes, uint32_t count) {
    int fd = *static_cast<int*>(context);
    ssize_t written = write(fd, bytes, count);
    // Synchronous, as the show expects: the write is done when the bytes have
    // left the port, so a frame's glyphs never overtake it.
    tcdrain(fd);
    return written < 0 ? 0 : static_cast<uint32_t>(written);
}
