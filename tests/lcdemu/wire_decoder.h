// A decoder of the module's command set for the peer tests, written from the
// module's manual and kept apart from the display model: its own argument
// counts and its own rules for text, so that a byte the model misreads shows
// up as a difference between the two. It follows what LCDd and lcd4linux
// send (text, positions, clears, glyphs, light, settings without a picture);
// a command whose picture it does not draw (the module's own bars and big
// digits, glyph banks, cursor steps) is recorded as not followed, so that a
// test can refuse to compare rather than compare wrongly.
//
// Bad input, predictably: a byte after the prefix that names no command is
// counted and skipped, and what follows is text; a command cut short by the
// end of the bytes waits for the rest, none of it applied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DecodedDisplay {
    uint8_t cells[80];      // row-major, 4 rows of 20
    uint8_t glyphs[8][8];   // the five pixels of each row
    int row, column;        // from 0; column 20 is past the end of the row
    bool wrap, scroll;      // off at power-on
    bool underline, block;  // cursors
    bool backlight;
    int brightness;
    bool gpo;
    long unknown;                         // bytes after the prefix naming no command
    std::vector<std::string> unfollowed;  // commands whose picture is not drawn here
    long replies_asked;                   // read-back queries

    // The command being collected.
    bool after_prefix;
    int command;  // -1 when none
    std::vector<uint8_t> arguments;
    size_t arguments_needed;
};

void decoder_init(DecodedDisplay* d);
void decoder_feed(DecodedDisplay* d, const uint8_t* bytes, size_t count);

// The screen as four lines of text for messages: codes 0 to 7 as digits,
// 0xFF as '#', others outside ' ' to '~' as '?'.
std::string decoded_picture(const uint8_t cells[80]);
