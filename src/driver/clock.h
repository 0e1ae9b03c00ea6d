// The show's millisecond wall clock. Only differences are used, taken
// modulo 2^32 as signed values, so the epoch does not matter.
#pragma once

#include <cstdint>

using ClockSource = uint32_t (*)();

// Milliseconds of a monotonic clock, wrapping at 2^32.
uint32_t monotonic_ms();
