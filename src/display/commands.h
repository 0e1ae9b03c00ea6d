// Every command byte of the display's command set is named here and nowhere
// else. A command is the prefix byte followed by one command byte and its
// arguments.
#pragma once

#include <cstdint>

namespace cmd {

inline constexpr uint8_t prefix = 0xFE;

// Commands the show sends, with their argument counts in the comment.
inline constexpr uint8_t clear_screen = 0x58;      // none; cursor home
inline constexpr uint8_t cursor_home = 0x48;       // none
inline constexpr uint8_t wrap_off = 0x44;          // none
inline constexpr uint8_t set_contrast = 0x50;      // level
inline constexpr uint8_t set_brightness = 0x99;    // level
inline constexpr uint8_t keypad_debounce = 0x55;   // time
inline constexpr uint8_t keypad_repeat_on = 0x7E;  // mode
inline constexpr uint8_t key_transmit_off = 0x4F;  // none
inline constexpr uint8_t define_glyph = 0x4E;      // code, eight rows
inline constexpr uint8_t cursor_to = 0x47;         // column, row (both from 1)

// ---------------------------------------------------------------------------
// The rest of the command set: the show never sends these, but other clients
// do, and the display model understands them.

// A text byte, not a command: clears the screen as the clear command does.
inline constexpr uint8_t form_feed = 0x0C;

inline constexpr uint8_t wrap_on = 0x43;          // none; off at power-on
inline constexpr uint8_t autoscroll_on = 0x51;    // none; off at power-on
inline constexpr uint8_t autoscroll_off = 0x52;   // none
inline constexpr uint8_t cursor_left = 0x4C;      // none
inline constexpr uint8_t cursor_right = 0x4D;     // none
inline constexpr uint8_t underline_on = 0x4A;     // none
inline constexpr uint8_t underline_off = 0x4B;    // none
inline constexpr uint8_t block_on = 0x53;         // none
inline constexpr uint8_t block_off = 0x54;        // none
inline constexpr uint8_t backlight_on = 0x42;     // minutes (0: stays on)
inline constexpr uint8_t backlight_off = 0x46;    // none
inline constexpr uint8_t save_brightness = 0x98;  // level
inline constexpr uint8_t save_contrast = 0x91;    // level
inline constexpr uint8_t gpo_on = 0x57;           // none: this module has one output
inline constexpr uint8_t gpo_off = 0x56;          // none

inline constexpr uint8_t key_transmit_on = 0x41;    // none
inline constexpr uint8_t keypad_repeat_off = 0x60;  // none
inline constexpr uint8_t keypad_poll = 0x26;        // none; replies with a key code
inline constexpr uint8_t keypad_clear = 0x45;       // none

inline constexpr uint8_t load_horizontal_bars = 0x68;       // none
inline constexpr uint8_t load_narrow_vertical_bars = 0x73;  // none
inline constexpr uint8_t load_wide_vertical_bars = 0x76;    // none
inline constexpr uint8_t load_big_digits = 0x6E;            // none
inline constexpr uint8_t horizontal_bar = 0x7C;  // column, row, direction, length in pixels
inline constexpr uint8_t vertical_bar = 0x3D;    // column, length in pixels
inline constexpr uint8_t big_digit = 0x23;       // column, digit; cursor to its bottom right

// Settings the module keeps across power cycles; accepted, not acted on.
inline constexpr uint8_t set_baud_rate = 0x39;       // speed code
inline constexpr uint8_t flow_control_on = 0x3A;     // almost-full, almost-empty
inline constexpr uint8_t flow_control_off = 0x3B;    // none
inline constexpr uint8_t set_startup_screen = 0x40;  // 80 codes
inline constexpr uint8_t set_remember = 0x93;        // on/off
inline constexpr uint8_t load_glyph_bank = 0xC0;     // bank
inline constexpr uint8_t save_glyph_to_bank = 0xC1;  // bank, code, eight rows
inline constexpr uint8_t save_startup_glyph = 0xC2;  // code, eight rows
inline constexpr uint8_t set_serial_number = 0x34;   // two bytes
inline constexpr uint8_t set_bus_address = 0x33;     // address

// Read-back queries: the module answers at once on the serial line.
inline constexpr uint8_t read_module_type = 0x37;       // none; one byte
inline constexpr uint8_t read_firmware_version = 0x36;  // none; one byte
inline constexpr uint8_t read_serial_number = 0x35;     // none; two bytes

}  // namespace cmd

// Lengths on the wire, prefix included.
inline constexpr int define_glyph_bytes = 3 + 8;
inline constexpr int cursor_to_bytes = 4;
