// The display's built-in character generator: 5x8 pictures for the codes
// that are not user glyphs. Our own drawing, made for this emulator.
#pragma once

#include <cstdint>

#include "display/screen.h"

inline constexpr int char_rom_first_code = 0x20;                                     // space
inline constexpr int char_rom_last_code = 0x7F;                                      // left arrow
inline constexpr int char_rom_codes = char_rom_last_code - char_rom_first_code + 1;  // 96
inline constexpr uint8_t char_rom_block_code = 0xFF;  // all forty pixels lit
inline constexpr uint8_t char_rom_right_arrow_code = 0x7E;
inline constexpr uint8_t char_rom_left_arrow_code = 0x7F;

// The eight row bytes (bit 4 leftmost) of a built-in character. Codes with
// no picture (0x80 to 0xFE) are blank. Codes 0 to 31 are never asked for:
// they show glyphs (see lcd_cell_glyph).
const uint8_t* char_rom_rows(uint8_t code);
