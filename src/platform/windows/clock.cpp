// The clocks on Windows: the multimedia timer the show reads for its frame
// loop, and the performance counter for silent playback.
#include "platform/clock.h"

#include <windows.h>
// windows.h first: mmsystem.h needs its types.
#include <mmsystem.h>

namespace {

constexpr uint64_t clock_us_per_s = 1000000;

}  // namespace

uint32_t monotonic_ms() {
    // Milliseconds since the system started, wrapping after 49.7 days: the
    // loop takes differences modulo 2^32. The timer's resolution is left as
    // the system has it.
    return timeGetTime();
}

uint64_t monotonic_us() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
    const uint64_t per_s = static_cast<uint64_t>(frequency.QuadPart);
    // Whole seconds and the rest apart, so that ticks * 10^6 cannot overflow.
    return ticks / per_s * clock_us_per_s + ticks % per_s * clock_us_per_s / per_s;
}
