// The terminal picture, read back through a small interpreter of the
// escape sequences the frame uses: every dot must show in its colour, in
// the full and the compact layout, after whole frames and after frames that
// send only what changed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lcdemu/term_frame.h"
#include "screen_reading.h"
#include "support/model_support.h"

namespace {

const char* const no_status[term_status_lines] = {"", ""};

std::string build(TermFrame& frame, const LcdModel& m, int columns, int rows, bool compact = false,
                  const char* const status[term_status_lines] = no_status,
                  bool cursor_shown = true) {
    const size_t n = term_frame_build(&frame, m, picture_palettes[0], cursor_shown, compact,
                                      columns, rows, status);
    return std::string(frame.bytes, n);
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
    EXPECT_TRUE(shows(t, m, TermLayout::full));
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
    EXPECT_FALSE(shows(t, m, TermLayout::full));  // not yet
    ASSERT_TRUE(t.apply(change));
    EXPECT_TRUE(shows(t, m, TermLayout::full));
    // A glyph redefined shows in every cell that holds it.
    feed(m, join({command(cmd::define_glyph, {1}), Stream(8, 0x1F)}));
    ASSERT_TRUE(t.apply(build(frame, m, 140, 40)));
    EXPECT_TRUE(shows(t, m, TermLayout::full));
}

TEST(TermFrame, NewColoursOrANewSizeRedrawTheWhole) {
    TermFrame frame;
    term_frame_init(&frame);
    LcdModel m = busy_model();
    build(frame, m, 140, 40);
    feed(m, command(cmd::backlight_off));
    Terminal t(140, 40);
    ASSERT_TRUE(t.apply(build(frame, m, 140, 40)));  // applied to a blank terminal
    EXPECT_TRUE(shows(t, m, TermLayout::full));
    Terminal wider(200, 50);
    ASSERT_TRUE(wider.apply(build(frame, m, 200, 50)));
    EXPECT_TRUE(shows(wider, m, TermLayout::full));
}

TEST(TermFrame, NarrowTerminalsGetTheCompactPictureWithEveryDot) {
    EXPECT_EQ(term_frame_layout(123, 22, false), TermLayout::full);
    EXPECT_EQ(term_frame_layout(122, 22, false), TermLayout::compact);
    EXPECT_EQ(term_frame_layout(123, 21, false), TermLayout::compact);
    EXPECT_EQ(term_frame_layout(200, 60, true), TermLayout::compact);
    EXPECT_EQ(term_frame_layout(62, 12, false), TermLayout::compact);
    EXPECT_EQ(term_frame_layout(61, 12, false), TermLayout::compact_pixels);
    EXPECT_EQ(term_frame_layout(62, 11, false), TermLayout::compact_pixels);
    EXPECT_EQ(term_frame_layout(50, 10, true), TermLayout::compact_pixels);
    EXPECT_EQ(term_frame_layout(49, 60, false), TermLayout::too_small);
    EXPECT_EQ(term_frame_layout(200, 9, false), TermLayout::too_small);

    // 80 and 120 columns: the gaps and margin too; 56: the pixels alone.
    struct Size {
        int columns, rows;
        TermLayout layout;
    };
    for (const Size& size : {Size{80, 24, TermLayout::compact}, Size{120, 40, TermLayout::compact},
                             Size{56, 12, TermLayout::compact_pixels}}) {
        TermFrame frame;
        term_frame_init(&frame);
        Terminal t(size.columns, size.rows);
        LcdModel m = busy_model();
        ASSERT_TRUE(t.apply(build(frame, m, size.columns, size.rows)));
        EXPECT_EQ(frame.layout, size.layout) << size.columns;
        EXPECT_TRUE(shows(t, m, size.layout)) << size.columns;
        // Later frames: only what changed, and still every dot.
        feed(m, join({text("more"), command(cmd::define_glyph, {1}), Stream(8, 0x0E)}));
        const std::string change = build(frame, m, size.columns, size.rows);
        EXPECT_LT(change.size(), 2000u) << size.columns;
        ASSERT_TRUE(t.apply(change));
        EXPECT_TRUE(shows(t, m, size.layout)) << size.columns;
    }
}

TEST(TermFrame, ATerminalTooSmallIsToldHowBigItMustBeInWholeWords) {
    for (int columns : {40, 17, 9}) {
        TermFrame frame;
        term_frame_init(&frame);
        Terminal t(columns, 30);
        ASSERT_TRUE(t.apply(build(frame, busy_model(), columns, 30)));
        std::string shown;
        std::vector<std::string> lines;
        for (int row = 0; row < t.rows; ++row) {
            std::string line;
            for (int c = 0; c < columns; ++c) line += t.at(row, c).glyph;
            line.erase(line.find_last_not_of(' ') + 1);
            if (!line.empty()) lines.push_back(line);
            shown += line + " ";
        }
        for (const char* words : {"50x10", "62x12", "123x22", "full picture"})
            EXPECT_NE(shown.find(words), std::string::npos) << shown;
        EXPECT_NE(shown.find(std::to_string(columns) + "x30."), std::string::npos) << shown;
        // No word is broken across lines: each line ends where a word does.
        const std::string message =
            "lcdemu needs a terminal of at least 50x10 (62x12 to show the gaps between cells, "
            "123x22 for the full picture); this one is " +
            std::to_string(columns) + "x30.";
        std::string joined;
        for (const std::string& line : lines) joined += (joined.empty() ? "" : " ") + line;
        EXPECT_EQ(joined, message) << columns;
    }
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
    EXPECT_TRUE(shows(t, m, TermLayout::full));
}

}  // namespace
