#include "platform/clock.h"

#include <ctime>

namespace {

uint64_t clock_now_us() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

}  // namespace

uint32_t monotonic_ms() {
    return static_cast<uint32_t>(clock_now_us() / 1000u);
}

uint64_t monotonic_us() {
    return clock_now_us();
}
