// Screens as readable pictures for tests: four rows of 20 characters, each
// ending in a newline, '.' for a blank, a digit for glyph codes 0 to 7, any other
// code as its own character ('?' where it has none). A failing comparison
// then prints the two frames row under row.
#pragma once

#include <initializer_list>
#include <string>

#include "display/screen.h"

inline char screen_picture_char(uint8_t code) {
    if (code == blank_code) return '.';
    if (code < glyph_count) return static_cast<char>('0' + code);
    if (code > ' ' && code <= '~') return static_cast<char>(code);
    return '?';
}

inline std::string screen_picture(const Screen& screen) {
    std::string picture;
    for (int r = 0; r < screen_rows; ++r) {
        for (int c = 0; c < screen_columns; ++c)
            picture += screen_picture_char(screen.cells[cell_index(r, c)]);
        picture += '\n';
    }
    return picture;
}

// The expected picture from its rows, written one string a row.
inline std::string frame(std::initializer_list<const char*> rows) {
    std::string picture;
    for (const char* row : rows) {
        picture += row;
        picture += '\n';
    }
    return picture;
}

// Row r of a picture, and the character of one cell.
inline std::string picture_row(const std::string& picture, int r) {
    return picture.substr(static_cast<size_t>(r) * (screen_columns + 1), screen_columns);
}
inline char picture_cell(const std::string& picture, int r, int c) {
    return picture_row(picture, r)[c];
}

// Four equal rows.
inline std::string frame_of_rows(const char* row) {
    return frame({row, row, row, row});
}

// The all-blank picture.
inline const std::string blank_frame = frame_of_rows("....................");

// A screen whose every cell holds `code`: what a scene finds left over
// from the frame before.
inline Screen screen_filled(uint8_t code) {
    Screen screen;
    fill_screen(screen, code);
    return screen;
}
