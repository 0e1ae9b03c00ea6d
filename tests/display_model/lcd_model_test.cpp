// The display model, command by command: argument lengths (however the
// bytes are split), what each command does, and the edges of the cursor.
#include <gtest/gtest.h>

#include <cstring>

#include "display_model/char_rom.h"
#include "display_model/lcd_bars.h"
#include "support/model_support.h"

namespace {

// Every command the model knows, with its argument count as the module's
// command set gives it.
struct KnownCommand {
    uint8_t code;
    int arguments;
};
constexpr KnownCommand known_commands[] = {
    {cmd::clear_screen, 0},
    {cmd::cursor_home, 0},
    {cmd::cursor_to, 2},
    {cmd::cursor_left, 0},
    {cmd::cursor_right, 0},
    {cmd::underline_on, 0},
    {cmd::underline_off, 0},
    {cmd::block_on, 0},
    {cmd::block_off, 0},
    {cmd::wrap_on, 0},
    {cmd::wrap_off, 0},
    {cmd::autoscroll_on, 0},
    {cmd::autoscroll_off, 0},
    {cmd::define_glyph, 9},
    {cmd::backlight_on, 1},
    {cmd::backlight_off, 0},
    {cmd::set_brightness, 1},
    {cmd::save_brightness, 1},
    {cmd::set_contrast, 1},
    {cmd::save_contrast, 1},
    {cmd::gpo_on, 0},
    {cmd::gpo_off, 0},
    {cmd::key_transmit_on, 0},
    {cmd::key_transmit_off, 0},
    {cmd::keypad_debounce, 1},
    {cmd::keypad_repeat_on, 1},
    {cmd::keypad_repeat_off, 0},
    {cmd::keypad_poll, 0},
    {cmd::keypad_clear, 0},
    {cmd::load_horizontal_bars, 0},
    {cmd::load_narrow_vertical_bars, 0},
    {cmd::load_wide_vertical_bars, 0},
    {cmd::load_big_digits, 0},
    {cmd::horizontal_bar, 4},
    {cmd::vertical_bar, 2},
    {cmd::big_digit, 2},
    {cmd::set_baud_rate, 1},
    {cmd::flow_control_on, 2},
    {cmd::flow_control_off, 0},
    {cmd::set_startup_screen, 80},
    {cmd::set_remember, 1},
    {cmd::load_glyph_bank, 1},
    {cmd::save_glyph_to_bank, 10},
    {cmd::save_startup_glyph, 9},
    {cmd::set_serial_number, 2},
    {cmd::set_bus_address, 1},
    {cmd::read_module_type, 0},
    {cmd::read_firmware_version, 0},
    {cmd::read_serial_number, 0},
};

// A command with `arguments` bytes of 'A', then "cursor to 1,1" and 'Q':
// when the model takes exactly the right number of bytes, 'Q' lands in the
// first cell and no 'A' is ever shown.
Stream probe_for(const KnownCommand& c) {
    Stream s = {cmd::prefix, c.code};
    s.insert(s.end(), static_cast<size_t>(c.arguments), 'A');
    return join({s, command(cmd::cursor_to, {1, 1}), text("Q")});
}

void expect_probe_result(const LcdModel& m, const KnownCommand& c, const char* how) {
    SCOPED_TRACE(std::string(lcd_command_name(c.code)) + ", fed " + how);
    EXPECT_EQ(m.counters.commands[c.code], c.code == cmd::cursor_to ? 2u : 1u);  // the probe's own
    EXPECT_EQ(m.counters.unknown_bytes, 0u);
    EXPECT_EQ(m.cells[0], 'Q');
    EXPECT_EQ(m.cursor_column, 1);
    EXPECT_EQ(std::memchr(m.cells, 'A', sizeof m.cells), nullptr);
}

TEST(LcdModel, EveryCommandTakesItsArgumentsWhereverTheBytesAreSplit) {
    for (const KnownCommand& c : known_commands) {
        EXPECT_EQ(lcd_command_arguments(c.code), c.arguments) << lcd_command_name(c.code);
        const Stream probe = probe_for(c);
        expect_probe_result(model_after(probe), c, "whole");
        for (size_t split = 1; split < probe.size(); ++split) {
            LcdModel m;
            lcd_model_init(&m);
            lcd_model_feed(&m, probe.data(), split);
            lcd_model_feed(&m, probe.data() + split, probe.size() - split);
            expect_probe_result(m, c, ("split at " + std::to_string(split)).c_str());
        }
        LcdModel m;
        lcd_model_init(&m);
        for (uint8_t byte : probe) lcd_model_feed(&m, &byte, 1);
        expect_probe_result(m, c, "byte by byte");
    }
}

TEST(LcdModel, AWholeSessionEndsTheSameHoweverItIsChunked) {
    Stream session;
    for (const KnownCommand& c : known_commands) {
        const Stream probe = probe_for(c);
        session.insert(session.end(), probe.begin(), probe.end());
        const Stream words = text(" text between commands ");
        session.insert(session.end(), words.begin(), words.end());
    }
    const std::vector<uint8_t> whole = model_state(model_after(session));
    for (size_t chunk = 1; chunk <= 97; chunk += 4) {
        LcdModel m;
        lcd_model_init(&m);
        for (size_t at = 0; at < session.size(); at += chunk)
            lcd_model_feed(&m, session.data() + at, std::min(chunk, session.size() - at));
        EXPECT_EQ(model_state(m), whole) << "chunks of " << chunk;
    }
}

TEST(LcdModel, UnknownCommandBytesAreCountedAndSkipped) {
    LcdModel m = model_after(join({command(0x01), text("Z"), command(cmd::prefix), text("Y")}));
    EXPECT_EQ(m.counters.unknown_bytes, 2u);
    EXPECT_EQ(screen_row(m, 0).substr(0, 2), "ZY");
    // A prefix at the very end waits for its command byte.
    m = model_after(Stream{cmd::prefix});
    EXPECT_TRUE(m.after_prefix);
    feed(m, Stream{cmd::clear_screen});
    EXPECT_EQ(m.counters.commands[cmd::clear_screen], 1u);
}

TEST(LcdModel, CursorPositionsAreClampedIntoTheScreen) {
    struct Case {
        int column, row, want_column, want_row;
    };
    for (const Case& c : {Case{1, 1, 0, 0}, Case{20, 4, 19, 3}, Case{0, 0, 0, 0},
                          Case{21, 5, 19, 3}, Case{255, 255, 19, 3}, Case{7, 3, 6, 2}}) {
        const LcdModel m = model_after(command(cmd::cursor_to, {c.column, c.row}));
        EXPECT_EQ(m.cursor_column, c.want_column) << c.column << "," << c.row;
        EXPECT_EQ(m.cursor_row, c.want_row) << c.column << "," << c.row;
    }
}

TEST(LcdModel, ClearHomeAndFormFeed) {
    LcdModel m = model_after(join({text("hello"), command(cmd::cursor_home), text("J")}));
    EXPECT_EQ(screen_row(m, 0).substr(0, 5), "Jello");
    feed(m, command(cmd::clear_screen));
    EXPECT_EQ(screen_row(m, 0), std::string(20, ' '));
    EXPECT_EQ(m.cursor_column, 0);
    feed(m, join({text("abc"), Stream{cmd::form_feed}, text("x")}));
    EXPECT_EQ(screen_row(m, 0), "x" + std::string(19, ' '));
    EXPECT_EQ(m.counters.form_feeds, 1u);
}

TEST(LcdModel, TextWrapsOntoTheNextRowWhenWrapIsOn) {
    LcdModel m = model_after(join({command(cmd::wrap_on), text("abcdefghijklmnopqrstUV")}));
    EXPECT_EQ(screen_row(m, 0), "abcdefghijklmnopqrst");
    EXPECT_EQ(screen_row(m, 1).substr(0, 2), "UV");
    // A full screen stays in view: the move past its end waits for the next
    // character.
    m = model_after(join({command(cmd::wrap_on), text(std::string(80, 'x'))}));
    EXPECT_EQ(screen_row(m, 0), std::string(20, 'x'));
    EXPECT_EQ(screen_row(m, 3), std::string(20, 'x'));
    EXPECT_EQ(m.cursor_row, 3);
    EXPECT_EQ(m.cursor_column, screen_columns);
}

// With wrap off, text runs on in the controller's display memory, whose
// rows follow each other in the order 1, 3, 2, 4.
TEST(LcdModel, TextPastTheEndFollowsTheDisplayMemoryWhenWrapIsOff) {
    Stream rows;
    for (char c : std::string("ABCD")) {
        const Stream row = text(std::string(20, c));
        rows.insert(rows.end(), row.begin(), row.end());
    }
    LcdModel m = model_after(join({command(cmd::wrap_off), rows}));
    EXPECT_EQ(screen_row(m, 0), std::string(20, 'A'));
    EXPECT_EQ(screen_row(m, 1), std::string(20, 'C'));
    EXPECT_EQ(screen_row(m, 2), std::string(20, 'B'));
    EXPECT_EQ(screen_row(m, 3), std::string(20, 'D'));
    // Past row 4 it starts again at the top left.
    feed(m, text("E"));
    EXPECT_EQ(screen_row(m, 0), "E" + std::string(19, 'A'));
    // From a position in the middle, too.
    m = model_after(join({command(cmd::wrap_off), command(cmd::cursor_to, {19, 2}), text("xyz")}));
    EXPECT_EQ(screen_row(m, 1).substr(18), "xy");
    EXPECT_EQ(screen_row(m, 3)[0], 'z');
}

TEST(LcdModel, AutoscrollMovesTheScreenUpOrTheTextBackToTheTop) {
    Stream rows;
    for (char c : std::string("ABCD")) {
        const Stream row = text(std::string(20, c));
        rows.insert(rows.end(), row.begin(), row.end());
    }
    const Stream wrap_and_scroll = join({command(cmd::wrap_on), command(cmd::autoscroll_on)});
    LcdModel m = model_after(join({wrap_and_scroll, rows, text("E")}));
    EXPECT_EQ(screen_row(m, 0), std::string(20, 'B'));
    EXPECT_EQ(screen_row(m, 2), std::string(20, 'D'));
    EXPECT_EQ(screen_row(m, 3), "E" + std::string(19, ' '));

    m = model_after(join({command(cmd::wrap_on), command(cmd::autoscroll_off), rows, text("E")}));
    EXPECT_EQ(screen_row(m, 0), "E" + std::string(19, 'A'));
    EXPECT_EQ(screen_row(m, 3), std::string(20, 'D'));

    // Without wrap the scroll comes at the end of row 4 as well, the last
    // row of the display memory.
    m = model_after(join({command(cmd::wrap_off), command(cmd::autoscroll_on), rows, text("E")}));
    EXPECT_EQ(screen_row(m, 0), std::string(20, 'C'));
    EXPECT_EQ(screen_row(m, 1), std::string(20, 'B'));
    EXPECT_EQ(screen_row(m, 3), "E" + std::string(19, ' '));
}

TEST(LcdModel, PowerOnStateIsTheModulesDefaults) {
    const LcdModel m = model_after({});
    EXPECT_FALSE(m.wrap);
    EXPECT_FALSE(m.autoscroll);
    EXPECT_FALSE(m.underline_cursor);
    EXPECT_FALSE(m.block_cursor);
    EXPECT_TRUE(m.backlight);
    EXPECT_EQ(m.brightness, 255);
    EXPECT_EQ(m.gpo, 0);
    EXPECT_EQ(screen_row(m, 0), std::string(20, ' '));
}

TEST(LcdModel, CursorStepsGoRoundTheScreen) {
    LcdModel m = model_after(command(cmd::cursor_left));
    EXPECT_EQ(m.cursor_row, 3);
    EXPECT_EQ(m.cursor_column, 19);
    feed(m, command(cmd::cursor_right));
    EXPECT_EQ(m.cursor_row, 0);
    EXPECT_EQ(m.cursor_column, 0);
    feed(m, join({command(cmd::cursor_to, {20, 1}), command(cmd::cursor_right)}));
    EXPECT_EQ(m.cursor_row, 1);
    EXPECT_EQ(m.cursor_column, 0);
    // From one past the end of a row, left lands on its last cell.
    m = model_after(join({text(std::string(20, 'x')), command(cmd::cursor_left)}));
    EXPECT_EQ(m.cursor_row, 0);
    EXPECT_EQ(m.cursor_column, 19);
}

TEST(LcdModel, RedefiningAGlyphChangesTheCellsAlreadyShowingIt) {
    LcdModel m = model_after(join({command(cmd::cursor_to, {5, 2}), Stream{3, 11}}));
    EXPECT_EQ(lcd_cell_glyph(3), 3);
    EXPECT_EQ(lcd_cell_glyph(11), 3);  // codes 8 to 31 mirror the glyphs
    EXPECT_EQ(lcd_cell_glyph('A'), -1);
    const uint8_t rows[8] = {0xFF, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x1F, 0xE0};
    feed(m, join({command(cmd::define_glyph, {3}), Stream(rows, rows + 8)}));
    for (int column : {4, 5}) {
        const uint8_t* shown = lcd_cell_rows(m, m.cells[cell_index(1, column)]);
        EXPECT_EQ(std::memcmp(shown, rows, 8), 0) << "column " << column;  // kept as received
    }
    // A code of 8 and up in the define command names the same glyph.
    feed(m, join({command(cmd::define_glyph, {8 + 3}), Stream(8, 0x15)}));
    EXPECT_EQ(lcd_cell_rows(m, 3)[0], 0x15);
    EXPECT_EQ(m.counters.glyph_definitions, 2u);
}

TEST(LcdModel, BuiltInCharactersComeFromTheRom) {
    const LcdModel m = model_after(text("A"));
    EXPECT_EQ(lcd_cell_rows(m, 'A'), char_rom_rows('A'));
    EXPECT_EQ(char_rom_rows(0xFF)[0], glyph_row_mask);
    EXPECT_EQ(char_rom_rows(0x80)[3], 0);  // no picture: blank
    EXPECT_NE(char_rom_rows(0x7E)[3], 0);  // the right arrow's shaft
}

TEST(LcdModel, ReadBackQueriesAnswerAtOnce) {
    LcdModel m =
        model_after(join({command(cmd::read_module_type), command(cmd::read_firmware_version),
                          command(cmd::set_serial_number, {0x12, 0x34}),
                          command(cmd::read_serial_number), command(cmd::keypad_poll)}));
    uint8_t replies[8];
    ASSERT_EQ(lcd_model_take_replies(&m, replies, 8), 5);
    EXPECT_EQ(replies[0], 0x05);  // a 20x4
    EXPECT_EQ(replies[1], lcd_firmware_version);
    EXPECT_EQ(replies[2], 0x12);
    EXPECT_EQ(replies[3], 0x34);
    EXPECT_EQ(replies[4], lcd_no_key);
    EXPECT_EQ(lcd_model_take_replies(&m, replies, 8), 0);
}

TEST(LcdModel, RepliesNobodyTakesAreDroppedNotOverrun) {
    Stream queries;
    for (int i = 0; i < lcd_reply_capacity_bytes + 10; ++i) {
        const Stream q = command(cmd::read_module_type);
        queries.insert(queries.end(), q.begin(), q.end());
    }
    LcdModel m = model_after(queries);
    EXPECT_EQ(m.reply_count, lcd_reply_capacity_bytes);
    EXPECT_EQ(m.counters.replies_dropped, 10u);
    uint8_t half[lcd_reply_capacity_bytes / 2];
    EXPECT_EQ(lcd_model_take_replies(&m, half, sizeof half), static_cast<int>(sizeof half));
    EXPECT_EQ(m.reply_count, lcd_reply_capacity_bytes / 2);
}

TEST(LcdModel, SettingsCommands) {
    LcdModel m = model_after(join({command(cmd::backlight_off), command(cmd::set_brightness, {40}),
                                   command(cmd::save_contrast, {99}), command(cmd::gpo_on),
                                   command(cmd::underline_on), command(cmd::block_on)}));
    EXPECT_FALSE(m.backlight);
    EXPECT_EQ(m.brightness, 40);
    EXPECT_EQ(m.contrast, 99);
    EXPECT_EQ(m.gpo, 1);
    EXPECT_TRUE(m.underline_cursor);
    EXPECT_TRUE(m.block_cursor);
    feed(m, join({command(cmd::backlight_on, {5}), command(cmd::gpo_off),
                  command(cmd::save_brightness, {7})}));
    EXPECT_TRUE(m.backlight);
    EXPECT_EQ(m.backlight_minutes, 5);
    EXPECT_EQ(m.gpo, 0);
    EXPECT_EQ(m.brightness, 7);
}

// The output commands take no argument on this module: what follows them
// is the next command, as both LCDd and lcd4linux send it.
TEST(LcdModel, OutputCommandsAreFollowedByTheNextCommand) {
    const LcdModel m =
        model_after(join({command(cmd::gpo_off), command(cmd::underline_off), command(cmd::gpo_on),
                          Stream{cmd::form_feed}, text("ok")}));
    EXPECT_EQ(m.counters.commands[cmd::underline_off], 1u);
    EXPECT_EQ(m.counters.form_feeds, 1u);
    EXPECT_EQ(screen_row(m, 0), "ok" + std::string(18, ' '));
    EXPECT_EQ(m.gpo, 1);
}

// A client that leaves in the middle of a command: the rest of it never
// comes, so the next client's bytes must not be taken for its arguments.
TEST(LcdModel, TheEndOfAClientsInputDropsTheCommandItLeftUnfinished) {
    const uint8_t rows[8] = {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};
    for (const Stream& cut : {command(cmd::define_glyph, {3, 0x11, 0x11}), Stream{cmd::prefix},
                              command(cmd::cursor_to, {5})}) {
        LcdModel m = model_after(join(
            {command(cmd::define_glyph, {3}), Stream(rows, rows + 8), text("left over"), cut}));
        EXPECT_TRUE(lcd_model_end_input(&m));
        feed(m, join({command(cmd::clear_screen), text("B")}));
        EXPECT_EQ(screen_row(m, 0), "B" + std::string(19, ' '));
        EXPECT_EQ(lcd_cell_rows(m, 3)[1], 0x1F);  // the unfinished definition never applied
        EXPECT_EQ(m.counters.commands_dropped, 1u);
        EXPECT_FALSE(lcd_model_end_input(&m));  // nothing unfinished now
    }
}

TEST(LcdModel, ResetKeepsTheCountersInitClearsThem) {
    LcdModel m = model_after(join({text("xyz"), command(cmd::wrap_on)}));
    lcd_model_reset(&m);
    EXPECT_EQ(screen_row(m, 0), std::string(20, ' '));
    EXPECT_FALSE(m.wrap);
    EXPECT_EQ(m.counters.characters, 3u);
    lcd_model_init(&m);
    EXPECT_EQ(m.counters.characters, 0u);
}

TEST(LcdModel, AFrameIsCompleteWhenTheLastCellIsWritten) {
    Stream frame;
    for (int row = 1; row <= 4; ++row) {
        const Stream part =
            join({command(cmd::cursor_to, {1, row}), text(std::string(20, '0' + row))});
        frame.insert(frame.end(), part.begin(), part.end());
    }
    LcdModel m = model_after(frame);
    EXPECT_EQ(m.counters.frames_completed, 1u);
    feed(m, frame);
    EXPECT_EQ(m.counters.frames_completed, 2u);
    EXPECT_EQ(screen_row(m, 3), std::string(20, '4'));
}

TEST(LcdModel, HorizontalBarsUseTheLoadedSet) {
    LcdModel m = model_after(
        join({command(cmd::load_horizontal_bars), command(cmd::horizontal_bar, {1, 1, 0, 12}),
              command(cmd::horizontal_bar, {20, 2, 1, 7})}));
    EXPECT_EQ(m.bar_style, LcdBarStyle::horizontal);
    EXPECT_EQ(m.cells[cell_index(0, 0)], char_rom_block_code);
    EXPECT_EQ(m.cells[cell_index(0, 1)], char_rom_block_code);
    EXPECT_EQ(m.cells[cell_index(0, 2)], 1);  // two columns from the left
    EXPECT_EQ(m.cells[cell_index(0, 3)], ' ');
    EXPECT_EQ(lcd_cell_rows(m, 1)[0], 0x18);
    EXPECT_EQ(m.cells[cell_index(1, 19)], char_rom_block_code);
    EXPECT_EQ(m.cells[cell_index(1, 18)], 5);  // two columns from the right
    EXPECT_EQ(lcd_cell_rows(m, 5)[0], 0x03);
    // Longer than the row: clipped at its end, nothing written beyond it.
    feed(m, command(cmd::horizontal_bar, {19, 3, 0, 255}));
    EXPECT_EQ(m.cells[cell_index(2, 19)], char_rom_block_code);
    EXPECT_EQ(m.cells[cell_index(3, 0)], ' ');
}

TEST(LcdModel, VerticalBarsRedrawTheirColumn) {
    LcdModel m = model_after(
        join({command(cmd::load_wide_vertical_bars), command(cmd::vertical_bar, {3, 13})}));
    EXPECT_EQ(m.cells[cell_index(3, 2)], char_rom_block_code);
    EXPECT_EQ(m.cells[cell_index(2, 2)], 4);  // five pixel rows
    EXPECT_EQ(m.cells[cell_index(1, 2)], ' ');
    feed(m, join({command(cmd::load_narrow_vertical_bars), command(cmd::vertical_bar, {3, 200})}));
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(m.cells[cell_index(row, 2)], 7);  // the narrow full cell
    feed(m, command(cmd::vertical_bar, {3, 0}));
    for (int row = 0; row < 4; ++row) EXPECT_EQ(m.cells[cell_index(row, 2)], ' ');
}

TEST(LcdModel, BigDigitsAreThreeCellsWide) {
    LcdModel m =
        model_after(join({command(cmd::load_big_digits), command(cmd::big_digit, {1, 8}),
                          command(cmd::big_digit, {30, 1}), command(cmd::big_digit, {5, 12})}));
    const uint8_t block = char_rom_block_code;
    EXPECT_EQ(Stream(m.cells, m.cells + 3), (Stream{block, 0, block}));  // top strip between
    EXPECT_EQ(Stream(m.cells + cell_index(3, 0), m.cells + cell_index(3, 3)),
              (Stream{block, 1, block}));
    // Column clamped so the digit fits; digit 12 draws nothing.
    EXPECT_EQ(Stream(m.cells + cell_index(0, 17), m.cells + cell_index(0, 20)),
              (Stream{0, block, ' '}));
    EXPECT_EQ(screen_row(m, 1).substr(3, 14), std::string(14, ' '));
    // The cursor is left after the bottom row of the last digit drawn: the
    // one clamped to column 18, whose bottom row ends the screen's.
    EXPECT_EQ(m.cursor_row, 3);
    EXPECT_EQ(m.cursor_column, screen_columns);
    feed(m, join({command(cmd::big_digit, {2, 7}), text("x")}));
    EXPECT_EQ(screen_row(m, 3)[4], 'x');
}

}  // namespace
