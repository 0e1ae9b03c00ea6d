// Reading back what lcdemu draws: a small interpreter of the escape
// sequences its frames use (cursor moves, colours, clears, UTF-8), and the
// check that every dot of a model's picture shows in its place and colour,
// in the full picture (half blocks) and in the compact one (Braille).
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "display_model/picture.h"
#include "lcdemu/term_frame.h"

struct Colour {
    int r = -1, g = -1, b = -1;  // -1: the terminal's own
    bool operator==(const Colour&) const = default;
};

struct Cell {
    std::string glyph = " ";
    Colour fg, bg;
};

// What a truecolour terminal shows after the bytes: cursor moves, colours,
// clears and UTF-8 characters, nothing else (anything else fails).
struct Terminal {
    int columns, rows;
    std::vector<Cell> cells;
    int row = 0, column = 0;
    Colour fg, bg;

    Terminal(int c, int r) : columns(c), rows(r), cells(static_cast<size_t>(c * r)) {}

    Cell& at(int r, int c) { return cells[static_cast<size_t>(r * columns + c)]; }

    ::testing::AssertionResult apply(const std::string& bytes) {
        for (size_t i = 0; i < bytes.size();) {
            if (bytes[i] == '\x1b') {
                if (bytes[i + 1] != '[')
                    return ::testing::AssertionFailure() << "ESC without [ at " << i;
                size_t end = i + 2;
                while (end < bytes.size() && !std::isalpha(static_cast<unsigned char>(bytes[end])))
                    ++end;
                const std::string params = bytes.substr(i + 2, end - i - 2);
                const char final = bytes[end];
                if (!params.empty() && params[0] == '?' && (final == 'h' || final == 'l')) {
                    i = end + 1;  // modes (alternate screen, cursor, wrap): nothing drawn
                    continue;
                }
                std::vector<int> p;
                for (size_t at = 0; at <= params.size();) {
                    size_t next = params.find(';', at);
                    if (next == std::string::npos) next = params.size();
                    p.push_back(next > at ? std::stoi(params.substr(at, next - at)) : 0);
                    at = next + 1;
                }
                if (final == 'H') {
                    row = p[0] - 1;
                    column = p[1] - 1;
                } else if (final == 'm') {
                    if (p[0] == 0) fg = bg = Colour{};
                    if (p[0] == 38) fg = Colour{p[2], p[3], p[4]};
                    if (p[0] == 48) bg = Colour{p[2], p[3], p[4]};
                } else if (final == 'J') {
                    for (Cell& c : cells) c = Cell{" ", Colour{}, bg};
                } else if (final == 'K') {
                    for (int c = column; c < columns; ++c) at(row, c) = Cell{" ", Colour{}, bg};
                } else {
                    return ::testing::AssertionFailure() << "unexpected sequence ending " << final;
                }
                i = end + 1;
                continue;
            }
            const unsigned char lead = static_cast<unsigned char>(bytes[i]);
            const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            if (lead < 0x20)
                return ::testing::AssertionFailure() << "control byte " << int(lead) << " at " << i;
            if (row < 0 || row >= rows || column < 0 || column >= columns)
                return ::testing::AssertionFailure()
                       << "character outside the terminal at " << row << "," << column;
            at(row, column) = Cell{bytes.substr(i, length), fg, bg};
            ++column;
            i += length;
        }
        return ::testing::AssertionSuccess();
    }
};

inline Colour colour_of(const Rgb& c) {
    return Colour{c.r, c.g, c.b};
}

// The picture's dot under dot (x, y) of a compact picture: the picture's
// own dot with the gaps; without them, that of pixel (x, y), which lies in
// cell column x / 5 and cell row y / 8.
inline uint8_t compact_dot(const uint8_t* dots, TermLayout layout, int x, int y) {
    if (layout == TermLayout::compact_pixels) {
        if (x >= 100 || y >= 32) return picture_glass;
        x = picture_margin_dots + (x / 5) * 6 + x % 5;
        y = picture_margin_dots + (y / 8) * 9 + y % 8;
    }
    if (x >= picture_columns || y >= picture_rows) return picture_glass;
    return dots[y * picture_columns + x];
}

// Which dots of a Braille character are raised, by row and column: dot n
// of the standard's numbering (1-3 and 7 down the left, 4-6 and 8 down the
// right) is bit n - 1 of the character's offset from U+2800.
inline bool braille_raised(const std::string& glyph, int row, int column, bool* valid) {
    *valid = true;
    if (glyph == " ") return false;
    const auto* b = reinterpret_cast<const unsigned char*>(glyph.data());
    if (glyph.size() != 3 || b[0] != 0xE2 || (b[1] & 0xFC) != 0xA0 || (b[2] & 0xC0) != 0x80) {
        *valid = false;
        return false;
    }
    const int pattern = ((b[1] & 0x03) << 6) | (b[2] & 0x3F);
    static const int dot_number[4][2] = {{1, 4}, {2, 5}, {3, 6}, {7, 8}};
    return (pattern >> (dot_number[row][column] - 1)) & 1;
}

// Every dot of the model's picture against the terminal's cells.
inline ::testing::AssertionResult shows(Terminal& t, const LcdModel& m, TermLayout layout) {
    uint8_t dots[picture_dot_count];
    picture_dots(m, true, dots);
    Rgb rgb[picture_dot_kinds];
    picture_colours(m, picture_palettes[0], rgb);
    if (layout != TermLayout::full) {
        const bool gaps = layout == TermLayout::compact;
        const int width = gaps ? 62 : 50;
        const int height = gaps ? 10 : 8;
        const int left = (t.columns - width) / 2;
        const int top = (t.rows - (height + 2)) / 2;
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) {
                const Cell& c = t.at(top + row, left + column);
                bool any_lit = false;
                for (int r = 0; r < 4; ++r)
                    for (int d = 0; d < 2; ++d)
                        any_lit = any_lit || compact_dot(dots, layout, 2 * column + d,
                                                         4 * row + r) == picture_lit;
                // One colour a character: its lit dots, or else its unlit ones.
                const uint8_t shown_kind = any_lit ? picture_lit : picture_unlit;
                bool any_raised = false;
                for (int r = 0; r < 4; ++r) {
                    for (int d = 0; d < 2; ++d) {
                        bool valid = true;
                        const bool raised = braille_raised(c.glyph, r, d, &valid);
                        if (!valid)
                            return ::testing::AssertionFailure()
                                   << "not a Braille pattern at cell " << column << "," << row;
                        const uint8_t dot = compact_dot(dots, layout, 2 * column + d, 4 * row + r);
                        if (raised != (dot == shown_kind))
                            return ::testing::AssertionFailure()
                                   << "compact dot " << 2 * column + d << "," << 4 * row + r
                                   << (raised ? " raised" : " not raised");
                        any_raised = any_raised || raised;
                    }
                }
                if (c.bg != colour_of(rgb[picture_glass]) ||
                    (any_raised && c.fg != colour_of(rgb[shown_kind])))
                    return ::testing::AssertionFailure()
                           << "compact colours at cell " << column << "," << row;
            }
        }
        return ::testing::AssertionSuccess();
    }
    const int left = (t.columns - term_full_columns) / 2;
    const int top = (t.rows - term_needed_rows) / 2;
    for (int y = 0; y < picture_rows; ++y) {
        for (int x = 0; x < picture_columns; ++x) {
            const uint8_t dot = dots[y * picture_columns + x];
            const Cell& c = t.at(top + y / 2, left + x);
            Colour shown;
            if (c.glyph == " ") {
                shown = c.bg;
            } else if (c.glyph == "\u2580") {
                shown = y % 2 == 0 ? c.fg : c.bg;
            } else {
                return ::testing::AssertionFailure() << "unexpected glyph at " << x << "," << y;
            }
            if (shown != colour_of(rgb[dot]))
                return ::testing::AssertionFailure()
                       << "dot " << x << "," << y << " is not in its colour";
        }
    }
    return ::testing::AssertionSuccess();
}

// Row `row` of the terminal from column `from` on, as text.
inline std::string row_text(Terminal& t, int row, int from = 0) {
    std::string text;
    for (int c = from; c < t.columns; ++c) text += t.at(row, c).glyph;
    return text;
}
