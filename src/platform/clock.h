// The platform's monotonic clocks. Only differences are used (the
// millisecond one modulo 2^32, read as signed), so the epoch does not
// matter. Every target links one implementation (platform/<target>/clock.cpp).
#pragma once

#include <cstdint>

// Milliseconds, wrapping at 2^32: the frame loop's wall clock.
uint32_t monotonic_ms();

// Microseconds: how far silent playback has come.
uint64_t monotonic_us();
