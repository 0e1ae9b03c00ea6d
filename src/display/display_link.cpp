#include "display/display_link.h"

#include <cstring>

namespace {

uint32_t discard_write(void*, const uint8_t*, uint32_t) {
    return 0;
}

uint32_t port_write(void* context, const uint8_t* bytes, uint32_t count) {
    return serial_write(*static_cast<const SerialHandle*>(context), bytes, count);
}

// The display's start-up commands, sent as one write.
constexpr uint8_t startup_string[] = {
    cmd::prefix, cmd::clear_screen,           //
    cmd::prefix, cmd::cursor_home,            //
    cmd::prefix, cmd::wrap_off,               //
    cmd::prefix, cmd::set_contrast,     120,  //
    cmd::prefix, cmd::set_brightness,   255,  //
    cmd::prefix, cmd::keypad_debounce,  8,    //
    cmd::prefix, cmd::keypad_repeat_on, 1,    //
    cmd::prefix, cmd::key_transmit_off,       //
};
static_assert(sizeof startup_string == startup_string_bytes);

constexpr uint8_t clear_command[] = {cmd::prefix, cmd::clear_screen};

void link_write(const uint8_t* bytes, uint32_t count) {
    // The result is recorded and otherwise ignored: a failing port does not
    // stop the show.
    display_link.bytes_written = display_link.sink_write(display_link.sink_context, bytes, count);
}

}  // namespace

DisplayLink display_link = {serial_no_handle, discard_write, nullptr, 0};

bool open_display_link(const char* device_name) {
    if (!serial_open(device_name, &display_link.port)) return false;
    attach_display_sink(port_write, &display_link.port);
    return true;
}

void attach_display_sink(SinkWrite write, void* context) {
    display_link.sink_write = write;
    display_link.sink_context = context;
}

void init_display() {
    if (display_link.sink_write == port_write) serial_configure(display_link.port);
    link_write(startup_string, sizeof startup_string);
    serial_pause_ms(startup_pause_ms);
    link_write(clear_command, sizeof clear_command);
}

void define_glyph(int code, const uint8_t rows[glyph_rows]) {
    uint8_t packet[define_glyph_bytes] = {cmd::prefix, cmd::define_glyph,
                                          static_cast<uint8_t>(code)};
    std::memcpy(packet + 3, rows, glyph_rows);
    link_write(packet, sizeof packet);
}

void upload_glyph_set(const GlyphSet& set) {
    for (int code = 0; code < glyph_count; ++code) define_glyph(code, set.glyphs[code]);
}

void send_frame(const Screen& screen) {
    uint8_t packet[frame_bytes];
    for (int row = 0; row < screen_rows; ++row) {
        uint8_t* block = packet + row * frame_row_bytes;
        block[0] = cmd::prefix;
        block[1] = cmd::cursor_to;
        block[2] = 1;
        block[3] = static_cast<uint8_t>(row + 1);
        std::memcpy(block + cursor_to_bytes, screen.cells + cell_index(row, 0), screen_columns);
    }
    link_write(packet, sizeof packet);
}
