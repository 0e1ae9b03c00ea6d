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

}  // namespace cmd

// Lengths on the wire, prefix included.
inline constexpr int define_glyph_bytes = 3 + 8;
inline constexpr int cursor_to_bytes = 4;
