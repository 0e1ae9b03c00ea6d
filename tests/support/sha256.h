// SHA-256 of a byte string, as lowercase hex: the digest that sha256sum
// prints, so that a golden value in a test can be checked by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string sha256_hex(const uint8_t* bytes, size_t count);
