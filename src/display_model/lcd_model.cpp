#include "display_model/lcd_model.h"

#include <cstring>

#include "display/commands.h"
#include "display_model/char_rom.h"

namespace {

struct LcdCommand {
    uint8_t code;
    int arguments;
    const char* name;
};

// Every command the model knows, with the argument bytes that follow it.
// clang-format off
constexpr LcdCommand lcd_commands[] = {
    {cmd::clear_screen,              0, "clear_screen"},
    {cmd::cursor_home,               0, "cursor_home"},
    {cmd::cursor_to,                 2, "cursor_to"},
    {cmd::cursor_left,               0, "cursor_left"},
    {cmd::cursor_right,              0, "cursor_right"},
    {cmd::underline_on,              0, "underline_on"},
    {cmd::underline_off,             0, "underline_off"},
    {cmd::block_on,                  0, "block_on"},
    {cmd::block_off,                 0, "block_off"},
    {cmd::wrap_on,                   0, "wrap_on"},
    {cmd::wrap_off,                  0, "wrap_off"},
    {cmd::autoscroll_on,             0, "autoscroll_on"},
    {cmd::autoscroll_off,            0, "autoscroll_off"},
    {cmd::define_glyph,              1 + glyph_rows, "define_glyph"},
    {cmd::backlight_on,              1, "backlight_on"},
    {cmd::backlight_off,             0, "backlight_off"},
    {cmd::set_brightness,            1, "set_brightness"},
    {cmd::save_brightness,           1, "save_brightness"},
    {cmd::set_contrast,              1, "set_contrast"},
    {cmd::save_contrast,             1, "save_contrast"},
    {cmd::gpo_on,                    0, "gpo_on"},
    {cmd::gpo_off,                   0, "gpo_off"},
    {cmd::key_transmit_on,           0, "key_transmit_on"},
    {cmd::key_transmit_off,          0, "key_transmit_off"},
    {cmd::keypad_debounce,           1, "keypad_debounce"},
    {cmd::keypad_repeat_on,          1, "keypad_repeat_on"},
    {cmd::keypad_repeat_off,         0, "keypad_repeat_off"},
    {cmd::keypad_poll,               0, "keypad_poll"},
    {cmd::keypad_clear,              0, "keypad_clear"},
    {cmd::load_horizontal_bars,      0, "load_horizontal_bars"},
    {cmd::load_narrow_vertical_bars, 0, "load_narrow_vertical_bars"},
    {cmd::load_wide_vertical_bars,   0, "load_wide_vertical_bars"},
    {cmd::load_big_digits,           0, "load_big_digits"},
    {cmd::horizontal_bar,            4, "horizontal_bar"},
    {cmd::vertical_bar,              2, "vertical_bar"},
    {cmd::big_digit,                 2, "big_digit"},
    {cmd::set_baud_rate,             1, "set_baud_rate"},
    {cmd::flow_control_on,           2, "flow_control_on"},
    {cmd::flow_control_off,          0, "flow_control_off"},
    {cmd::set_startup_screen,        screen_cells, "set_startup_screen"},
    {cmd::set_remember,              1, "set_remember"},
    {cmd::load_glyph_bank,           1, "load_glyph_bank"},
    {cmd::save_glyph_to_bank,        2 + glyph_rows, "save_glyph_to_bank"},
    {cmd::save_startup_glyph,        1 + glyph_rows, "save_startup_glyph"},
    {cmd::set_serial_number,         2, "set_serial_number"},
    {cmd::set_bus_address,           1, "set_bus_address"},
    {cmd::read_module_type,          0, "read_module_type"},
    {cmd::read_firmware_version,     0, "read_firmware_version"},
    {cmd::read_serial_number,        0, "read_serial_number"},
};
// clang-format on
constexpr int lcd_command_rows = sizeof lcd_commands / sizeof lcd_commands[0];
static_assert(lcd_command_rows == 49, "one row per command");

constexpr uint8_t lcd_power_on_brightness = 255;
constexpr uint8_t lcd_power_on_contrast = 128;

// The row that text goes on in past the end of row r, -1 past the last: with
// wrap on the row below; with it off the next row of the controller's
// display memory, where row 1 is followed by row 3, then 2, then 4.
constexpr int lcd_next_row_wrapped[screen_rows] = {1, 2, 3, -1};
constexpr int lcd_next_row_in_memory[screen_rows] = {2, 3, 1, -1};

// Argument count by command byte, -1 for bytes that name no command.
struct LcdCommandIndex {
    int8_t arguments[256];
    int8_t row[256];
};

constexpr LcdCommandIndex lcd_command_index_build() {
    LcdCommandIndex index{};
    for (int code = 0; code < 256; ++code) {
        index.arguments[code] = -1;
        index.row[code] = -1;
    }
    for (int row = 0; row < lcd_command_rows; ++row) {
        index.arguments[lcd_commands[row].code] = static_cast<int8_t>(lcd_commands[row].arguments);
        index.row[lcd_commands[row].code] = static_cast<int8_t>(row);
    }
    return index;
}
constexpr LcdCommandIndex lcd_command_index = lcd_command_index_build();

void lcd_reply(LcdModel* m, uint8_t byte);
void lcd_write_character(LcdModel* m, uint8_t code);
void lcd_execute(LcdModel* m);

int lcd_clamp(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

void lcd_clear(LcdModel* m) {
    std::memset(m->cells, blank_code, sizeof m->cells);
    m->cursor_row = 0;
    m->cursor_column = 0;
}

void lcd_power_on(LcdModel* m) {
    lcd_clear(m);
    std::memset(m->glyphs, 0, sizeof m->glyphs);
    m->wrap = false;
    m->autoscroll = false;
    m->underline_cursor = false;
    m->block_cursor = false;
    m->backlight = true;
    m->backlight_minutes = 0;
    m->brightness = lcd_power_on_brightness;
    m->contrast = lcd_power_on_contrast;
    m->gpo = 0;
    m->key_transmit = true;
    m->keypad_debounce = 0;
    m->keypad_repeat = 0;
    m->bar_style = LcdBarStyle::none;
    m->after_prefix = false;
    m->command = 0;
    m->arguments_needed = 0;
    m->arguments_have = 0;
    m->reply_count = 0;
}

}  // namespace

void lcd_model_init(LcdModel* model) {
    std::memset(model, 0, sizeof *model);
    lcd_power_on(model);
}

void lcd_model_reset(LcdModel* model) {
    lcd_power_on(model);
}

void lcd_model_feed(LcdModel* m, const uint8_t* bytes, size_t count) {
    m->counters.bytes += count;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        if (m->command != 0) {
            m->arguments[m->arguments_have++] = byte;
            if (m->arguments_have == m->arguments_needed) lcd_execute(m);
        } else if (m->after_prefix) {
            m->after_prefix = false;
            const int needed = lcd_command_index.arguments[byte];
            if (needed < 0) {
                ++m->counters.unknown_bytes;  // skipped; what follows is text again
                continue;
            }
            m->command = byte;
            m->arguments_needed = needed;
            m->arguments_have = 0;
            if (needed == 0) lcd_execute(m);
        } else if (byte == cmd::prefix) {
            m->after_prefix = true;
        } else if (byte == cmd::form_feed) {
            ++m->counters.form_feeds;
            lcd_clear(m);
        } else {
            lcd_write_character(m, byte);
        }
    }
}

bool lcd_model_end_input(LcdModel* model) {
    if (model->command == 0 && !model->after_prefix) return false;
    model->after_prefix = false;
    model->command = 0;
    model->arguments_have = 0;
    ++model->counters.commands_dropped;
    return true;
}

int lcd_model_take_replies(LcdModel* model, uint8_t* out, int capacity) {
    const int n = model->reply_count < capacity ? model->reply_count : capacity;
    std::memcpy(out, model->replies, static_cast<size_t>(n));
    std::memmove(model->replies, model->replies + n, static_cast<size_t>(model->reply_count - n));
    model->reply_count -= n;
    return n;
}

int lcd_command_arguments(uint8_t command) {
    return lcd_command_index.arguments[command];
}

const char* lcd_command_name(uint8_t command) {
    const int row = lcd_command_index.row[command];
    return row < 0 ? nullptr : lcd_commands[row].name;
}

int lcd_cell_glyph(uint8_t code) {
    if (code < char_rom_first_code) return code % glyph_count;
    return -1;
}

const uint8_t* lcd_cell_rows(const LcdModel& model, uint8_t code) {
    const int glyph = lcd_cell_glyph(code);
    return glyph >= 0 ? model.glyphs[glyph] : char_rom_rows(code);
}

namespace {

void lcd_reply(LcdModel* m, uint8_t byte) {
    if (m->reply_count == lcd_reply_capacity_bytes) {
        ++m->counters.replies_dropped;
        return;
    }
    m->replies[m->reply_count++] = byte;
}

void lcd_scroll_up(LcdModel* m) {
    std::memmove(m->cells, m->cells + screen_columns, screen_cells - screen_columns);
    std::memset(m->cells + screen_cells - screen_columns, blank_code, screen_columns);
}

// The cursor may rest one place past the end of a row; the move on (to the
// next row, or the scroll, or the jump back to the top left past the last
// row) happens when the next character arrives, so that a full screen stays
// in view.
void lcd_write_character(LcdModel* m, uint8_t code) {
    if (m->cursor_column >= screen_columns) {
        const int next = (m->wrap ? lcd_next_row_wrapped : lcd_next_row_in_memory)[m->cursor_row];
        m->cursor_column = 0;
        if (next >= 0) {
            m->cursor_row = next;
        } else if (m->autoscroll) {
            lcd_scroll_up(m);
        } else {
            m->cursor_row = 0;
        }
    }
    const int index = cell_index(m->cursor_row, m->cursor_column);
    m->cells[index] = code;
    ++m->cursor_column;
    ++m->counters.characters;
    if (index == screen_cells - 1) ++m->counters.frames_completed;
}

// Cursor moves go round the screen: left from the first cell lands on the
// last, right from the last on the first.
void lcd_cursor_step(LcdModel* m, int step) {
    int column =
        m->cursor_column < screen_columns ? m->cursor_column : screen_columns - 1 + (step < 0);
    int position = m->cursor_row * screen_columns + column + step;
    position = (position % screen_cells + screen_cells) % screen_cells;
    m->cursor_row = position / screen_columns;
    m->cursor_column = position % screen_columns;
}

// A load command replaces glyph memory and says which set is in it now.
void lcd_model_load_bars(LcdModel* m, LcdBarStyle style) {
    lcd_bars_load(m->glyphs, style);
    m->bar_style = style;
}

void lcd_set_gpo(LcdModel* m, bool on) {
    m->gpo = on ? 1 : 0;
}

// One completed command; its arguments are in m->arguments. Positions arrive
// counted from 1 and are clamped into the screen.
void lcd_execute(LcdModel* m) {
    const uint8_t* a = m->arguments;
    const uint8_t command = m->command;
    m->command = 0;
    ++m->counters.commands[command];
    switch (command) {
        case cmd::clear_screen:
            lcd_clear(m);
            break;
        case cmd::cursor_home:
            m->cursor_row = 0;
            m->cursor_column = 0;
            break;
        case cmd::cursor_to:
            m->cursor_column = lcd_clamp(a[0], 1, screen_columns) - 1;
            m->cursor_row = lcd_clamp(a[1], 1, screen_rows) - 1;
            break;
        case cmd::cursor_left:
            lcd_cursor_step(m, -1);
            break;
        case cmd::cursor_right:
            lcd_cursor_step(m, 1);
            break;
        case cmd::underline_on:
            m->underline_cursor = true;
            break;
        case cmd::underline_off:
            m->underline_cursor = false;
            break;
        case cmd::block_on:
            m->block_cursor = true;
            break;
        case cmd::block_off:
            m->block_cursor = false;
            break;
        case cmd::wrap_on:
            m->wrap = true;
            break;
        case cmd::wrap_off:
            m->wrap = false;
            break;
        case cmd::autoscroll_on:
            m->autoscroll = true;
            break;
        case cmd::autoscroll_off:
            m->autoscroll = false;
            break;
        case cmd::define_glyph:
            // Codes 8 and up name the same eight glyphs, as the controller's
            // glyph memory does.
            std::memcpy(m->glyphs[a[0] % glyph_count], a + 1, glyph_rows);
            ++m->counters.glyph_definitions;
            break;
        case cmd::backlight_on:
            m->backlight = true;
            m->backlight_minutes = a[0];
            break;
        case cmd::backlight_off:
            m->backlight = false;
            break;
        case cmd::set_brightness:
        case cmd::save_brightness:
            m->brightness = a[0];
            break;
        case cmd::set_contrast:
        case cmd::save_contrast:
            m->contrast = a[0];
            break;
        case cmd::gpo_on:
            lcd_set_gpo(m, true);
            break;
        case cmd::gpo_off:
            lcd_set_gpo(m, false);
            break;
        case cmd::key_transmit_on:
            m->key_transmit = true;
            break;
        case cmd::key_transmit_off:
            m->key_transmit = false;
            break;
        case cmd::keypad_debounce:
            m->keypad_debounce = a[0];
            break;
        case cmd::keypad_repeat_on:
            m->keypad_repeat = a[0];
            break;
        case cmd::keypad_repeat_off:
            m->keypad_repeat = 0;
            break;
        case cmd::keypad_poll:
            lcd_reply(m, lcd_no_key);
            break;
        case cmd::keypad_clear:
            break;  // no keys are ever pressed
        case cmd::load_horizontal_bars:
            lcd_model_load_bars(m, LcdBarStyle::horizontal);
            break;
        case cmd::load_narrow_vertical_bars:
            lcd_model_load_bars(m, LcdBarStyle::narrow_vertical);
            break;
        case cmd::load_wide_vertical_bars:
            lcd_model_load_bars(m, LcdBarStyle::wide_vertical);
            break;
        case cmd::load_big_digits:
            lcd_model_load_bars(m, LcdBarStyle::big_digits);
            break;
        case cmd::horizontal_bar:
            lcd_bars_horizontal(m->cells, lcd_clamp(a[0], 1, screen_columns) - 1,
                                lcd_clamp(a[1], 1, screen_rows) - 1, a[2],
                                lcd_clamp(a[3], 0, lcd_bar_max_length_pixels));
            break;
        case cmd::vertical_bar:
            lcd_bars_vertical(m->cells, m->bar_style, lcd_clamp(a[0], 1, screen_columns) - 1,
                              lcd_clamp(a[1], 0, pixel_rows));
            break;
        case cmd::big_digit: {
            // The module leaves the cursor after the bottom row of a digit
            // it has drawn.
            const int column = lcd_clamp(a[0], 1, lcd_big_digit_last_column + 1) - 1;
            if (!lcd_bars_big_digit(m->cells, column, a[1])) break;
            m->cursor_row = screen_rows - 1;
            m->cursor_column = column + lcd_big_digit_columns;
            break;
        }
        case cmd::set_serial_number:
            std::memcpy(m->serial_number, a, 2);
            break;
        case cmd::read_module_type:
            lcd_reply(m, lcd_module_type);
            break;
        case cmd::read_firmware_version:
            lcd_reply(m, lcd_firmware_version);
            break;
        case cmd::read_serial_number:
            lcd_reply(m, m->serial_number[0]);
            lcd_reply(m, m->serial_number[1]);
            break;
        default:
            break;  // stored settings: accepted at their lengths, nothing to show
    }
}

}  // namespace
