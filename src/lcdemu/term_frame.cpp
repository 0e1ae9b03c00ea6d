#include "lcdemu/term_frame.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t term_compact_key_base = 16;  // compact keys: 16 + quadrant mask
constexpr int term_full_kinds = picture_dot_kinds;

// Quadrant blocks by mask: bit 0 upper left, 1 upper right, 2 lower left,
// 3 lower right.
constexpr const char* term_quadrants[16] = {
    " ",      "\u2598", "\u259D", "\u2580", "\u2596", "\u258C", "\u259E", "\u259B",
    "\u2597", "\u259A", "\u2590", "\u259C", "\u2584", "\u2599", "\u259F", "\u2588",
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
void term_cell(TermWriter* w, uint8_t key) {
    if (key >= term_compact_key_base) {
        const int mask = key - term_compact_key_base;
        term_colour(w, true, picture_glass);
        if (mask != 0) term_colour(w, false, picture_lit);
        term_put_text(w, term_quadrants[mask]);
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

void term_picture_keys(const uint8_t* dots, bool compact,
                       uint8_t keys[term_picture_rows][term_full_columns]) {
    std::memset(keys, 0, sizeof(uint8_t) * term_picture_rows * term_full_columns);
    for (int row = 0; row < term_picture_rows; ++row) {
        if (compact) {
            for (int column = 0; column < term_compact_columns; ++column) {
                int mask = 0;
                for (int q = 0; q < 4; ++q)
                    if (term_dot(dots, 2 * column + (q & 1), 2 * row + (q >> 1)) == picture_lit)
                        mask |= 1 << q;
                keys[row][column] = static_cast<uint8_t>(term_compact_key_base + mask);
            }
        } else {
            for (int column = 0; column < term_full_columns; ++column)
                keys[row][column] =
                    static_cast<uint8_t>(term_dot(dots, column, 2 * row) * term_full_kinds +
                                         term_dot(dots, column, 2 * row + 1));
        }
    }
}

void term_too_small(TermWriter* w, int columns, int rows) {
    char message[200];
    std::snprintf(message, sizeof message,
                  "lcdemu needs a terminal of at least %dx%d (%dx%d for the full picture); this "
                  "one is %dx%d.",
                  term_compact_columns, term_needed_rows, term_full_columns, term_needed_rows,
                  columns, rows);
    term_move(w, 0, 0);
    const size_t fit = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    const size_t length = std::strlen(message);
    // Wrapped by hand: the terminal's own wrap is off.
    for (size_t at = 0; at < length && at < fit; at += static_cast<size_t>(columns)) {
        term_move(w, static_cast<int>(at / static_cast<size_t>(columns)), 0);
        const size_t piece =
            length - at < static_cast<size_t>(columns) ? length - at : static_cast<size_t>(columns);
        term_put(w, message + at, piece);
        w->column = -1;
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
    if (rows < term_needed_rows) return TermLayout::too_small;
    if (!compact && columns >= term_full_columns) return TermLayout::full;
    if (columns >= term_compact_columns) return TermLayout::compact;
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

    const int width = layout == TermLayout::full ? term_full_columns : term_compact_columns;
    const int left = (columns - width) / 2;
    const int top = (rows - term_needed_rows) / 2;

    uint8_t dots[picture_dot_count];
    picture_dots(model, cursor_shown, dots);
    uint8_t keys[term_picture_rows][term_full_columns];
    term_picture_keys(dots, layout == TermLayout::compact, keys);
    for (int row = 0; row < term_picture_rows; ++row) {
        for (int column = 0; column < width; ++column) {
            const uint8_t key = keys[row][column];
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
        term_move(&w, top + term_picture_rows + line, left);
        term_put_text(&w, clipped);
        term_put_text(&w, "\x1b[K");
        w.column = -1;
    }
    term_reset_colours(&w);
    return frame->length;
}
