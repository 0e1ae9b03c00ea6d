#include "support/wire_compare.h"

#include <cstdio>

#include "display/commands.h"
#include "display/display_link.h"

std::string describe_wire_offset(const Bytes& stream, size_t offset) {
    // Walk the stream command by command; plain bytes after a cursor command
    // are cells of that row.
    size_t at = 0;
    int row = -1;
    int column = 0;
    char text[96];
    while (at < stream.size()) {
        if (stream[at] == cmd::prefix && at + 1 < stream.size()) {
            const uint8_t command = stream[at + 1];
            size_t length = 2;
            if (command == cmd::cursor_to) length = cursor_to_bytes;
            if (command == cmd::define_glyph) length = define_glyph_bytes;
            if (command == cmd::set_contrast || command == cmd::set_brightness ||
                command == cmd::keypad_debounce || command == cmd::keypad_repeat_on)
                length = 3;
            if (offset < at + length) {
                if (command == cmd::define_glyph && offset >= at + 3 && at + 2 < stream.size()) {
                    std::snprintf(text, sizeof text, "define glyph %d, row %zu", stream[at + 2],
                                  offset - at - 3);
                } else {
                    std::snprintf(text, sizeof text, "command FE %02X, byte %zu", command,
                                  offset - at);
                }
                return text;
            }
            if (command == cmd::cursor_to && at + 3 < stream.size()) {
                row = stream[at + 3] - 1;
                column = stream[at + 2] - 1;
            }
            at += length;
            continue;
        }
        if (at == offset) {
            std::snprintf(text, sizeof text, "cell row %d, column %d", row, column);
            return text;
        }
        ++column;
        ++at;
    }
    return "past the end";
}

::testing::AssertionResult wire_equal(const Bytes& actual, const Bytes& expected) {
    const size_t common = actual.size() < expected.size() ? actual.size() : expected.size();
    for (size_t i = 0; i < common; ++i) {
        if (actual[i] != expected[i]) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "first difference at byte %zu (%s): got %02X, want %02X", i,
                          describe_wire_offset(expected, i).c_str(), actual[i], expected[i]);
            return ::testing::AssertionFailure() << text;
        }
    }
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << "lengths differ: got " << actual.size() << " bytes, want " << expected.size()
               << " (equal up to there)";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult uploaded_glyph_set(const CaptureSink& capture,
                                              const uint8_t rows[8][8]) {
    if (capture.writes.size() != glyph_count)
        return ::testing::AssertionFailure()
               << capture.writes.size() << " writes, want one per glyph";
    for (int g = 0; g < glyph_count; ++g) {
        Bytes want = {0xFE, 0x4E, static_cast<uint8_t>(g)};
        want.insert(want.end(), rows[g], rows[g] + glyph_rows);
        ::testing::AssertionResult same = wire_equal(capture.writes[g], want);
        if (!same) return same << " in the write of glyph " << g;
    }
    return ::testing::AssertionSuccess();
}

Bytes frame_packet(const uint8_t cells[80]) {
    Bytes packet;
    for (int row = 0; row < screen_rows; ++row) {
        packet.insert(packet.end(),
                      {cmd::prefix, cmd::cursor_to, 1, static_cast<uint8_t>(row + 1)});
        packet.insert(packet.end(), cells + row * screen_columns,
                      cells + (row + 1) * screen_columns);
    }
    return packet;
}
