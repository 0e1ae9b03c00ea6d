// The show's own pseudo-random generator, the same on every platform: an
// additive lagged-Fibonacci generator (x[n] = x[n-31] + x[n-3] mod 2^32,
// each value x[n] >> 1) started from seed 1, which is the sequence a C
// library of the GNU kind gives rand() when nobody seeds it. The show takes
// each value's low 15 bits, so that the same bytes go on the wire whichever
// C library a target has.
#pragma once

#include <cstdint>

inline constexpr int32_t show_rand_max = 0x7FFF;

// The next value, 0 to show_rand_max.
int32_t show_rand();

// Starts the sequence again from its first value, as a new process has it.
void show_rand_restart();
