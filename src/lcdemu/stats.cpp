#include "lcdemu/stats.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "display_model/char_rom.h"

namespace {

// Glyph cells in the screen text, by glyph number.
// clang-format off
constexpr const char* stats_glyph_marks[glyph_count] = {
    "\u24EA",  // circled digit 0
    "\u2460",  // circled digit 1
    "\u2461",
    "\u2462",
    "\u2463",
    "\u2464",
    "\u2465",
    "\u2466",  // circled digit 7
};
// clang-format on

// JSON string contents: quotes and backslashes escaped (rows hold no
// other control characters).
void stats_put_string(FILE* out, const char* text) {
    std::fputc('"', out);
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '"' || *c == '\\') std::fputc('\\', out);
        std::fputc(*c, out);
    }
    std::fputc('"', out);
}

}  // namespace

void stats_screen_text(const LcdModel& model, char rows[screen_rows][stats_row_bytes]) {
    for (int row = 0; row < screen_rows; ++row) {
        char* out = rows[row];
        for (int column = 0; column < screen_columns; ++column) {
            const uint8_t code = model.cells[cell_index(row, column)];
            const int glyph = lcd_cell_glyph(code);
            const char* text = " ";
            char single[2] = {0, 0};
            if (glyph >= 0) {
                text = stats_glyph_marks[glyph];
            } else if (code == char_rom_right_arrow_code) {
                text = "\u2192";
            } else if (code == char_rom_left_arrow_code) {
                text = "\u2190";
            } else if (code == char_rom_block_code) {
                text = "\u2588";
            } else if (code >= char_rom_first_code && code <= char_rom_last_code) {
                single[0] = static_cast<char>(code);
                text = single;
            }
            const size_t length = std::strlen(text);
            std::memcpy(out, text, length);
            out += length;
        }
        *out = '\0';
    }
}

bool stats_write(const char* path, const LcdModel& model, const EmuTally& tally, char* error,
                 size_t error_size) {
    FILE* out = std::fopen(path, "w");
    if (out == nullptr) {
        std::snprintf(error, error_size, "cannot write %s: %s", path, std::strerror(errno));
        return false;
    }
    const LcdCounters& c = model.counters;
    std::fprintf(out, "{\n");
    std::fprintf(out, "  \"bytes_received\": %" PRIu64 ",\n", c.bytes);
    std::fprintf(out, "  \"characters\": %" PRIu64 ",\n", c.characters);
    std::fprintf(out, "  \"commands\": {");
    bool first = true;
    for (int code = 0; code < 256; ++code) {
        if (c.commands[code] == 0) continue;
        std::fprintf(out, "%s\"%s\": %" PRIu64, first ? "" : ", ",
                     lcd_command_name(static_cast<uint8_t>(code)), c.commands[code]);
        first = false;
    }
    std::fprintf(out, "},\n");
    std::fprintf(out, "  \"form_feeds\": %" PRIu64 ",\n", c.form_feeds);
    std::fprintf(out, "  \"unknown_bytes\": %" PRIu64 ",\n", c.unknown_bytes);
    std::fprintf(out, "  \"commands_dropped\": %" PRIu64 ",\n", c.commands_dropped);
    std::fprintf(out, "  \"frames_completed\": %" PRIu64 ",\n", c.frames_completed);
    std::fprintf(out, "  \"glyph_definitions\": %" PRIu64 ",\n", c.glyph_definitions);
    std::fprintf(out, "  \"xoffs_sent\": %" PRIu64 ",\n", tally.stops_sent);
    std::fprintf(out, "  \"xons_sent\": %" PRIu64 ",\n", tally.starts_sent);
    std::fprintf(out, "  \"replies_sent\": %" PRIu64 ",\n", tally.replies_sent);
    std::fprintf(out, "  \"queue_peak_bytes\": %d,\n", tally.queue_peak_bytes);
    std::fprintf(out, "  \"baud\": %u,\n", tally.baud);
    std::fprintf(out, "  \"clients\": %d,\n", tally.clients);
    std::fprintf(out, "  \"elapsed_ms\": %" PRId64 ",\n", tally.elapsed_ms);
    if (tally.child_exit >= 0) std::fprintf(out, "  \"child_exit\": %d,\n", tally.child_exit);
    std::fprintf(out, "  \"backlight\": %s,\n", model.backlight ? "true" : "false");
    std::fprintf(out, "  \"brightness\": %d,\n", model.brightness);
    std::fprintf(out, "  \"contrast\": %d,\n", model.contrast);
    std::fprintf(out, "  \"gpo\": %d,\n", model.gpo);
    char rows[screen_rows][stats_row_bytes];
    stats_screen_text(model, rows);
    std::fprintf(out, "  \"screen\": [");
    for (int row = 0; row < screen_rows; ++row) {
        std::fprintf(out, "%s", row == 0 ? "" : ", ");
        stats_put_string(out, rows[row]);
    }
    std::fprintf(out, "]\n}\n");
    const bool ok = std::ferror(out) == 0;
    if (std::fclose(out) != 0 || !ok) {
        std::snprintf(error, error_size, "cannot write %s: %s", path, std::strerror(errno));
        return false;
    }
    return true;
}
