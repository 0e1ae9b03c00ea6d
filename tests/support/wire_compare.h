// Byte-stream comparison for tests: on a mismatch, names the first
// differing byte and the command it falls in.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/capture_sink.h"

// What the byte at `offset` of a show stream is: "frame row 2, column 5",
// "define glyph 3, row 7", "start-up string byte 4", ...
std::string describe_wire_offset(const Bytes& stream, size_t offset);

::testing::AssertionResult wire_equal(const Bytes& actual, const Bytes& expected);

// A frame packet for the given 80 cells.
Bytes frame_packet(const uint8_t cells[80]);
