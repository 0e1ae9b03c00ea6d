#include "lcdemu/frame_log.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>

namespace {

constexpr int frame_log_line_bytes = 512;
constexpr const char* frame_log_end_names[] = {"cell", "idle", "exit"};

void frame_log_view(const LcdModel& model, FrameView* view) {
    std::memset(view, 0, sizeof *view);
    std::memcpy(view->cells, model.cells, sizeof view->cells);
    for (int g = 0; g < glyph_count; ++g)
        for (int r = 0; r < glyph_rows; ++r)
            view->glyphs[g][r] = static_cast<uint8_t>(model.glyphs[g][r] & glyph_row_mask);
    view->backlight = model.backlight;
    view->brightness = model.brightness;
}

int frame_log_hex(char* out, const uint8_t* bytes, int count) {
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < count; ++i) {
        out[2 * i] = digits[bytes[i] >> 4];
        out[2 * i + 1] = digits[bytes[i] & 0x0F];
    }
    return 2 * count;
}

}  // namespace

bool frame_log_open(EmuFrameLog* log, const char* path, const LcdModel& model, char* error,
                    size_t error_size) {
    std::memset(log, 0, sizeof *log);
    frame_log_view(model, &log->shown);
    log->file = std::fopen(path, "w");
    if (log->file == nullptr) {
        std::snprintf(error, error_size, "cannot write %s: %s", path, std::strerror(errno));
        return false;
    }
    return true;
}

bool frame_log_unshown(EmuFrameLog* log, const LcdModel& model) {
    if (!log->fed) return false;
    FrameView now;
    frame_log_view(model, &now);
    log->fed = std::memcmp(&now, &log->shown, sizeof now) != 0;
    return log->fed;
}

void frame_log_write(EmuFrameLog* log, const LcdModel& model, double ms, int queue_bytes,
                     FrameEnd end) {
    frame_log_view(model, &log->shown);
    log->fed = false;
    ++log->frames;
    if (log->file == nullptr) return;
    // One line built whole and written at once, so that a reader watching
    // the file never sees half of one.
    char line[frame_log_line_bytes];
    int at = std::snprintf(line, sizeof line,
                           "{\"frame\":%" PRIu64 ",\"ms\":%.3f,\"bytes\":%" PRIu64
                           ",\"queue\":%d,\"screen\":\"",
                           log->frames, ms, model.counters.bytes, queue_bytes);
    at += frame_log_hex(line + at, log->shown.cells, screen_cells);
    at += std::snprintf(line + at, sizeof line - static_cast<size_t>(at), "\",\"glyphs\":\"");
    at += frame_log_hex(line + at, &log->shown.glyphs[0][0], glyph_count * glyph_rows);
    std::snprintf(line + at, sizeof line - static_cast<size_t>(at),
                  "\",\"backlight\":%s,\"brightness\":%d,\"end\":\"%s\"}\n",
                  log->shown.backlight ? "true" : "false", log->shown.brightness,
                  frame_log_end_names[static_cast<int>(end)]);
    std::fputs(line, log->file);
    std::fflush(log->file);
}

void frame_log_close(EmuFrameLog* log) {
    if (log->file != nullptr) std::fclose(log->file);
    log->file = nullptr;
}
