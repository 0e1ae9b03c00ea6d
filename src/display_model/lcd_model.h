// The display model: a 20x4 character module of the display's command set,
// as a caller-owned struct. Feed it the bytes a client sends, one at a time
// or in chunks of any size (a command may be split anywhere); read its cells,
// glyphs, cursor and settings; take the bytes it answers with. It touches
// nothing outside its own memory, whatever it is fed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "display/screen.h"
#include "display_model/lcd_bars.h"

inline constexpr int lcd_longest_arguments = screen_cells;  // the start-up screen command
inline constexpr int lcd_reply_capacity_bytes = 256;
inline constexpr int lcd_gpo_count = 1;  // the module's one general-purpose output

// What the module answers to the read-back queries.
inline constexpr uint8_t lcd_module_type = 0x05;  // a 20x4 with keypad
inline constexpr uint8_t lcd_firmware_version = 0x20;
inline constexpr uint8_t lcd_no_key = 0x00;  // keypad poll: nothing pressed

// Counters since init, for --stats and tests.
struct LcdCounters {
    uint64_t bytes;          // every byte fed
    uint64_t characters;     // text bytes written to display memory
    uint64_t commands[256];  // known commands completed, by command byte
    uint64_t form_feeds;
    uint64_t unknown_bytes;     // bytes after the prefix that name no command
    uint64_t frames_completed;  // characters written to the last cell
    uint64_t glyph_definitions;
    uint64_t replies_dropped;   // reply bytes lost because nobody took them
    uint64_t commands_dropped;  // commands cut short by the end of a client's input
};

struct LcdModel {
    uint8_t cells[screen_cells];              // display memory, row-major
    uint8_t glyphs[glyph_count][glyph_rows];  // as received; only the low five bits show
    int cursor_row;                           // 0 to 3
    int cursor_column;                        // 0 to 20; 20 means past the end of the row
    bool wrap;        // past the end of a row, text goes on in the row below (else in the
                      // controller's memory order: rows 1, 3, 2, 4)
    bool autoscroll;  // text past the end of the last row scrolls the screen up
    bool underline_cursor;
    bool block_cursor;
    bool backlight;
    uint8_t backlight_minutes;  // 0: stays on (the model keeps no time)
    uint8_t brightness;
    uint8_t contrast;
    uint8_t gpo;  // bit n-1 set: output n on
    bool key_transmit;
    uint8_t keypad_debounce;
    uint8_t keypad_repeat;
    uint8_t serial_number[2];
    LcdBarStyle bar_style;  // glyph set the last load command put in place

    // Parser: the command being collected after the prefix.
    bool after_prefix;
    uint8_t command;  // 0 when no command is being collected
    int arguments_needed;
    int arguments_have;
    uint8_t arguments[lcd_longest_arguments];

    uint8_t replies[lcd_reply_capacity_bytes];
    int reply_count;

    LcdCounters counters;
};

// Power-on state, counters zeroed.
void lcd_model_init(LcdModel* model);

// Power cycle: the display and the parser as at power-on; counters kept.
void lcd_model_reset(LcdModel* model);

// Interprets the bytes in order. Replies collect until taken.
void lcd_model_feed(LcdModel* model, const uint8_t* bytes, size_t count);

// The client's input has ended (it left the line): a command still waiting
// for its command byte or its arguments is dropped, none of it applied, so
// that the next client's first command is read as a command. Returns
// whether one was.
bool lcd_model_end_input(LcdModel* model);

// Moves up to `capacity` pending reply bytes to `out`, oldest first;
// returns how many.
int lcd_model_take_replies(LcdModel* model, uint8_t* out, int capacity);

// Argument count of a command byte, or -1 when the model does not know it.
int lcd_command_arguments(uint8_t command);

// Short lower-case name of a known command ("clear_screen"), or null.
const char* lcd_command_name(uint8_t command);

// The glyph number a cell code shows (codes 0 to 31 but form feed mirror
// glyphs 0 to 7, as on the common controller), or -1 for a built-in character.
int lcd_cell_glyph(uint8_t code);

// The eight row bytes a cell code shows: the glyph as defined, or the
// built-in picture. Only the low five bits of each row are pixels.
const uint8_t* lcd_cell_rows(const LcdModel& model, uint8_t code);
