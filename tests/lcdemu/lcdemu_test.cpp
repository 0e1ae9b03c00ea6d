// lcdemu as its users run it: on a real pty, with scripted clients, with the
// show as its child, in a terminal of its own, and with bad input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "display/display_link.h"
#include "emu_process.h"
#include "lcdemu/pacer.h"
#include "support/model_support.h"
#include "support/wire_compare.h"

namespace {

constexpr const char* lcdemu_path = EMU_LCDEMU;
constexpr const char* show_client_path = EMU_SHOW_CLIENT;
constexpr int start_timeout_ms = 5000;
constexpr int show_run_ms = 4000;
constexpr double rate_tolerance = 0.03;
constexpr long queue_limit_bytes = 200;
constexpr uid_t nobody = 65534;
constexpr int any_failure = -2;

using Clock = std::chrono::steady_clock;

class Lcdemu : public ::testing::Test {
  protected:
    void SetUp() override { dir = temp_directory(); }
    void TearDown() override { remove_directory(dir); }

    std::string path(const char* name) const { return dir + "/" + name; }

    // lcdemu headless with a link and a report; waits for the link.
    pid_t start(std::vector<std::string> options) {
        ProgramOptions p;
        p.argv = {lcdemu_path, "--headless", "--link", path("lcd"), "--stats", path("stats.json")};
        p.argv.insert(p.argv.end(), options.begin(), options.end());
        p.output = path("lcdemu.out");
        const pid_t pid = start_program(p);
        EXPECT_TRUE(wait_for([&] { return file_exists(path("lcd")); }, start_timeout_ms))
            << output();
        return pid;
    }

    std::string output() const { return read_file(path("lcdemu.out")); }
    std::string stats() const { return read_file(path("stats.json")); }

    std::string dir;
};

// A client's end of the port, raw 8-bit, with or without XON/XOFF.
int open_client(const std::string& port, bool xon_xoff) {
    const int fd = open(port.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    termios line{};
    tcgetattr(fd, &line);
    cfmakeraw(&line);
    cfsetispeed(&line, B57600);
    cfsetospeed(&line, B57600);
    if (xon_xoff) line.c_iflag |= IXON | IXOFF;
    tcsetattr(fd, TCSANOW, &line);
    return fd;
}

void write_all(int fd, const Stream& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
        ASSERT_GT(n, 0) << std::strerror(errno);
        at += static_cast<size_t>(n);
    }
}

// What arrives on `fd` within `timeout_ms` (or until `enough` bytes have).
Stream read_for(int fd, int timeout_ms, size_t enough = SIZE_MAX) {
    Stream got;
    const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (Clock::now() < end && got.size() < enough) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        uint8_t buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

Stream frame_of(char c) {
    uint8_t cells[screen_cells];
    std::memset(cells, c, sizeof cells);
    return frame_packet(cells);
}

TEST_F(Lcdemu, AScriptedClientGetsItsRepliesAndItsScreen) {
    const pid_t pid = start({"--once", "--png", path("end.png")});
    const int fd = open_client(path("lcd"), false);
    ASSERT_GE(fd, 0);
    write_all(
        fd, join({command(cmd::clear_screen), text("Hello"), command(cmd::cursor_to, {3, 2}),
                  command(cmd::define_glyph, {0, 0, 0x0A, 0, 0x11, 0x0E, 0, 0, 0}), Stream{0},
                  text("0"), command(cmd::read_module_type), command(cmd::read_firmware_version)}));
    EXPECT_EQ(read_for(fd, 1000, 2), (Stream{lcd_module_type, lcd_firmware_version}));
    EXPECT_TRUE(read_for(fd, 50).empty());
    close(fd);
    ASSERT_EQ(wait_program(pid, start_timeout_ms), 0) << output();
    const std::string report = stats();
    // The glyph cell is marked as a glyph (circled 0), a real digit as itself.
    EXPECT_EQ(json_screen(report),
              (std::vector<std::string>{"Hello" + std::string(15, ' '),
                                        "  \u24EA0" + std::string(16, ' '), std::string(20, ' '),
                                        std::string(20, ' ')}));
    EXPECT_EQ(json_number(report, "unknown_bytes"), 0);
    EXPECT_EQ(json_number(report, "glyph_definitions"), 1);
    EXPECT_EQ(json_number(report, "replies_sent"), 2);
    EXPECT_EQ(json_number(report, "clients"), 1);
    EXPECT_EQ(json_number(report, "baud"), 57600);
    EXPECT_TRUE(file_exists(path("end.png")));
    EXPECT_NE(output().find("client left"), std::string::npos);
}

TEST_F(Lcdemu, AnXonXoffClientIsHeldWhileMoreThanAUartsWorthWaits) {
    const pid_t pid = start({"--once"});
    const int fd = open_client(path("lcd"), true);
    ASSERT_GE(fd, 0);
    // One frame: more than a UART's worth, so the client is held...
    write_all(fd, frame_of('A'));
    usleep(10 * 1000);
    fcntl(fd, F_SETFL, O_NONBLOCK);
    EXPECT_EQ(write(fd, "B", 1), -1);
    EXPECT_EQ(errno, EAGAIN);
    // ...until the frame has crossed the line (96 bytes: 17 ms).
    fcntl(fd, F_SETFL, 0);
    const auto begin = Clock::now();
    write_all(fd, frame_of('C'));
    const double waited = std::chrono::duration<double>(Clock::now() - begin).count();
    EXPECT_GT(waited, 0.002);
    EXPECT_LT(waited, 0.5);
    EXPECT_TRUE(read_for(fd, 100).empty());  // its kernel took the stop and start characters
    close(fd);
    ASSERT_EQ(wait_program(pid, start_timeout_ms), 0) << output();
    EXPECT_EQ(json_screen(stats())[3], std::string(20, 'C'));
    EXPECT_EQ(json_number(stats(), "frames_completed"), 2);
    EXPECT_GE(json_number(stats(), "xoffs_sent"), 2);
    EXPECT_GE(json_number(stats(), "xons_sent"), 1);
}

TEST_F(Lcdemu, AClientWithoutXonXoffNeverReceivesStopOrStart) {
    const pid_t pid = start({"--once"});
    const int fd = open_client(path("lcd"), false);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 20; ++i) write_all(fd, frame_of('x'));
    // Read at the line's rate (a third of a second for these), and nothing
    // but data ever comes back.
    EXPECT_TRUE(read_for(fd, 600).empty());
    close(fd);
    ASSERT_EQ(wait_program(pid, start_timeout_ms), 0) << output();
    EXPECT_EQ(json_number(stats(), "bytes_received"), 20 * frame_bytes);
    EXPECT_EQ(json_number(stats(), "xoffs_sent"), 0);
}

TEST_F(Lcdemu, TheNextClientFindsThePortFreeAfterOneThatLockedIt) {
    const pid_t pid = start({});
    char port[PATH_MAX];
    ASSERT_NE(realpath(path("lcd").c_str(), port), nullptr);
    // Exclusive use does not stop a privileged client: be an ordinary one.
    if (geteuid() == 0) chmod(port, 0666);
    const auto client = [&](const char* what, bool lock) {
        const pid_t c = fork();
        if (c == 0) {
            if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(2);
            const int fd = open(port, O_RDWR | O_NOCTTY);
            if (fd < 0) _exit(3);
            if (lock) ioctl(fd, TIOCEXCL);
            if (write(fd, what, std::strlen(what)) < 0) _exit(4);
            usleep(100 * 1000);
            _exit(0);
        }
        int status = 0;
        waitpid(c, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(client("A", true), 0);
    ASSERT_TRUE(
        wait_for([&] { return output().find("waiting for the next") != std::string::npos; }, 2000));
    EXPECT_EQ(client("B", true), 0) << "the second client could not open the port";
    usleep(200 * 1000);
    kill(pid, SIGTERM);
    EXPECT_EQ(wait_program(pid, start_timeout_ms), 130);
    EXPECT_EQ(json_screen(stats())[0].substr(0, 2), "AB");
    EXPECT_EQ(json_number(stats(), "clients"), 2);
    EXPECT_FALSE(file_exists(path("lcd")));  // the link goes with lcdemu
}

TEST_F(Lcdemu, GarbageAndATruncatedCommandEndCleanly) {
    const pid_t pid = start({"--once"});
    const int fd = open_client(path("lcd"), false);
    ASSERT_GE(fd, 0);
    Stream garbage;
    unsigned seed = 7;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245 + 12345;
        garbage.push_back(static_cast<uint8_t>(seed >> 16));
    }
    garbage.push_back(cmd::prefix);
    garbage.push_back(cmd::define_glyph);
    garbage.push_back(3);  // and the client goes before the rows
    write_all(fd, garbage);
    close(fd);
    ASSERT_EQ(wait_program(pid, 10000), 0) << output();
    EXPECT_EQ(json_number(stats(), "bytes_received"), static_cast<long>(garbage.size()));
}

// A client that writes only what changed never writes the last cell: each
// of its bursts is a frame once the line has gone idle, and what its last
// burst left is one at the end. The wire can be read while it runs.
TEST_F(Lcdemu, EachBurstOfAClientThatWritesOnlyWhatChangedIsAFrame) {
    const pid_t pid = start({"--once", "--log", path("frames.log"), "--wire", path("wire.bin")});
    const int fd = open_client(path("lcd"), false);
    ASSERT_GE(fd, 0);
    const Stream rows = {0x04, 0x0E, 0x1F, 0x04, 0x04, 0x04, 0x04, 0xE4};  // top bits do not show
    const Stream bursts[] = {
        join({command(cmd::clear_screen), text("one")}),
        join({command(cmd::define_glyph, {2}), rows, command(cmd::cursor_to, {20, 1}), Stream{2}}),
        command(cmd::set_brightness, {40}),  // light alone is a change too
        text("x"),                           // written as the client leaves
    };
    Stream written;
    for (const Stream& burst : bursts) {
        write_all(fd, burst);
        written.insert(written.end(), burst.begin(), burst.end());
        if (&burst == &bursts[3]) break;
        usleep(150 * 1000);
        EXPECT_EQ(read_file(path("wire.bin")), std::string(written.begin(), written.end()))
            << "the wire so far, while the client is still there";
    }
    close(fd);
    ASSERT_EQ(wait_program(pid, start_timeout_ms), 0) << output();

    const FrameLog log = read_frame_log(path("frames.log"));
    ASSERT_EQ(log.screens.size(), 4u);
    EXPECT_EQ(log.ends, (std::vector<std::string>{"idle", "idle", "idle", "exit"}));
    long bytes = 0;
    for (size_t i = 0; i < 4; ++i) {
        bytes += static_cast<long>(bursts[i].size());
        EXPECT_EQ(log.bytes[i], bytes) << "frame " << i;
    }
    const std::string blank(20, ' ');
    EXPECT_EQ(log.screens[0], "one" + std::string(17, ' ') + blank + blank + blank);
    EXPECT_EQ(log.screens[1], "one" + std::string(16, ' ') + '\x02' + blank + blank + blank);
    std::string shown(64, '\0');
    for (int r = 0; r < 8; ++r)
        shown[static_cast<size_t>(16 + r)] = static_cast<char>(rows[r] & 0x1F);
    EXPECT_EQ(log.glyphs[1], shown);
    EXPECT_EQ(log.brightness[1], 255);
    EXPECT_EQ(log.screens[2], log.screens[1]);
    EXPECT_EQ(log.brightness[2], 40);
    // Past the end of row 1, with wrap off as at power-on, text goes on in
    // row 3: the next row of the display memory.
    EXPECT_EQ(log.screens[3],
              "one" + std::string(16, ' ') + '\x02' + blank + "x" + std::string(19, ' ') + blank);
    EXPECT_TRUE(std::is_sorted(log.ms.begin(), log.ms.end()));
}

// A client that goes in the middle of a command: the next client's clear is
// a clear, not the rest of that command.
TEST_F(Lcdemu, TheNextClientsFirstCommandIsReadAsOne) {
    const pid_t pid = start({});
    int fd = open_client(path("lcd"), false);
    ASSERT_GE(fd, 0);
    write_all(fd, join({text("first"), command(cmd::define_glyph, {3, 0x1F, 0x1F})}));
    close(fd);
    ASSERT_TRUE(
        wait_for([&] { return output().find("waiting for the next") != std::string::npos; }, 2000));
    fd = open_client(path("lcd"), false);
    ASSERT_GE(fd, 0);
    write_all(fd, join({command(cmd::clear_screen), text("B")}));
    usleep(200 * 1000);
    close(fd);
    kill(pid, SIGTERM);
    EXPECT_EQ(wait_program(pid, start_timeout_ms), 130);
    EXPECT_EQ(json_screen(stats())[0], "B" + std::string(19, ' '));
    EXPECT_EQ(json_number(stats(), "commands_dropped"), 1);
    EXPECT_EQ(json_number(stats(), "unknown_bytes"), 0);
}

// Every file lcdemu writes is made as the user's other files are.
TEST_F(Lcdemu, OutputFilesAllHaveTheUsersPermissions) {
    const mode_t before = umask(027);
    const pid_t pid = start({"--once", "--wire", path("wire.bin"), "--log", path("frames.log"),
                             "--png", path("end.png"), "--gif", path("run.gif")});
    umask(before);
    const int fd = open_client(path("lcd"), false);
    ASSERT_GE(fd, 0);
    write_all(fd, text("files"));
    close(fd);
    ASSERT_EQ(wait_program(pid, start_timeout_ms), 0) << output();
    for (const char* name : {"wire.bin", "frames.log", "end.png", "run.gif", "stats.json"}) {
        struct stat s {};
        ASSERT_EQ(stat(path(name).c_str(), &s), 0) << name;
        EXPECT_EQ(s.st_mode & 0777, 0640u) << name;
    }
}

TEST(LcdemuBadInput, ClearMessagesAndAFailingStatus) {
    const std::string dir = temp_directory();
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    };
    const std::string regular = dir + "/regular";
    write_all(open(regular.c_str(), O_WRONLY | O_CREAT, 0644), text("x"));
    const Case cases[] = {
        {{"--device", "/no/such/device"}, 1, "/no/such/device"},
        {{"--device", regular}, 1, "not a serial port"},
        {{"--palette", "pink"}, 1, "no palette named pink"},
        {{"--link", regular}, 1, "not a symlink"},
        {{"--gif", "/no/such/dir/x.gif"}, 1, "cannot create"},
        {{"--scale", "99"}, 1, "--scale"},
        {{"--headless", "--", "/no/such/program"}, 1, "cannot run /no/such/program"},
        {{"--baud", "lots"}, any_failure, "baud"},
        {{"--help"}, 0, "--stats"},
    };
    for (const Case& c : cases) {
        ProgramOptions p;
        p.argv = {lcdemu_path, "--headless"};
        p.argv.insert(p.argv.end(), c.arguments.begin(), c.arguments.end());
        p.output = dir + "/out";
        const int status = wait_program(start_program(p), start_timeout_ms);
        if (c.status == any_failure) {
            EXPECT_GT(status, 0) << c.arguments[0];
        } else {
            EXPECT_EQ(status, c.status) << c.arguments[0];
        }
        EXPECT_NE(read_file(p.output).find(c.message), std::string::npos) << read_file(p.output);
    }
    remove_directory(dir);
}

// The show, as lcdemu's child, for a few seconds of its first scene.
TEST_F(Lcdemu, TheShowArrivesWholeInOrderAtTheLinksPace) {
    ProgramOptions p;
    p.argv = {lcdemu_path, "--headless",     "--stats", path("stats.json"),
              "--wire",    path("wire.bin"), "--log",   path("frames.log"),
              "--",        show_client_path, "1"};
    p.environment = {"EMU_SHOW_WIRE=" + path("client.bin"),
                     "EMU_SHOW_RUN_MS=" + std::to_string(show_run_ms)};
    p.output = path("lcdemu.out");
    ASSERT_EQ(wait_program(start_program(p), show_run_ms + 10000), 0) << output();

    // Byte for byte what the show wrote: start-up string, clear, then all
    // it wrote from the start of its music on.
    const std::string client = read_file(path("client.bin"));
    const Bytes expected =
        join({command(cmd::clear_screen), command(cmd::cursor_home), command(cmd::wrap_off),
              command(cmd::set_contrast, {0x78}), command(cmd::set_brightness, {0xFF}),
              command(cmd::keypad_debounce, {0x08}), command(cmd::keypad_repeat_on, {0x01}),
              command(cmd::key_transmit_off), command(cmd::clear_screen), text(client)});
    const std::string wire = read_file(path("wire.bin"));
    EXPECT_TRUE(wire_equal(Bytes(wire.begin(), wire.end()), expected));

    // Every frame the display completed is the next packet the show sent.
    const std::vector<std::string> sent = frame_packets_in(client);
    const FrameLog log = read_frame_log(path("frames.log"));
    ASSERT_EQ(log.screens.size(), sent.size());
    for (size_t frame = 0; frame < sent.size(); ++frame)
        ASSERT_EQ(log.screens[frame], sent[frame]) << frame;
    ASSERT_GT(sent.size(), 100u);
    // Frame rate: the link's limit, 5760 bytes a second over the bytes of a turn.
    EXPECT_NEAR(frame_rate_over_limit(log), 1.0, rate_tolerance);

    // Never far ahead of the line, and nothing the display did not know.
    EXPECT_LE(json_number(stats(), "queue_peak_bytes"), queue_limit_bytes);
    EXPECT_LE(*std::max_element(log.queue.begin(), log.queue.end()), queue_limit_bytes);
    EXPECT_EQ(json_number(stats(), "unknown_bytes"), 0);
    EXPECT_EQ(json_number(stats(), "child_exit"), 0);
    // Headless, the show's console passes through: its position lines.
    const std::string console = output();
    EXPECT_NE(console.find("\n19"), std::string::npos) << console.substr(0, 400);
}

// lcdemu drawing in a terminal of its own (a pty of 140x40).
class LcdemuTerminal : public Lcdemu {
  protected:
    void open_terminal() {
        winsize size{};
        size.ws_col = 140;
        size.ws_row = 40;
        ASSERT_EQ(openpty(&master, &client, nullptr, nullptr, &size), 0);
        tcgetattr(client, &before);
    }
    void TearDown() override {
        if (master >= 0) close(master);
        if (client >= 0) close(client);
        Lcdemu::TearDown();
    }

    // Reads the terminal until lcdemu ends (or `timeout_ms`); `during` runs
    // once after `after_ms`.
    int run(pid_t pid, int timeout_ms, int after_ms = -1,
            const std::function<void()>& during = {}) {
        const auto begin = Clock::now();
        bool done_during = false;
        for (;;) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 20) > 0) {
                char buffer[65536];
                const ssize_t n = read(master, buffer, sizeof buffer);
                if (n > 0) screen.append(buffer, static_cast<size_t>(n));
            }
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count();
            if (!done_during && after_ms >= 0 && elapsed >= after_ms && during) {
                during();
                done_during = true;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                for (;;) {  // what is left on the terminal
                    pollfd q{master, POLLIN, 0};
                    if (poll(&q, 1, 50) <= 0) break;
                    char buffer[65536];
                    const ssize_t n = read(master, buffer, sizeof buffer);
                    if (n <= 0) break;
                    screen.append(buffer, static_cast<size_t>(n));
                }
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (elapsed > timeout_ms) return wait_program(pid, 0);
        }
    }

    ::testing::AssertionResult restored() {
        termios after{};
        tcgetattr(client, &after);
        if (after.c_lflag != before.c_lflag || after.c_iflag != before.c_iflag)
            return ::testing::AssertionFailure() << "terminal modes not restored";
        const size_t leave = screen.rfind("\x1b[?1049l");
        if (screen.find("\x1b[?1049h") == std::string::npos || leave == std::string::npos)
            return ::testing::AssertionFailure() << "alternate screen not entered and left";
        if (screen.find("\x1b[?25h", screen.rfind("\x1b[?25l")) == std::string::npos)
            return ::testing::AssertionFailure() << "cursor not shown again";
        return ::testing::AssertionSuccess();
    }

    int master = -1, client = -1;
    termios before{};
    std::string screen;
};

TEST_F(LcdemuTerminal, TheStatusLineShowsTheShowsConsoleAndTheTerminalComesBack) {
    open_terminal();
    ProgramOptions p;
    p.argv = {lcdemu_path, "--stats", path("stats.json"), "--", show_client_path, "1"};
    p.environment = {"EMU_SHOW_RUN_MS=2000"};
    p.terminal = client;
    EXPECT_EQ(run(start_program(p), 15000), 0);
    EXPECT_TRUE(restored());
    // Position lines (202000 - 2000 + milliseconds played) under the picture.
    EXPECT_NE(screen.find("> 2000"), std::string::npos);
    EXPECT_NE(screen.find("> 2001"), std::string::npos);
    EXPECT_NE(screen.find("57600 baud  XON/XOFF"), std::string::npos);
    EXPECT_NE(screen.find("\u2580"), std::string::npos);  // the picture in half blocks
}

TEST_F(LcdemuTerminal, CtrlCEndsTheShowAndRestoresTheTerminal) {
    open_terminal();
    ProgramOptions p;
    p.argv = {lcdemu_path, "--stats", path("stats.json"), "--", show_client_path, "1"};
    p.environment = {"EMU_SHOW_RUN_MS=60000"};
    p.terminal = client;
    const pid_t pid = start_program(p);
    // Ctrl-C goes to the terminal's foreground group: lcdemu's, not the show's.
    const int status = run(pid, 15000, 1500, [&] { kill(-pid, SIGINT); });
    EXPECT_EQ(status, 130);
    EXPECT_TRUE(restored());
    EXPECT_EQ(json_number(stats(), "child_exit"), 128 + SIGTERM);  // ended by lcdemu
}

TEST_F(LcdemuTerminal, TheClientLeavingEndsARunWithOnce) {
    open_terminal();
    ProgramOptions p;
    p.argv = {lcdemu_path, "--once", "--link", path("lcd"), "--stats", path("stats.json")};
    p.terminal = client;
    const pid_t pid = start_program(p);
    const int status = run(pid, 10000, 500, [&] {
        const int fd = open_client(path("lcd"), true);
        write_all(fd, join({text("bye"), command(cmd::backlight_off)}));
        close(fd);
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(restored());
    EXPECT_EQ(json_screen(stats())[0].substr(0, 3), "bye");
}

}  // namespace

namespace {

// A serial device instead of a pty of lcdemu's own: one end of a socat pair.
TEST_F(Lcdemu, ReadsAnExistingSerialDeviceAndSaysWhenItGoesAway) {
    if (access("/usr/bin/socat", X_OK) != 0) {
        std::printf("SKIPPED: socat is not installed\n");
        GTEST_SKIP() << "socat is not installed";
    }
    ProgramOptions pair;
    pair.argv = {"/usr/bin/socat", "pty,raw,echo=0,link=" + path("a"),
                 "pty,raw,echo=0,link=" + path("b")};
    const pid_t socat = start_program(pair);
    ASSERT_TRUE(wait_for([&] { return file_exists(path("a")) && file_exists(path("b")); },
                         start_timeout_ms));

    ProgramOptions p;
    p.argv = {lcdemu_path, "--headless", "--device", path("b"), "--stats", path("stats.json")};
    p.output = path("lcdemu.out");
    const pid_t pid = start_program(p);
    ASSERT_TRUE(wait_for([&] { return output().find("display on") != std::string::npos; },
                         start_timeout_ms));
    const int fd = open_client(path("a"), false);
    ASSERT_GE(fd, 0);
    write_all(fd, join({text("over a wire"), command(cmd::read_module_type)}));
    EXPECT_EQ(read_for(fd, 2000, 1), Stream{lcd_module_type});
    close(fd);
    usleep(100 * 1000);
    kill(socat, SIGTERM);  // the device goes away under lcdemu
    EXPECT_EQ(wait_program(socat, start_timeout_ms), 143);
    EXPECT_EQ(wait_program(pid, start_timeout_ms), 1);
    EXPECT_NE(output().find("went away"), std::string::npos) << output();
    EXPECT_EQ(json_screen(stats())[0], "over a wire         ");
}

}  // namespace

namespace {

TEST_F(Lcdemu, WithoutTheHoldTheChildStillGetsEveryByteAcross) {
    ProgramOptions p;
    p.argv = {lcdemu_path, "--headless",     "--no-hold", "--stats",        path("stats.json"),
              "--wire",    path("wire.bin"), "--",        show_client_path, "1"};
    p.environment = {"EMU_SHOW_WIRE=" + path("client.bin"), "EMU_SHOW_RUN_MS=1500"};
    p.output = path("lcdemu.out");
    ASSERT_EQ(wait_program(start_program(p), 30000), 0) << output();
    const std::string client = read_file(path("client.bin"));
    const std::string wire = read_file(path("wire.bin"));
    ASSERT_GT(client.size(), 1000u);
    EXPECT_EQ(wire.substr(wire.size() - client.size()), client);
    EXPECT_GT(json_number(stats(), "xoffs_sent"), 0);
}

}  // namespace
