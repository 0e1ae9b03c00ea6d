// The show's number rules, in one place for every scene: angles, sines and
// cosines are single precision; products and sums between them are formed
// in double precision; conversions to integers truncate toward zero.
#pragma once

#include <cmath>
#include <cstdint>

// The angle rounded to single precision, its sine taken and kept single.
inline float sin_single(double angle) {
    return std::sin(static_cast<float>(angle));
}
inline float cos_single(double angle) {
    return std::cos(static_cast<float>(angle));
}

// Truncation toward zero, as every float-to-integer conversion of the show.
inline int32_t truncate_to_int(double value) {
    return static_cast<int32_t>(value);
}
