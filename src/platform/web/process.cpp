// A page has no standard streams to guard and no signals.
#include "platform/process.h"

#include <cstdio>

void prepare_process() {
    // Each position line must appear as it is printed.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
}
