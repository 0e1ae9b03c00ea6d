#include "lcdemu/terminal.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace {

// Alternate screen on, cursor hidden, no wrap at the right edge.
constexpr char terminal_enter_sequence[] = "\x1b[?1049h\x1b[?25l\x1b[?7l\x1b[0m\x1b[2J";
// Colours reset, wrap back on, cursor shown, alternate screen off.
constexpr char terminal_leave_sequence[] = "\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l";

struct TerminalState {
    int fd;
    termios saved;
    volatile sig_atomic_t entered;
};
TerminalState terminal_state = {-1, {}, 0};

void terminal_write_all(int fd, const char* text, size_t length) {
    while (length > 0) {
        const ssize_t n = write(fd, text, length);
        if (n <= 0) return;  // a terminal that is gone cannot be restored
        text += n;
        length -= static_cast<size_t>(n);
    }
}

}  // namespace

bool terminal_enter(int fd) {
    if (!isatty(fd) || tcgetattr(fd, &terminal_state.saved) != 0) return false;
    termios raw = terminal_state.saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO);    // keys typed are not drawn over the display
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON);  // nor held for a line
    raw.c_cc[VMIN] = 0;                             // reads never wait
    raw.c_cc[VTIME] = 0;
    // ISIG stays on: Ctrl-C raises SIGINT, which lcdemu catches to leave.
    tcsetattr(fd, TCSAFLUSH, &raw);
    terminal_state.fd = fd;
    terminal_state.entered = 1;
    terminal_write_all(fd, terminal_enter_sequence, sizeof terminal_enter_sequence - 1);
    return true;
}

void terminal_leave() {
    if (!terminal_state.entered) return;
    terminal_state.entered = 0;
    terminal_write_all(terminal_state.fd, terminal_leave_sequence,
                       sizeof terminal_leave_sequence - 1);
    tcsetattr(terminal_state.fd, TCSAFLUSH, &terminal_state.saved);
}

bool terminal_size(int fd, int* columns, int* rows) {
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) return false;
    *columns = size.ws_col;
    *rows = size.ws_row;
    return true;
}
