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

// The capture holds exactly the upload of a glyph set: eight writes of
// FE 4E g and the eight rows of glyph g, g = 0 to 7.
::testing::AssertionResult uploaded_glyph_set(const CaptureSink& capture, const uint8_t rows[8][8]);

// A frame packet for the given 80 cells.
Bytes frame_packet(const uint8_t cells[80]);
