// Start-up hygiene on Linux: the standard streams and SIGPIPE.
#include "platform/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {

// A standard stream that whoever started us left closed would be the next
// descriptor open() hands out: the port would become standard output and
// the position lines would go to the display. Each closed one is pointed
// at /dev/null before anything else is opened.
void keep_standard_streams_open() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

}  // namespace

void prepare_process() {
    keep_standard_streams_open();
    // A console reader that goes away must not end the show: the position
    // lines are for watching, and a failed print is ignored like any other.
    std::signal(SIGPIPE, SIG_IGN);
    // Each position line must appear as it is printed, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
}
