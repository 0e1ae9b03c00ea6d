#include "wire_decoder.h"

#include <cstring>

#include "display/commands.h"

namespace {

constexpr int decoder_columns = 20;
constexpr int decoder_rows = 4;
constexpr uint8_t decoder_blank = ' ';

// What the decoder does with a command.
enum class Effect {
    none,  // a setting without a picture, or a query
    clear,
    home,
    position,
    glyph,
    wrap_on,
    wrap_off,
    scroll_on,
    scroll_off,
    underline_on,
    underline_off,
    block_on,
    block_off,
    backlight_on,
    backlight_off,
    brightness,
    gpo_on,
    gpo_off,
    query,
    not_followed,  // changes the picture in a way this decoder does not draw
};

struct DecoderCommand {
    uint8_t code;
    size_t arguments;  // as the module's manual gives them
    Effect effect;
    const char* name;
};

// The module's commands, from its manual.
// clang-format off
const DecoderCommand decoder_commands[] = {
    {cmd::wrap_on,                   0, Effect::wrap_on,       "auto line wrap on"},
    {cmd::wrap_off,                  0, Effect::wrap_off,      "auto line wrap off"},
    {cmd::autoscroll_on,             0, Effect::scroll_on,     "auto scroll on"},
    {cmd::autoscroll_off,            0, Effect::scroll_off,    "auto scroll off"},
    {cmd::cursor_to,                 2, Effect::position,      "set cursor position"},
    {cmd::cursor_home,               0, Effect::home,          "cursor home"},
    {cmd::underline_on,              0, Effect::underline_on,  "underline cursor on"},
    {cmd::underline_off,             0, Effect::underline_off, "underline cursor off"},
    {cmd::block_on,                  0, Effect::block_on,      "block cursor on"},
    {cmd::block_off,                 0, Effect::block_off,     "block cursor off"},
    {cmd::cursor_left,               0, Effect::not_followed,  "cursor left"},
    {cmd::cursor_right,              0, Effect::not_followed,  "cursor right"},
    {cmd::clear_screen,              0, Effect::clear,         "clear display"},
    {cmd::define_glyph,              9, Effect::glyph,         "define custom character"},
    {cmd::load_wide_vertical_bars,   0, Effect::not_followed,  "initialise wide vertical bars"},
    {cmd::load_narrow_vertical_bars, 0, Effect::not_followed,  "initialise narrow vertical bars"},
    {cmd::vertical_bar,              2, Effect::not_followed,  "draw vertical bar"},
    {cmd::load_horizontal_bars,      0, Effect::not_followed,  "initialise horizontal bars"},
    {cmd::horizontal_bar,            4, Effect::not_followed,  "draw horizontal bar"},
    {cmd::load_big_digits,           0, Effect::not_followed,  "initialise large digits"},
    {cmd::big_digit,                 2, Effect::not_followed,  "place large digit"},
    {cmd::set_contrast,              1, Effect::none,          "set contrast"},
    {cmd::save_contrast,             1, Effect::none,          "set and save contrast"},
    {cmd::backlight_on,              1, Effect::backlight_on,  "backlight on"},
    {cmd::backlight_off,             0, Effect::backlight_off, "backlight off"},
    {cmd::set_brightness,            1, Effect::brightness,    "set brightness"},
    {cmd::save_brightness,           1, Effect::brightness,    "set and save brightness"},
    {cmd::gpo_off,                   0, Effect::gpo_off,       "general purpose output off"},
    {cmd::gpo_on,                    0, Effect::gpo_on,        "general purpose output on"},
    {cmd::read_module_type,          0, Effect::query,         "read module type"},
    {cmd::read_firmware_version,     0, Effect::query,         "read version number"},
    {cmd::read_serial_number,        0, Effect::query,         "read serial number"},
    {cmd::set_serial_number,         2, Effect::none,          "set serial number"},
    {cmd::set_bus_address,           1, Effect::none,          "set I2C address"},
    {cmd::set_baud_rate,             1, Effect::none,          "set RS-232 speed"},
    {cmd::flow_control_on,           2, Effect::none,          "flow control on"},
    {cmd::flow_control_off,          0, Effect::none,          "flow control off"},
    {cmd::set_startup_screen,       80, Effect::none,          "change the startup screen"},
    {cmd::set_remember,              1, Effect::none,          "set remember"},
    {cmd::load_glyph_bank,           1, Effect::not_followed,  "load custom characters"},
    {cmd::save_glyph_to_bank,       10, Effect::none,          "save custom characters"},
    {cmd::save_startup_glyph,        9, Effect::none,          "save startup screen character"},
    {cmd::key_transmit_on,           0, Effect::none,          "auto transmit key presses on"},
    {cmd::key_transmit_off,          0, Effect::none,          "auto transmit key presses off"},
    {cmd::keypad_poll,               0, Effect::query,         "poll key press"},
    {cmd::keypad_clear,              0, Effect::none,          "clear key buffer"},
    {cmd::keypad_debounce,           1, Effect::none,          "set debounce time"},
    {cmd::keypad_repeat_on,          1, Effect::none,          "auto repeat mode on"},
    {cmd::keypad_repeat_off,         0, Effect::none,          "auto repeat mode off"},
};
// clang-format on

const DecoderCommand* decoder_command(uint8_t code) {
    for (const DecoderCommand& c : decoder_commands)
        if (c.code == code) return &c;
    return nullptr;
}

void decoder_clear(DecodedDisplay* d) {
    std::memset(d->cells, decoder_blank, sizeof d->cells);
    d->row = 0;
    d->column = 0;
}

// Text goes where the cursor is. Past the end of a row it goes on in the row
// below with wrap on; with wrap off in the controller's display memory,
// whose rows run 1, 3, 2, 4. Past the end of row 4 (the last either way) the
// screen scrolls up with scroll on, else the text starts again top left.
void decoder_text(DecodedDisplay* d, uint8_t code) {
    if (d->column == decoder_columns) {
        static const int below[decoder_rows] = {1, 2, 3, -1};
        static const int in_memory[decoder_rows] = {2, 3, 1, -1};
        const int next = d->wrap ? below[d->row] : in_memory[d->row];
        d->column = 0;
        if (next >= 0) {
            d->row = next;
        } else if (d->scroll) {
            std::memmove(d->cells, d->cells + decoder_columns,
                         decoder_columns * (decoder_rows - 1));
            std::memset(d->cells + decoder_columns * (decoder_rows - 1), decoder_blank,
                        decoder_columns);
        } else {
            d->row = 0;
        }
    }
    d->cells[d->row * decoder_columns + d->column] = code;
    ++d->column;
}

void decoder_run(DecodedDisplay* d, const DecoderCommand& c) {
    const std::vector<uint8_t>& a = d->arguments;
    switch (c.effect) {
        case Effect::none:
            break;
        case Effect::clear:
            decoder_clear(d);
            break;
        case Effect::home:
            d->row = 0;
            d->column = 0;
            break;
        case Effect::position:
            if (a[0] < 1 || a[0] > decoder_columns || a[1] < 1 || a[1] > decoder_rows) {
                d->unfollowed.push_back("set cursor position outside the screen");
                break;
            }
            d->column = a[0] - 1;
            d->row = a[1] - 1;
            break;
        case Effect::glyph:
            if (a[0] > 7) {
                d->unfollowed.push_back("define custom character above 7");
                break;
            }
            for (int r = 0; r < 8; ++r) d->glyphs[a[0]][r] = a[1 + r] & 0x1F;
            break;
        case Effect::wrap_on:
            d->wrap = true;
            break;
        case Effect::wrap_off:
            d->wrap = false;
            break;
        case Effect::scroll_on:
            d->scroll = true;
            break;
        case Effect::scroll_off:
            d->scroll = false;
            break;
        case Effect::underline_on:
            d->underline = true;
            break;
        case Effect::underline_off:
            d->underline = false;
            break;
        case Effect::block_on:
            d->block = true;
            break;
        case Effect::block_off:
            d->block = false;
            break;
        case Effect::backlight_on:
            d->backlight = true;
            break;
        case Effect::backlight_off:
            d->backlight = false;
            break;
        case Effect::brightness:
            d->brightness = a[0];
            break;
        case Effect::gpo_on:
            d->gpo = true;
            break;
        case Effect::gpo_off:
            d->gpo = false;
            break;
        case Effect::query:
            ++d->replies_asked;
            break;
        case Effect::not_followed:
            d->unfollowed.push_back(c.name);
            break;
    }
}

}  // namespace

void decoder_init(DecodedDisplay* d) {
    decoder_clear(d);
    std::memset(d->glyphs, 0, sizeof d->glyphs);
    d->wrap = false;
    d->scroll = false;
    d->underline = false;
    d->block = false;
    d->backlight = true;
    d->brightness = 255;
    d->gpo = false;
    d->unknown = 0;
    d->unfollowed.clear();
    d->replies_asked = 0;
    d->after_prefix = false;
    d->command = -1;
    d->arguments.clear();
    d->arguments_needed = 0;
}

void decoder_feed(DecodedDisplay* d, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (d->command >= 0) {
            d->arguments.push_back(b);
            if (d->arguments.size() < d->arguments_needed) continue;
            const DecoderCommand* c = decoder_command(static_cast<uint8_t>(d->command));
            d->command = -1;
            decoder_run(d, *c);
        } else if (d->after_prefix) {
            d->after_prefix = false;
            const DecoderCommand* c = decoder_command(b);
            if (c == nullptr) {
                ++d->unknown;
                continue;
            }
            d->arguments.clear();
            d->arguments_needed = c->arguments;
            if (c->arguments == 0) {
                decoder_run(d, *c);
            } else {
                d->command = b;
            }
        } else if (b == cmd::prefix) {
            d->after_prefix = true;
        } else if (b == cmd::form_feed) {
            decoder_clear(d);  // the module takes it for a clear
        } else {
            if (b > 7 && b < ' ') d->unfollowed.push_back("a control code as text");
            decoder_text(d, b);
        }
    }
}

std::string decoded_picture(const uint8_t cells[80]) {
    std::string picture;
    for (int r = 0; r < decoder_rows; ++r) {
        for (int c = 0; c < decoder_columns; ++c) {
            const uint8_t code = cells[r * decoder_columns + c];
            if (code < 8) {
                picture += static_cast<char>('0' + code);
            } else if (code == 0xFF) {
                picture += '#';
            } else {
                picture += code >= ' ' && code <= '~' ? static_cast<char>(code) : '?';
            }
        }
        picture += '\n';
    }
    return picture;
}
