#include "lcdemu/term_frame.h"

#include <cstdio>
#include <cstring>

namespace {

// Keys of compact cells: this plus the Braille pattern, plus
// term_braille_unlit when the pattern's dots are unlit pixels.
constexpr uint16_t term_braille_key = 0x100;
constexpr uint16_t term_braille_unlit = 0x200;
constexpr uint16_t term_braille_pattern_mask = 0xFF;
constexpr int term_full_kinds = picture_dot_kinds;

// The bit of each dot of a Braille pattern, by row and column: Unicode
// numbers the dots 1, 2, 3, 7 down the left and 4, 5, 6, 8 down the right,
// dot n being bit n - 1 of the offset from U+2800.
constexpr uint8_t term_braille_bits[term_braille_rows][term_braille_columns] = {
    {0x01, 0x08},
    {0x02, 0x10},
    {0x04, 0x20},
    {0x40, 0x80},
};
constexpr const char* term_upper_half = "\u2580";

struct TermWriter {
    TermFrame* frame;
    int fg;  // colour kind now set, -1 for unknown or the terminal's own
    int bg;
    int row, column;  // where the terminal's cursor is, -1 for unknown
};

void term_put(TermWriter* w, const char* text, size_t length) {
    TermFrame* f = w->frame;
    if (f->length + length > sizeof f->bytes) return;  // cannot happen: sized for the worst case
    std::memcpy(f->bytes + f->length, text, length);
    f->length += length;
}

void term_put_text(TermWriter* w, const char* text) {
    term_put(w, text, std::strlen(text));
}

void term_put_number(TermWriter* w, int value) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    char text[12];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    term_put(w, text, static_cast<size_t>(n));
}

// Moves the cursor to (row, column), 0-based, unless it is there.
void term_move(TermWriter* w, int row, int column) {
    if (w->row == row && w->column == column) return;
    term_put(w, "\x1b[", 2);
    term_put_number(w, row + 1);
    term_put(w, ";", 1);
    term_put_number(w, column + 1);
    term_put(w, "H", 1);
    w->row = row;
    w->column = column;
}

void term_colour(TermWriter* w, bool background, int kind) {
    int& current = background ? w->bg : w->fg;
    if (current == kind) return;
    const Rgb c = w->frame->colours[kind];
    term_put_text(w, background ? "\x1b[48;2;" : "\x1b[38;2;");
    term_put_number(w, c.r);
    term_put(w, ";", 1);
    term_put_number(w, c.g);
    term_put(w, ";", 1);
    term_put_number(w, c.b);
    term_put(w, "m", 1);
    current = kind;
}

void term_reset_colours(TermWriter* w) {
    if (w->fg == -1 && w->bg == -1) return;
    term_put_text(w, "\x1b[0m");
    w->fg = w->bg = -1;
}

// Draws the terminal cell with this key where the cursor is.
void term_cell(TermWriter* w, uint16_t key) {
    if (key >= term_braille_key) {
        const int pattern = key & term_braille_pattern_mask;
        term_colour(w, true, picture_glass);
        if (pattern == 0) {
            term_put(w, " ", 1);
        } else {
            term_colour(w, false, (key & term_braille_unlit) ? picture_unlit : picture_lit);
            // U+2800 + pattern in UTF-8.
            const char braille[3] = {'\xE2', static_cast<char>(0xA0 | (pattern >> 6)),
                                     static_cast<char>(0x80 | (pattern & 0x3F))};
            term_put(w, braille, sizeof braille);
        }
    } else {
        const int top = key / term_full_kinds;
        const int bottom = key % term_full_kinds;
        term_colour(w, true, bottom);
        if (top == bottom) {
            term_put(w, " ", 1);
        } else {
            term_colour(w, false, top);
            term_put_text(w, term_upper_half);
        }
    }
    ++w->column;
}

uint8_t term_dot(const uint8_t* dots, int x, int y) {
    if (x >= picture_columns || y >= picture_rows) return picture_glass;
    return dots[y * picture_columns + x];
}

// The picture's dot under dot (x, y) of the compact picture: the same dot
// with the gaps, else the dot of pixel (x, y) of the 100x32 pixels.
uint8_t term_compact_dot(const uint8_t* dots, bool pixels_only, int x, int y) {
    if (!pixels_only) return term_dot(dots, x, y);
    if (x >= pixel_columns || y >= pixel_rows) return picture_glass;
    const int px = picture_margin_dots +
                   (x / glyph_columns) * (glyph_columns + picture_cell_gap_dots) +
                   x % glyph_columns;
    const int py = picture_margin_dots + (y / glyph_rows) * (glyph_rows + picture_cell_gap_dots) +
                   y % glyph_rows;
    return term_dot(dots, px, py);
}

struct TermSize {
    int columns, picture_rows, rows;
};

TermSize term_size_of(TermLayout layout) {
    switch (layout) {
        case TermLayout::full:
            return {term_full_columns, term_picture_rows, term_needed_rows};
        case TermLayout::compact:
            return {term_compact_columns, term_compact_picture_rows, term_compact_rows};
        case TermLayout::compact_pixels:
            return {term_pixels_columns, term_pixels_picture_rows, term_pixels_rows};
        case TermLayout::too_small:
            break;
    }
    return {0, 0, 0};
}

void term_picture_keys(const uint8_t* dots, TermLayout layout,
                       uint16_t keys[term_picture_rows][term_full_columns]) {
    std::memset(keys, 0, sizeof(uint16_t) * term_picture_rows * term_full_columns);
    const TermSize size = term_size_of(layout);
    if (layout == TermLayout::full) {
        for (int row = 0; row < size.picture_rows; ++row)
            for (int column = 0; column < size.columns; ++column)
                keys[row][column] =
                    static_cast<uint16_t>(term_dot(dots, column, 2 * row) * term_full_kinds +
                                          term_dot(dots, column, 2 * row + 1));
        return;
    }
    const bool pixels_only = layout == TermLayout::compact_pixels;
    for (int row = 0; row < size.picture_rows; ++row) {
        for (int column = 0; column < size.columns; ++column) {
            int lit = 0, unlit = 0;
            for (int r = 0; r < term_braille_rows; ++r) {
                for (int c = 0; c < term_braille_columns; ++c) {
                    const uint8_t dot =
                        term_compact_dot(dots, pixels_only, term_braille_columns * column + c,
                                         term_braille_rows * row + r);
                    if (dot == picture_lit) lit |= term_braille_bits[r][c];
                    if (dot == picture_unlit) unlit |= term_braille_bits[r][c];
                }
            }
            // One colour a character: its lit dots if it has any, else the
            // faint pixels that are off.
            keys[row][column] = static_cast<uint16_t>(
                lit != 0 ? term_braille_key | lit : term_braille_key | term_braille_unlit | unlit);
        }
    }
}

// The message, wrapped at blanks (a word longer than a line is cut).
void term_too_small(TermWriter* w, int columns, int rows) {
    char message[256];
    std::snprintf(message, sizeof message,
                  "lcdemu needs a terminal of at least %dx%d (%dx%d to show the gaps between "
                  "cells, %dx%d for the full picture); this one is %dx%d.",
                  term_pixels_columns, term_pixels_rows, term_compact_columns, term_compact_rows,
                  term_full_columns, term_needed_rows, columns, rows);
    const size_t length = std::strlen(message);
    const size_t width = columns > 0 ? static_cast<size_t>(columns) : 0;
    size_t at = 0;
    for (int row = 0; row < rows && at < length && width > 0; ++row) {
        size_t end = at + width < length ? at + width : length;
        if (end < length && message[end] != ' ') {
            size_t blank = end;
            while (blank > at && message[blank] != ' ') --blank;
            if (blank > at) end = blank;
        }
        term_move(w, row, 0);
        term_put(w, message + at, end - at);
        w->column = -1;
        at = end;
        while (at < length && message[at] == ' ') ++at;
    }
}

}  // namespace

void term_frame_init(TermFrame* frame) {
    frame->drawn = false;
    frame->layout = TermLayout::too_small;
    frame->columns = frame->rows = 0;
    std::memset(frame->colours, 0, sizeof frame->colours);
    std::memset(frame->keys, 0, sizeof frame->keys);
    std::memset(frame->status, 0, sizeof frame->status);
    frame->length = 0;
}

void term_frame_invalidate(TermFrame* frame) {
    frame->drawn = false;
}

TermLayout term_frame_layout(int columns, int rows, bool compact) {
    if (!compact && columns >= term_full_columns && rows >= term_needed_rows)
        return TermLayout::full;
    if (columns >= term_compact_columns && rows >= term_compact_rows) return TermLayout::compact;
    if (columns >= term_pixels_columns && rows >= term_pixels_rows)
        return TermLayout::compact_pixels;
    return TermLayout::too_small;
}

size_t term_frame_build(TermFrame* frame, const LcdModel& model, const PicturePalette& palette,
                        bool cursor_shown, bool compact, int columns, int rows,
                        const char* const status[term_status_lines]) {
    frame->length = 0;
    TermWriter w{frame, -1, -1, -1, -1};
    const TermLayout layout = term_frame_layout(columns, rows, compact);
    Rgb colours[picture_dot_kinds];
    picture_colours(model, palette, colours);

    const bool whole = !frame->drawn || layout != frame->layout || columns != frame->columns ||
                       rows != frame->rows ||
                       std::memcmp(colours, frame->colours, sizeof colours) != 0;
    if (whole) {
        term_put_text(&w, "\x1b[0m\x1b[2J");
        frame->drawn = true;
        frame->layout = layout;
        frame->columns = columns;
        frame->rows = rows;
        std::memcpy(frame->colours, colours, sizeof colours);
    }
    if (layout == TermLayout::too_small) {
        if (whole) term_too_small(&w, columns, rows);
        return frame->length;
    }

    const TermSize size = term_size_of(layout);
    const int width = size.columns;
    const int left = (columns - width) / 2;
    const int top = (rows - size.rows) / 2;

    uint8_t dots[picture_dot_count];
    picture_dots(model, cursor_shown, dots);
    uint16_t keys[term_picture_rows][term_full_columns];
    term_picture_keys(dots, layout, keys);
    for (int row = 0; row < size.picture_rows; ++row) {
        for (int column = 0; column < width; ++column) {
            const uint16_t key = keys[row][column];
            if (!whole && key == frame->keys[row][column]) continue;
            term_move(&w, top + row, left + column);
            term_cell(&w, key);
            frame->keys[row][column] = key;
        }
    }

    for (int line = 0; line < term_status_lines; ++line) {
        char clipped[term_status_bytes];
        std::snprintf(clipped, sizeof clipped, "%s", status[line] != nullptr ? status[line] : "");
        const int room = columns - left;
        if (room >= 0 && room < term_status_bytes) clipped[room] = '\0';
        if (!whole && std::strcmp(clipped, frame->status[line]) == 0) continue;
        std::memcpy(frame->status[line], clipped, sizeof clipped);
        term_reset_colours(&w);
        term_move(&w, top + size.picture_rows + line, left);
        term_put_text(&w, clipped);
        term_put_text(&w, "\x1b[K");
        w.column = -1;
    }
    term_reset_colours(&w);
    return frame->length;
}
