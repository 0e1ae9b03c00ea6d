// starglow.exe as a Windows user runs it, under Wine: its console and exit
// status for every form of the argument, the bytes it sends to a COM port
// that leads to a pty, the line settings while the show runs, and its
// music: missing, damaged, of the wrong length, with no sound device.
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "audio/music_player.h"
#include "support/music_fixtures.h"
#include "wine_session.h"

namespace {

using Wire = std::vector<unsigned char>;

constexpr int exe_timeout_ms = 60 * 1000;
constexpr int exe_failure_status = 255;  // exit(-1) as the shell sees it

const Wire startup_and_clear = {0xFE, 0x58, 0xFE, 0x48, 0xFE, 0x44, 0xFE, 0x50, 0x78, 0xFE, 0x99,
                                0xFF, 0xFE, 0x55, 0x08, 0xFE, 0x7E, 0x01, 0xFE, 0x4F, 0xFE, 0x58};
const std::string usage_text =
    "\nPlease run with serial port number as a command line argument\n"
    "for example if you have your Matrix Orbital display connected on COM14:\n\n"
    "starglow.exe 14\n\n";
const std::string open_failure = "Error opening serial port\n";

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The console of the Linux build's starglow for the same arguments, its
// port 1 (when the argument names it) on a pty of its own: the banner and
// messages must read the same on both platforms.
std::string linux_console(const std::vector<std::string>& args, const std::string& directory,
                          const std::vector<std::string>& extra = {}) {
    Pty pty = open_pty();
    std::vector<std::string> argv = {STARGLOW_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> environment = {"STARGLOW_COM1=" + pty.slave_path,
                                            "STARGLOW_COM7=" + directory + "/nothing-here"};
    environment.insert(environment.end(), extra.begin(), extra.end());
    Child child = start_program(argv, environment, directory);
    finish_child(child, exe_timeout_ms);
    close_pty(pty);
    return child.output;
}

std::string last_line(const std::string& text) {
    const size_t end = text.size() > 0 && text.back() == '\n' ? text.size() - 1 : text.size();
    const size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
    return text.substr(start == std::string::npos ? 0 : start + 1);
}

class WineStarglow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        skip_reason = windows_tests_unavailable();
        if (!skip_reason.empty()) return;
        ports_dir = make_directory();
        std::string error;
        if (!open_wine_session(&session, {{1, ports_dir + "/com1"}, {14, ports_dir + "/com14"}},
                               &error))
            setup_error = error;
    }
    static void TearDownTestSuite() {
        close_wine_session(&session);
        remove_directory(ports_dir);
    }
    void SetUp() override {
        if (!skip_reason.empty()) GTEST_SKIP() << skip_reason;
        ASSERT_EQ(setup_error, "");
        directory = make_directory();
    }
    void TearDown() override {
        if (slave >= 0) close(slave);
        close_pty(pty);
        remove_directory(directory);
    }

    // COM<n>'s link pointed at a fresh pty, held open on both sides.
    void attach_pty(int com) {
        pty = open_pty();
        const std::string link = ports_dir + "/com" + std::to_string(com);
        unlink(link.c_str());
        ASSERT_EQ(symlink(pty.slave_path.c_str(), link.c_str()), 0);
        slave = open(pty.slave_path.c_str(), O_RDWR | O_NOCTTY);
    }

    int run_exe(const std::vector<std::string>& args, const std::vector<std::string>& extra) {
        return run_windows_program(session, "starglow.exe", args, extra, directory, &output,
                                   &errors, exe_timeout_ms);
    }

    Wire wire_so_far(size_t want, int timeout_ms) {
        Wire got;
        read_pty(pty, got, want, timeout_ms);
        return got;
    }

    static inline WineSession session;
    static inline std::string ports_dir;
    static inline std::string skip_reason;
    static inline std::string setup_error;
    std::string directory;
    std::string output;
    std::string errors;
    Pty pty;
    int slave = -1;
};

}  // namespace

TEST_F(WineStarglow, WithoutExactlyOneArgumentPrintsTheBannerAndUsageAndExitsMinusOne) {
    attach_pty(1);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"1", "2"}}) {
        EXPECT_EQ(run_exe(args, {}), exe_failure_status);
        EXPECT_TRUE(ends_with(output, usage_text)) << output;
        EXPECT_EQ(output, linux_console(args, directory));
    }
    EXPECT_TRUE(wire_so_far(1, 200).empty()) << "the port was touched";
}

// -h and --help: the same console as the Linux build's, how COM ports are
// named here on standard error, status 0, and COM1 untouched.
TEST_F(WineStarglow, HelpPrintsTheUsageAndHowPortsAreNamedAndOpensNoPort) {
    attach_pty(1);
    for (const char* help : {"-h", "--help"}) {
        EXPECT_EQ(run_exe({help}, {}), 0) << help << output << errors;
        EXPECT_TRUE(ends_with(output, usage_text)) << output;
        EXPECT_EQ(output, linux_console({help}, directory)) << help;
        EXPECT_NE(errors.find("Device Manager"), std::string::npos) << errors;
        EXPECT_NE(errors.find("\\\\.\\COM14"), std::string::npos) << errors;
    }
    EXPECT_TRUE(wire_so_far(1, 200).empty()) << "the port was touched";
}

TEST_F(WineStarglow, APortWithNoMappingPrintsErrorOpeningSerialPortAndExitsMinusOne) {
    // COM7: neither mapped by the test nor found by Wine. COM0 and COM-3
    // are names no system has.
    for (const char* port : {"7", "0", "-3"}) {
        EXPECT_EQ(run_exe({port}, {}), exe_failure_status) << port;
        EXPECT_TRUE(ends_with(output, open_failure)) << output;
        EXPECT_EQ(output, linux_console({port}, directory)) << port;
        EXPECT_NE(errors.find("could not be opened"), std::string::npos) << errors;
    }
}

TEST_F(WineStarglow, AbcOpensCom1AndTheDisplayIsStartedAndCleared) {
    // Music of the wrong length: the display is started and cleared, the
    // music is released again, no frame is sent, status 0.
    place_music(cached_silent_music(1000), directory);
    attach_pty(1);
    EXPECT_EQ(run_exe({"abc"}, {"STARGLOW_AUDIO=silent"}), 0) << output << errors;
    EXPECT_EQ(wire_so_far(startup_and_clear.size() + 1, 1000), startup_and_clear);
    EXPECT_EQ(output.find(open_failure), std::string::npos);
    EXPECT_TRUE(ends_with(output, "  made for the Northern Lights demo party, winter 2026\n"))
        << "a position line or a message after the banner: " << output;
}

TEST_F(WineStarglow, Port14OpensThroughTheDeviceNamespace) {
    place_music(cached_silent_music(1000), directory);
    attach_pty(14);
    EXPECT_EQ(run_exe({"14"}, {"STARGLOW_AUDIO=silent"}), 0) << output << errors;
    EXPECT_EQ(wire_so_far(startup_and_clear.size() + 1, 1000), startup_and_clear);
}

TEST_F(WineStarglow, MissingOrDamagedMusicEndsWithTheLayersErrorAndMinusOne) {
    attach_pty(1);
    // No starglow.mp3 at all, then one that holds text.
    EXPECT_EQ(run_exe({"1"}, {"STARGLOW_AUDIO=silent"}), exe_failure_status);
    EXPECT_EQ(last_line(output).rfind("FMOD error! (", 0), 0u) << output;
    EXPECT_EQ(last_line(output),
              last_line(linux_console({"1"}, directory, {"STARGLOW_AUDIO=silent"})));
    EXPECT_EQ(wire_so_far(startup_and_clear.size(), 1000), startup_and_clear);

    place_music(write_file("not-music.mp3", text_bytes()), directory);
    EXPECT_EQ(run_exe({"1"}, {"STARGLOW_AUDIO=silent"}), exe_failure_status);
    EXPECT_EQ(last_line(output).rfind("FMOD error! (", 0), 0u) << output;
    EXPECT_EQ(last_line(output),
              last_line(linux_console({"1"}, directory, {"STARGLOW_AUDIO=silent"})));
}

TEST_F(WineStarglow, WithoutASoundDevicePlaysSilentlyAndSaysWhy) {
    // The session's sound server socket leads nowhere: waveOut has no device.
    place_music(cached_silent_music(1000), directory);
    attach_pty(1);
    EXPECT_EQ(run_exe({"1"}, {}), 0) << output << errors;
    EXPECT_NE(errors.find("starglow: no sound device (waveOut: no device opens: "),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("(MMSYSERR 2)); the show plays silently"), std::string::npos) << errors;
    EXPECT_EQ(wire_so_far(startup_and_clear.size(), 1000), startup_and_clear);
}

TEST_F(WineStarglow, WhileTheShowRunsTheTtyReadsTheShowsLineSettings) {
    place_music(cached_silent_music(music_length_ms), directory);
    attach_pty(1);
    termios before{};
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    Child show =
        start_windows_program(session, "starglow.exe", {"1"}, {"STARGLOW_AUDIO=silent"}, directory);
    ASSERT_GT(show.pid, 0);
    // Past the start-up bytes and the first scene's glyphs: the loop runs.
    Wire got;
    read_pty(pty, got, 2000, exe_timeout_ms);
    ASSERT_GE(got.size(), 2000u) << "the show did not get going";
    read_child(show, 0, 0);
    EXPECT_NE(show.output.find("\r\n0\r\n"), std::string::npos)
        << "no position line 0 (CR LF, as a Windows console prints it): " << show.output;

    termios during{};
    ASSERT_EQ(tcgetattr(slave, &during), 0);
    EXPECT_EQ(cfgetospeed(&during), B57600);
    EXPECT_EQ(cfgetispeed(&during), B57600);
    EXPECT_EQ(during.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(during.c_iflag & IXON);
    EXPECT_TRUE(during.c_iflag & IXOFF);
    EXPECT_EQ(during.c_cflag & (PARENB | PARODD | CSTOPB),
              before.c_cflag & (PARENB | PARODD | CSTOPB));
    EXPECT_EQ(during.c_cc[VSTART], before.c_cc[VSTART]);
    EXPECT_EQ(during.c_cc[VSTOP], before.c_cc[VSTOP]);
    EXPECT_EQ(std::vector<unsigned char>(got.begin(), got.begin() + startup_and_clear.size()),
              startup_and_clear);
    kill(show.pid, SIGKILL);
    finish_child(show, exe_timeout_ms);
}

TEST_F(WineStarglow, APortThatHangsUpMidShowNeitherStopsTheShowNorLetsItSpin) {
    place_music(cached_silent_music(music_length_ms), directory);
    attach_pty(1);
    Child show =
        start_windows_program(session, "starglow.exe", {"1"}, {"STARGLOW_AUDIO=silent"}, directory);
    ASSERT_GT(show.pid, 0);
    Wire got;
    read_pty(pty, got, 2000, exe_timeout_ms);
    ASSERT_GE(got.size(), 2000u) << "the show did not get going";
    // The display goes away: every write now fails at once.
    close(slave);
    slave = -1;
    close_pty(pty);
    read_child(show, 0, 0);
    const size_t lines_before = std::count(show.output.begin(), show.output.end(), '\n');
    const auto started = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - started < std::chrono::seconds(3))
        read_child(show, 1 << 20, 200);
    const size_t lines = std::count(show.output.begin(), show.output.end(), '\n') - lines_before;
    kill(show.pid, SIGKILL);
    finish_child(show, exe_timeout_ms);
    // Each failed frame takes the 96 bytes' line time (16.7 ms): about 180
    // turns in 3 s, not thousands, and not none.
    EXPECT_GE(lines, 90u) << "the show stopped when its port hung up";
    EXPECT_LE(lines, 300u) << "the show spun through failing writes";
}
