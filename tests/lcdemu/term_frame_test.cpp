// The terminal picture, read back through a small interpreter of the
// escape sequences the frame uses: every dot must show in its colour, in
// the full and the compact layout, after whole frames and after frames that
// send only what changed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lcdemu/term_frame.h"
#include "support/model_support.h"

namespace {

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

Colour colour_of(const Rgb& c) {
    return Colour{c.r, c.g, c.b};
}

const char* const no_status[term_status_lines] = {"", ""};

std::string build(TermFrame& frame, const LcdModel& m, int columns, int rows, bool compact = false,
                  const char* const status[term_status_lines] = no_status,
                  bool cursor_shown = true) {
    const size_t n = term_frame_build(&frame, m, picture_palettes[0], cursor_shown, compact,
                                      columns, rows, status);
    return std::string(frame.bytes, n);
}

// Every dot of the model's picture against the terminal's cells.
::testing::AssertionResult shows(Terminal& t, const LcdModel& m, bool compact) {
    uint8_t dots[picture_dot_count];
    picture_dots(m, true, dots);
    Rgb rgb[picture_dot_kinds];
    picture_colours(m, picture_palettes[0], rgb);
    const int width = compact ? term_compact_columns : term_full_columns;
    const int left = (t.columns - width) / 2;
    const int top = (t.rows - term_needed_rows) / 2;
    for (int y = 0; y < picture_rows; ++y) {
        for (int x = 0; x < picture_columns; ++x) {
            const uint8_t dot = dots[y * picture_columns + x];
            if (compact) {
                const Cell& c = t.at(top + y / 2, left + x / 2);
                static const char* const quadrants[16] = {
                    " ",      "\u2598", "\u259D", "\u2580", "\u2596", "\u258C", "\u259E", "\u259B",
                    "\u2597", "\u259A", "\u2590", "\u259C", "\u2584", "\u2599", "\u259F", "\u2588"};
                int mask = -1;
                for (int q = 0; q < 16; ++q)
                    if (c.glyph == quadrants[q]) mask = q;
                if (mask < 0)
                    return ::testing::AssertionFailure() << "not a quadrant at " << x << "," << y;
                const bool lit = (mask >> ((y % 2) * 2 + x % 2)) & 1;
                if (lit != (dot == picture_lit))
                    return ::testing::AssertionFailure()
                           << "compact dot " << x << "," << y << " lit " << lit;
                if (c.bg != colour_of(rgb[picture_glass]) ||
                    (mask != 0 && c.fg != colour_of(rgb[picture_lit])))
                    return ::testing::AssertionFailure() << "compact colours at " << x << "," << y;
            } else {
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
    }
    return ::testing::AssertionSuccess();
}

LcdModel busy_model() {
    return model_after(
        join({command(cmd::define_glyph, {1, 0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A}),
              text("The show: "), Stream{1, 1, 1, 0xFF}, command(cmd::cursor_to, {1, 3}),
              text("~~~~ lcdemu ~~~~"), command(cmd::underline_on)}));
}

TEST(TermFrame, TheFullPictureShowsEveryDot) {
    TermFrame frame;
    term_frame_init(&frame);
    Terminal t(140, 40);
    const LcdModel m = busy_model();
    ASSERT_TRUE(t.apply(build(frame, m, 140, 40)));
    EXPECT_TRUE(shows(t, m, false));
    EXPECT_EQ(frame.layout, TermLayout::full);
}

TEST(TermFrame, LaterFramesSendOnlyWhatChanged) {
    TermFrame frame;
    term_frame_init(&frame);
    Terminal t(140, 40);
    LcdModel m = busy_model();
    const std::string first = build(frame, m, 140, 40);
    ASSERT_TRUE(t.apply(first));
    EXPECT_EQ(build(frame, m, 140, 40), "");  // nothing changed, nothing sent
    feed(m, join({command(cmd::cursor_to, {20, 4}), text("!")}));
    const std::string change = build(frame, m, 140, 40);
    EXPECT_GT(change.size(), 0u);
    EXPECT_LT(change.size(), first.size() / 10);
    EXPECT_FALSE(shows(t, m, false));  // not yet
    ASSERT_TRUE(t.apply(change));
    EXPECT_TRUE(shows(t, m, false));
    // A glyph redefined shows in every cell that holds it.
    feed(m, join({command(cmd::define_glyph, {1}), Stream(8, 0x1F)}));
    ASSERT_TRUE(t.apply(build(frame, m, 140, 40)));
    EXPECT_TRUE(shows(t, m, false));
}

TEST(TermFrame, NewColoursOrANewSizeRedrawTheWhole) {
    TermFrame frame;
    term_frame_init(&frame);
    LcdModel m = busy_model();
    build(frame, m, 140, 40);
    feed(m, command(cmd::backlight_off));
    Terminal t(140, 40);
    ASSERT_TRUE(t.apply(build(frame, m, 140, 40)));  // applied to a blank terminal
    EXPECT_TRUE(shows(t, m, false));
    Terminal wider(200, 50);
    ASSERT_TRUE(wider.apply(build(frame, m, 200, 50)));
    EXPECT_TRUE(shows(wider, m, false));
}

TEST(TermFrame, NarrowTerminalsGetTheCompactPicture) {
    EXPECT_EQ(term_frame_layout(term_full_columns, term_needed_rows, false), TermLayout::full);
    EXPECT_EQ(term_frame_layout(term_full_columns - 1, term_needed_rows, false),
              TermLayout::compact);
    EXPECT_EQ(term_frame_layout(term_compact_columns, term_needed_rows, false),
              TermLayout::compact);
    EXPECT_EQ(term_frame_layout(200, 60, true), TermLayout::compact);
    EXPECT_EQ(term_frame_layout(term_compact_columns - 1, 60, false), TermLayout::too_small);
    EXPECT_EQ(term_frame_layout(200, term_needed_rows - 1, false), TermLayout::too_small);

    TermFrame frame;
    term_frame_init(&frame);
    Terminal t(80, 24);
    LcdModel m = busy_model();
    ASSERT_TRUE(t.apply(build(frame, m, 80, 24)));
    EXPECT_TRUE(shows(t, m, true));
    feed(m, text("more"));
    ASSERT_TRUE(t.apply(build(frame, m, 80, 24)));
    EXPECT_TRUE(shows(t, m, true));
}

TEST(TermFrame, ATerminalTooSmallIsToldHowBigItMustBe) {
    TermFrame frame;
    term_frame_init(&frame);
    Terminal t(40, 10);
    ASSERT_TRUE(t.apply(build(frame, busy_model(), 40, 10)));
    std::string shown;
    for (const Cell& c : t.cells) shown += c.glyph;
    EXPECT_NE(shown.find("62x22"), std::string::npos) << shown;
    EXPECT_NE(shown.find("40x10"), std::string::npos) << shown;
}

TEST(TermFrame, StatusLinesGoUnderThePictureClippedToTheTerminal) {
    TermFrame frame;
    term_frame_init(&frame);
    Terminal t(130, 30);
    const std::string long_line(300, 'x');
    const char* const status[term_status_lines] = {"/dev/pts/9  57600 baud", long_line.c_str()};
    ASSERT_TRUE(t.apply(build(frame, busy_model(), 130, 30, false, status)));
    const int top = (30 - term_needed_rows) / 2 + term_picture_rows;
    const int left = (130 - term_full_columns) / 2;
    std::string first, second;
    for (int c = left; c < 130; ++c) {
        first += t.at(top, c).glyph;
        second += t.at(top + 1, c).glyph;
    }
    EXPECT_EQ(first.substr(0, 22), "/dev/pts/9  57600 baud");
    EXPECT_EQ(t.at(top, left).bg, Colour{});  // in the terminal's own colours
    EXPECT_EQ(second, std::string(static_cast<size_t>(130 - left), 'x'));
    // A changed status line alone is sent alone.
    const char* const later[term_status_lines] = {"/dev/pts/9  57600 baud", "> 1234"};
    const std::string change = build(frame, busy_model(), 130, 30, false, later);
    EXPECT_LT(change.size(), 64u);
    ASSERT_TRUE(t.apply(change));
    EXPECT_EQ(
        t.at(top + 1, left).glyph + t.at(top + 1, left + 5).glyph + t.at(top + 1, left + 6).glyph,
        ">4 ");
}

TEST(TermFrame, TheWorstFrameFitsItsBuffer) {
    // Every dot differs from its neighbours: the most colour changes.
    Stream checker =
        command(cmd::define_glyph, {0, 0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A});
    checker.insert(checker.end(), screen_cells, 0);
    TermFrame frame;
    term_frame_init(&frame);
    Terminal t(term_full_columns, term_needed_rows);
    const LcdModel m = model_after(checker);
    const std::string bytes = build(frame, m, term_full_columns, term_needed_rows);
    EXPECT_LT(bytes.size(), sizeof frame.bytes);
    ASSERT_TRUE(t.apply(bytes));
    EXPECT_TRUE(shows(t, m, false));
}

}  // namespace
