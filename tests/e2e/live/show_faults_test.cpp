// The real show on a pty of our own, read at the link's pace as a display
// would read it, while something goes wrong: the display hangs up, holds
// the line with XOFF, the music file disappears, the console is closed or
// its reader goes away. The show must go on in step with the wall clock and
// never put a stray or broken packet on the wire.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "display/commands.h"
#include "display/display_link.h"
#include "run_program.h"
#include "scenes/big_scroller.h"

namespace {

using Wire = std::vector<unsigned char>;

constexpr const char* music_path = LIVE_MUSIC;
constexpr long link_bytes_per_second = 5760;  // 57600 baud, ten bits a byte
constexpr int port_number = 7;
constexpr int pump_step_ms = 5;
constexpr int32_t show_end_position_ms = 202000;
constexpr int32_t big_scroller_a_start_ms = 22000;  // timeline row 2
constexpr unsigned char xoff = 0x13;                // the line's default stop and start
constexpr unsigned char xon = 0x11;
constexpr int xoff_hold_ms = 2000;

long now_ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

// What the show sent, taken apart: it must be the start-up string and the
// clear, then only glyph definitions and whole frames. `error` names the
// first byte that is neither.
struct ShowStream {
    std::vector<std::string> frames;  // 80 cells each
    size_t glyph_definitions = 0;
    size_t tail_bytes = 0;  // a last packet cut short by the end of the run
    std::string error;
};

ShowStream parse_show_stream(const Wire& wire) {
    ShowStream stream;
    // clang-format off
    const Wire opening = {
        cmd::prefix, cmd::clear_screen,
        cmd::prefix, cmd::cursor_home,
        cmd::prefix, cmd::wrap_off,
        cmd::prefix, cmd::set_contrast, 120,
        cmd::prefix, cmd::set_brightness, 255,
        cmd::prefix, cmd::keypad_debounce, 8,
        cmd::prefix, cmd::keypad_repeat_on, 1,
        cmd::prefix, cmd::key_transmit_off,
        cmd::prefix, cmd::clear_screen,  // after the start-up pause
    };
    // clang-format on
    if (wire.size() < opening.size() || !std::equal(opening.begin(), opening.end(), wire.begin())) {
        stream.error = "the stream does not open with the start-up string and a clear";
        return stream;
    }
    size_t at = opening.size();
    auto fail = [&](const char* what) {
        stream.error = "byte " + std::to_string(at) + ": " + what;
        return stream;
    };
    while (at < wire.size()) {
        const size_t left = wire.size() - at;
        if (wire[at] != cmd::prefix) return fail("not a command");
        if (left >= 2 && wire[at + 1] == cmd::define_glyph) {
            if (left < define_glyph_bytes) break;
            if (wire[at + 2] >= glyph_count) return fail("glyph code out of range");
            ++stream.glyph_definitions;
            at += define_glyph_bytes;
            continue;
        }
        if (left >= 2 && wire[at + 1] != cmd::cursor_to) return fail("unexpected command");
        if (left < frame_bytes) break;
        std::string cells;
        for (int row = 0; row < screen_rows; ++row) {
            const size_t block = at + static_cast<size_t>(row * frame_row_bytes);
            if (wire[block] != cmd::prefix || wire[block + 1] != cmd::cursor_to ||
                wire[block + 2] != 1 || wire[block + 3] != row + 1)
                return fail("broken frame");
            for (int column = 0; column < screen_columns; ++column) {
                const unsigned char cell = wire[block + cursor_to_bytes + column];
                if (cell == cmd::prefix) return fail("prefix byte in a frame's cells");
                cells += static_cast<char>(cell);
            }
        }
        stream.frames.push_back(cells);
        at += frame_bytes;
    }
    stream.tail_bytes = wire.size() - at;
    return stream;
}

// The show's position lines (one a turn, before its frame) in its console.
std::vector<int32_t> position_lines(const std::string& console) {
    std::vector<int32_t> positions;
    size_t at = 0;
    while (at < console.size()) {
        size_t end = console.find('\n', at);
        if (end == std::string::npos) break;  // a line still being written
        const std::string line = console.substr(at, end - at);
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
            positions.push_back(static_cast<int32_t>(std::stol(line)));
        at = end + 1;
    }
    return positions;
}

bool still_running(pid_t pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

// The show on a fresh pty, in a directory of its own holding a copy of the
// composed track, with the silent audio back end.
class LiveShow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (access(music_path, R_OK) != 0) GTEST_SKIP() << music_path << " is missing";
        directory = make_directory();
        ASSERT_FALSE(directory.empty());
        std::filesystem::copy_file(music_path, directory + "/starglow.mp3");
        pty = open_pty();
        ASSERT_GE(pty.master, 0);
    }
    void TearDown() override {
        if (child.pid > 0 && still_running(child.pid)) kill(child.pid, SIGKILL);
        if (child.pid > 0) finish_child(child, 5000);
        close_pty(pty);
        remove_directory(directory);
    }

    // The one line a run that opened its port has for standard error.
    std::string opened_line() const {
        return "starglow: port " + std::to_string(port_number) + " is " + pty.slave_path +
               "; the show plays there\n";
    }
    std::vector<std::string> environment() const {
        return {"STARGLOW_COM" + std::to_string(port_number) + "=" + pty.slave_path,
                "STARGLOW_AUDIO=silent"};
    }
    void start() {
        child =
            start_program({STARGLOW_BIN, std::to_string(port_number)}, environment(), directory);
        ASSERT_GT(child.pid, 0);
        started_ms = now_ms();
    }

    // Reads the show's console and the pty (at the link's pace, unless
    // `paced` is off), for `duration_ms` or until `until` holds.
    template <typename Until>
    void pump(int duration_ms, Until until) {
        const long end = now_ms() + duration_ms;
        unsigned char buffer[4096];
        while (now_ms() < end && !until()) {
            if (child.out >= 0 || child.err >= 0) read_child(child, 0, 0);
            if (pty.master >= 0) {
                const long allowed = paced
                                         ? (now_ms() - started_ms) * link_bytes_per_second / 1000 -
                                               static_cast<long>(wire.size())
                                         : static_cast<long>(sizeof buffer);
                const size_t want = static_cast<size_t>(allowed < static_cast<long>(sizeof buffer)
                                                            ? (allowed > 0 ? allowed : 0)
                                                            : static_cast<long>(sizeof buffer));
                // EIO until the show has opened its side: nothing to read yet.
                const ssize_t n = want > 0 ? read(pty.master, buffer, want) : 0;
                if (n > 0) wire.insert(wire.end(), buffer, buffer + n);
            }
            pollfd nothing{-1, 0, 0};
            poll(&nothing, 1, pump_step_ms);
        }
    }
    void pump(int duration_ms) {
        pump(duration_ms, [] { return false; });
    }
    // Everything still waiting on the pty, at once.
    void drain_pty() {
        unsigned char buffer[65536];
        ssize_t n;
        while ((n = read(pty.master, buffer, sizeof buffer)) > 0)
            wire.insert(wire.end(), buffer, buffer + n);
    }
    // Ends a show that is still running, and reads what it left.
    void stop() {
        ASSERT_TRUE(still_running(child.pid)) << child.errors;
        kill(child.pid, SIGTERM);
        finish_child(child, 5000);
        child.pid = -1;
        drain_pty();
    }

    std::string directory;
    Pty pty;
    Child child;
    Wire wire;
    long started_ms = 0;
    bool paced = true;
};

// The display side goes away (a USB adapter pulled, the emulator closed):
// every write fails at once from then on, and the show goes on to its end
// mark at the pace the link would have had, then exits 0.
TEST_F(LiveShow, DisplayHungUpMidShowRunsOnToTheEndMark) {
    start();
    pump(3000);
    close_pty(pty);
    const size_t lines_before = position_lines(child.output).size();
    const long hung_up_ms = now_ms();
    const int status = finish_child(child, 240000);
    const long after_ms = now_ms() - hung_up_ms;
    child.pid = -1;
    EXPECT_EQ(status, 0) << child.errors;
    const std::vector<int32_t> positions = position_lines(child.output);
    ASSERT_GT(positions.size(), lines_before);
    EXPECT_GT(positions.back(), show_end_position_ms);
    // The show's clock kept to the wall clock, and each failed write took
    // the time its bytes would have taken: about the link's rate of turns
    // (96 to 184 bytes each), neither spinning nor stalling.
    EXPECT_NEAR(after_ms, show_end_position_ms - positions[lines_before], 1000);
    const double turns_per_second =
        static_cast<double>(positions.size() - lines_before) * 1000.0 / after_ms;
    EXPECT_GT(turns_per_second, link_bytes_per_second / 184.0 * 0.8);
    EXPECT_LT(turns_per_second, link_bytes_per_second / 96.0 * 1.05);
}

// The display stops the line with XOFF for two seconds: the show's write
// waits, nothing is lost, and when the line is released the show goes on
// with the scene that the wall clock calls for, not one two seconds late.
TEST_F(LiveShow, HeldByXoffForTwoSecondsLosesNothingAndKeepsToTheWallClock) {
    start();
    // Two seconds into the first big-text scroller, which moves a column
    // every 58 ms: a late clock would show the text far from where it is.
    const int32_t stop_at_ms = big_scroller_a_start_ms + 2000;
    auto reached = [&](int32_t ms) {
        return [&, ms] {
            const std::vector<int32_t> p = position_lines(child.output);
            return !p.empty() && p.back() >= ms;
        };
    };
    // Read at the link's pace a pty runs its writer in bursts: it fills
    // some kilobytes, then waits until most are read. From a second before
    // the hold on, the pty is read as fast as the show writes, so that the
    // hold is the only pause.
    pump(40000, reached(stop_at_ms - 1000));
    paced = false;
    pump(5000, reached(stop_at_ms));
    ASSERT_EQ(write(pty.master, &xoff, 1), 1);
    pump(xoff_hold_ms);
    ASSERT_EQ(write(pty.master, &xon, 1), 1);
    pump(500);
    stop();

    const std::vector<int32_t> positions = position_lines(child.output);
    const ShowStream stream = parse_show_stream(wire);
    ASSERT_EQ(stream.error, "");
    // One frame a turn, every one whole (the last may have been cut short).
    EXPECT_GE(stream.frames.size() + 1, positions.size());
    EXPECT_LE(stream.frames.size(), positions.size());
    // The one long pause between two turns once the pty was read freely is
    // the hold.
    size_t resumed = 0;
    for (size_t k = 1; k < positions.size(); ++k) {
        if (positions[k - 1] < stop_at_ms - 500 || positions[k] - positions[k - 1] < 500) continue;
        EXPECT_EQ(resumed, 0u) << "a second pause at " << positions[k - 1];
        resumed = k;
    }
    ASSERT_GT(resumed, 0u) << "the show never paused";
    const int32_t paused_ms = positions[resumed] - positions[resumed - 1];
    EXPECT_GE(paused_ms, xoff_hold_ms - 100);
    EXPECT_LT(paused_ms, xoff_hold_ms + 1000);
    ASSERT_GT(stream.frames.size(), resumed + 60) << "the show did not go on";
    // The first frame after the hold is the scroller at the wall clock
    // (within the millisecond the position and the clock may differ by),
    // and not at the clock of the turn before the hold.
    auto scroller_at = [](int32_t t) {
        Screen screen{};
        big_scroller_a_update(t, screen);
        return std::string(reinterpret_cast<const char*>(screen.cells), screen_cells);
    };
    auto shown_near = [&](int32_t clock_ms) {
        for (int32_t t = clock_ms - 3; t <= clock_ms + 1; ++t)
            if (stream.frames[resumed] == scroller_at(t - big_scroller_a_start_ms)) return true;
        return false;
    };
    EXPECT_TRUE(shown_near(positions[resumed]));
    EXPECT_FALSE(shown_near(positions[resumed - 1]));
}

// The track is decoded whole at start-up: taking the file away afterwards
// changes nothing.
TEST_F(LiveShow, MusicFileRemovedAfterStartUpChangesNothing) {
    start();
    pump(10000, [&] { return !position_lines(child.output).empty(); });
    ASSERT_EQ(unlink((directory + "/starglow.mp3").c_str()), 0);
    // Four more seconds of turns on the wall clock.
    pump(10000, [&] {
        const std::vector<int32_t> p = position_lines(child.output);
        return p.back() >= 4000;
    });
    stop();
    EXPECT_GE(position_lines(child.output).back(), 4000);
    EXPECT_EQ(child.errors, opened_line());
    const ShowStream stream = parse_show_stream(wire);
    EXPECT_EQ(stream.error, "");
    EXPECT_GT(stream.frames.size(), 100u);
}

// Started with standard output closed (`starglow 7 >&-`): the port must
// not take its place, or the position lines would go to the display.
TEST_F(LiveShow, ClosedStandardOutputKeepsPositionLinesOffTheWire) {
    int errors[2];
    ASSERT_EQ(pipe2(errors, O_CLOEXEC), 0);
    const std::vector<std::string> settings = environment();
    child.pid = fork();
    if (child.pid == 0) {
        close(STDOUT_FILENO);
        dup2(errors[1], STDERR_FILENO);
        if (chdir(directory.c_str()) != 0) _exit(127);
        for (const std::string& setting : settings) putenv(strdup(setting.c_str()));
        const std::string port = std::to_string(port_number);
        execl(STARGLOW_BIN, STARGLOW_BIN, port.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(errors[1]);
    child.err = errors[0];
    fcntl(child.err, F_SETFL, O_NONBLOCK);
    child.out = open("/dev/null", O_RDONLY | O_CLOEXEC);
    started_ms = now_ms();
    pump(3000);
    stop();
    const ShowStream stream = parse_show_stream(wire);
    EXPECT_EQ(stream.error, "");
    EXPECT_GT(stream.frames.size(), 100u);
    EXPECT_EQ(child.errors, opened_line());
}

// Whoever read the console (`starglow 7 | head`) has gone: each position
// line then fails (EPIPE, the signal being ignored), and the show, whose
// audience is the display, goes on. The pty is read as fast as the show
// writes, so that what arrives is what it writes now, not what a pty
// buffered earlier.
TEST_F(LiveShow, ConsoleReaderGoneLeavesTheShowRunning) {
    paced = false;
    start();
    pump(10000, [&] { return position_lines(child.output).size() >= 10; });
    close(child.out);
    child.out = -1;
    const size_t before = wire.size();
    pump(3000);
    stop();
    const ShowStream stream = parse_show_stream(wire);
    EXPECT_EQ(stream.error, "");
    // Three more seconds of frames.
    EXPECT_GT(wire.size() - before, static_cast<size_t>(link_bytes_per_second * 3));
    EXPECT_EQ(child.errors, opened_line());
}

}  // namespace
