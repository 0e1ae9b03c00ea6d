#include "render/turn_record.h"

#include <cstdarg>

namespace {

constexpr char hex_digits[] = "0123456789abcdef";

// Appends to a line being built; a line that would not fit is cut at the
// buffer's end (the size is chosen so that none is).
struct TurnLine {
    char* out;
    size_t size;
    size_t length;
};

__attribute__((format(printf, 2, 3))) void put_text(TurnLine& line, const char* format, ...) {
    if (line.length >= line.size) return;
    va_list arguments;
    va_start(arguments, format);
    const int wrote =
        std::vsnprintf(line.out + line.length, line.size - line.length, format, arguments);
    va_end(arguments);
    if (wrote > 0) line.length += static_cast<size_t>(wrote);
    if (line.length > line.size - 1) line.length = line.size - 1;
}

void put_hex(TurnLine& line, const uint8_t* bytes, int count) {
    for (int i = 0; i < count && line.length + 2 < line.size; ++i) {
        line.out[line.length++] = hex_digits[bytes[i] >> 4];
        line.out[line.length++] = hex_digits[bytes[i] & 0x0F];
    }
    line.out[line.length] = '\0';
}

// Nine significant digits give back the very float; JSON has no NaN or
// infinity, and the spectrum holds neither.
void put_bands(TurnLine& line, const char* name, const float* bands) {
    put_text(line, ",\"%s\":[", name);
    for (int i = 0; i < turn_record_bands; ++i)
        put_text(line, i == 0 ? "%.9g" : ",%.9g", static_cast<double>(bands[i]));
    put_text(line, "]");
}

}  // namespace

size_t format_turn_json(const TurnRecord& r, char* out, size_t size) {
    if (size == 0) return 0;
    TurnLine line{out, size, 0};
    out[0] = '\0';
    put_text(line,
             "{\"turn\":%lld,\"clock_ms\":%u,\"position_ms\":%u,\"row\":%d,\"t\":%d,\"screen\":\"",
             static_cast<long long>(r.turn), r.clock_ms, r.position_ms, r.row, r.t);
    put_hex(line, r.screen.cells, screen_cells);
    put_text(line, "\",\"glyphs\":[");
    for (int g = 0; g < r.glyph_count; ++g) {
        put_text(line, g == 0 ? "[%d,\"" : ",[%d,\"", r.glyphs[g].code);
        put_hex(line, r.glyphs[g].rows, glyph_rows);
        put_text(line, "\"]");
    }
    put_text(line, "]");
    put_bands(line, "left", r.left);
    put_bands(line, "right", r.right);
    put_text(line, "}\n");
    return line.length;
}

void write_turn_json(FILE* file, const TurnRecord& r) {
    char text[turn_json_max_bytes];
    std::fwrite(text, 1, format_turn_json(r, text, sizeof text), file);
}
