// What a person sees of lcdemu in a terminal of a given size (a real pty):
// every dot of the display in the compact picture of 80- and 120-column
// terminals, a too-small terminal told so in whole words, and a client's
// notices kept in view while it runs and summed up when lcdemu ends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "emu_process.h"
#include "screen_reading.h"
#include "support/model_support.h"

namespace {

constexpr const char* lcdemu_path = EMU_LCDEMU;
constexpr const char* starglow_path = EMU_STARGLOW;
constexpr const char* music_path = EMU_MUSIC;
constexpr int start_timeout_ms = 5000;

using Clock = std::chrono::steady_clock;

const std::string enter_screen = "\x1b[?1049h";
const std::string leave_screen = "\x1b[?1049l";

// Glyphs, text, a full block and the underline cursor: lit and unlit dots
// side by side in many cells.
Stream busy_stream() {
    return join({command(cmd::define_glyph, {1, 0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A}),
                 text("The show: "), Stream{1, 1, 1, 0xFF}, command(cmd::cursor_to, {1, 3}),
                 text("~~~~ lcdemu ~~~~"), command(cmd::underline_on)});
}

class LcdemuScreen : public ::testing::Test {
  protected:
    void SetUp() override { dir = temp_directory(); }
    void TearDown() override {
        if (master >= 0) close(master);
        if (client >= 0) close(client);
        remove_directory(dir);
    }

    void open_terminal(int c, int r) {
        if (master >= 0) close(master);
        if (client >= 0) close(client);
        columns = c;
        rows = r;
        winsize size{};
        size.ws_col = static_cast<unsigned short>(c);
        size.ws_row = static_cast<unsigned short>(r);
        ASSERT_EQ(openpty(&master, &client, nullptr, nullptr, &size), 0);
        screen.clear();
    }
    pid_t start(const std::vector<std::string>& argv,
                const std::vector<std::string>& environment = {}, const std::string& in = "") {
        ProgramOptions p;
        p.argv = argv;
        p.environment = environment;
        p.directory = in;
        p.terminal = client;
        return start_program(p);
    }
    // Reads what lcdemu draws for `ms`.
    void pump(int ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buffer[65536];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) screen.append(buffer, static_cast<size_t>(n));
        }
    }
    // Waits for lcdemu to end, reading the terminal; its exit status.
    int finish(pid_t pid, int timeout_ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
        while (Clock::now() < end) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pump(100);
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            pump(20);
        }
        return wait_program(pid, 0);
    }
    // The terminal as it stands: what was drawn on lcdemu's screen so far.
    ::testing::AssertionResult shown(Terminal& t) {
        const size_t from = screen.find(enter_screen);
        if (from == std::string::npos) return ::testing::AssertionFailure() << "nothing drawn";
        const size_t to = screen.find(leave_screen, from);
        return t.apply(
            screen.substr(from, to == std::string::npos ? std::string::npos : to - from));
    }
    // What lcdemu wrote after it gave the terminal back.
    std::string after_leaving() const {
        const size_t at = screen.rfind(leave_screen);
        return at == std::string::npos ? "" : screen.substr(at + leave_screen.size());
    }

    std::string dir;
    int master = -1, client = -1;
    int columns = 0, rows = 0;
    std::string screen;
};

TEST_F(LcdemuScreen, HelpStatesTheSizesOfEachPicture) {
    ProgramOptions p;
    p.argv = {lcdemu_path, "--help"};
    p.output = dir + "/help.txt";
    EXPECT_EQ(wait_program(start_program(p), start_timeout_ms), 0);
    const std::string help = read_file(dir + "/help.txt");
    for (const char* size : {"123x22", "62x12", "50x10", "Braille"})
        EXPECT_NE(help.find(size), std::string::npos) << size << "\n" << help;
}

// 80 and 120 columns are too narrow for the full picture (123): the compact
// one shows every dot with the gaps between cells; 56 columns, the pixels.
TEST_F(LcdemuScreen, NarrowTerminalsShowEveryDot) {
    struct Size {
        int columns, rows;
        TermLayout layout;
    };
    for (const Size& size : {Size{80, 24, TermLayout::compact}, Size{120, 30, TermLayout::compact},
                             Size{56, 20, TermLayout::compact_pixels}}) {
        open_terminal(size.columns, size.rows);
        const std::string link = dir + "/lcd";
        const pid_t pid = start({lcdemu_path, "--once", "--link", link});
        ASSERT_TRUE(wait_for([&] { return file_exists(link); }, start_timeout_ms));
        const int port = open(link.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(port, 0);
        termios raw{};
        tcgetattr(port, &raw);
        cfmakeraw(&raw);
        tcsetattr(port, TCSANOW, &raw);
        const Stream bytes = busy_stream();
        ASSERT_EQ(write(port, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        pump(800);
        Terminal t(size.columns, size.rows);
        ASSERT_TRUE(shown(t)) << size.columns;
        EXPECT_TRUE(shows(t, model_after(bytes), size.layout)) << size.columns << "x" << size.rows;
        close(port);
        EXPECT_EQ(finish(pid, start_timeout_ms), 0);
    }
}

TEST_F(LcdemuScreen, ATooSmallTerminalIsToldSoInWholeWords) {
    open_terminal(40, 24);
    const pid_t pid = start({lcdemu_path});
    pump(500);
    kill(-pid, SIGINT);
    EXPECT_EQ(finish(pid, start_timeout_ms), 130);
    Terminal t(40, 24);
    ASSERT_TRUE(shown(t));
    std::string joined;
    for (int row = 0; row < t.rows; ++row) {
        std::string line = row_text(t, row);
        line.erase(line.find_last_not_of(' ') + 1);
        if (!line.empty()) joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(joined,
              "lcdemu needs a terminal of at least 50x10 (62x12 to show the gaps between cells, "
              "123x22 for the full picture); this one is 40x24.");
}

// The show without a sound device, as ./demo runs it on such a machine:
// the notice stays in the status line under the position lines, and is
// summed up when lcdemu ends.
TEST_F(LcdemuScreen, TheShowsNoticesStayInViewAndAreSummedUpAtExit) {
    if (access(music_path, R_OK) != 0) GTEST_SKIP() << music_path << " is missing";
    std::string music_dir = music_path;
    music_dir.resize(music_dir.rfind('/'));
    open_terminal(120, 30);
    const pid_t pid = start({lcdemu_path, "--", starglow_path, "1"},
                            {"STARGLOW_AUDIO_DEVICE=starglow_no_such_device"}, music_dir);
    pump(3000);
    Terminal t(120, 30);
    ASSERT_TRUE(shown(t));
    kill(-pid, SIGINT);
    EXPECT_EQ(finish(pid, 10000), 130);

    // The second status line, under the compact picture (12 rows, centred).
    const int top = (30 - 12) / 2;
    const int left = (120 - 62) / 2;
    const std::string status = row_text(t, top + 11, left);
    ASSERT_EQ(status.rfind("[silent: no sound device]  > ", 0), 0u) << status;
    const size_t digits = std::string("[silent: no sound device]  > ").size();
    EXPECT_GT(std::stol(status.substr(digits)), 1000) << status;  // the show's position, later on
    EXPECT_NE(status.find("| starglow: port 1 is /dev/pts/"), std::string::npos) << status;

    const std::string after = after_leaving();
    EXPECT_NE(after.find(std::string("lcdemu: ") + starglow_path +
                         " wrote 2 lines on standard error; silent: no sound device:"),
              std::string::npos)
        << after;
    EXPECT_NE(after.find("  starglow: port 1 is /dev/pts/"), std::string::npos) << after;
    EXPECT_NE(after.find("  starglow: no sound device 'starglow_no_such_device' ("),
              std::string::npos)
        << after;
    EXPECT_NE(after.find("; the show plays silently"), std::string::npos) << after;
}

}  // namespace
