// Start-up on Windows: a standard handle that the caller left closed is
// never handed out again by CreateFileA (the port cannot become standard
// output, as a descriptor can on POSIX), and a console reader that goes
// away makes a print fail, not end the process. What remains is the
// console's buffering.
#include "platform/process.h"

#include <cstdio>

void prepare_process() {
    // Windows' C library has no line buffering (it buffers fully instead,
    // and refuses a zero size with it): unbuffered, each line reaches the
    // console, or a pipe, as it is printed.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
}
