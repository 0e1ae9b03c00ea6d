#include "render/turn_record.h"

namespace {

constexpr char hex_digits[] = "0123456789abcdef";

void put_hex(FILE* file, const uint8_t* bytes, int count) {
    char text[2 * screen_cells];
    for (int i = 0; i < count; ++i) {
        text[2 * i] = hex_digits[bytes[i] >> 4];
        text[2 * i + 1] = hex_digits[bytes[i] & 0x0F];
    }
    std::fwrite(text, 1, static_cast<size_t>(2 * count), file);
}

// Nine significant digits give back the very float; JSON has no NaN or
// infinity, and the spectrum holds neither.
void put_bands(FILE* file, const char* name, const float* bands) {
    std::fprintf(file, ",\"%s\":[", name);
    for (int i = 0; i < turn_record_bands; ++i) {
        std::fprintf(file, i == 0 ? "%.9g" : ",%.9g", static_cast<double>(bands[i]));
    }
    std::fputc(']', file);
}

}  // namespace

void write_turn_json(FILE* file, const TurnRecord& r) {
    std::fprintf(
        file, "{\"turn\":%lld,\"clock_ms\":%u,\"position_ms\":%u,\"row\":%d,\"t\":%d,\"screen\":\"",
        static_cast<long long>(r.turn), r.clock_ms, r.position_ms, r.row, r.t);
    put_hex(file, r.screen.cells, screen_cells);
    std::fputs("\",\"glyphs\":[", file);
    for (int g = 0; g < r.glyph_count; ++g) {
        std::fprintf(file, g == 0 ? "[%d,\"" : ",[%d,\"", r.glyphs[g].code);
        put_hex(file, r.glyphs[g].rows, glyph_rows);
        std::fputs("\"]", file);
    }
    std::fputc(']', file);
    put_bands(file, "left", r.left);
    put_bands(file, "right", r.right);
    std::fputs("}\n", file);
}
