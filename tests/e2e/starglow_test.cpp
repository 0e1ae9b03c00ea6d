// starglow as its users run it: a real process, a real pty as the serial
// port, a real MP3, its console and its exit status.
#include <gtest/gtest.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "run_program.h"
#include "support/music_fixtures.h"

namespace {

using Wire = std::vector<unsigned char>;

const Wire startup_string = {0xFE, 0x58, 0xFE, 0x48, 0xFE, 0x44, 0xFE, 0x50, 0x78, 0xFE,
                             0x99, 0xFF, 0xFE, 0x55, 0x08, 0xFE, 0x7E, 0x01, 0xFE, 0x4F};
const std::string banner_title = "  LCD STARGLOW 2\n";
const std::string usage_start = "\nPlease run with serial port number as a command line argument\n";

class StarglowProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        directory = make_directory();
        ASSERT_FALSE(directory.empty());
    }
    void TearDown() override {
        close_pty(pty);
        remove_directory(directory);
    }
    // starglow 7 with port 7 on a fresh pty, silent audio, in `directory`.
    Child start_on_pty(std::vector<std::string> extra_environment = {}) {
        pty = open_pty();
        extra_environment.push_back("STARGLOW_COM7=" + pty.slave_path);
        extra_environment.push_back("STARGLOW_AUDIO=silent");
        return start_program({STARGLOW_BIN, "7"}, extra_environment, directory);
    }
    std::string directory;
    Pty pty;
};

TEST_F(StarglowProgram, WithoutExactlyOneArgumentPrintsBannerAndUsage) {
    for (const std::vector<std::string>& argv :
         {std::vector<std::string>{STARGLOW_BIN},
          std::vector<std::string>{STARGLOW_BIN, "1", "2"}}) {
        // Port 1 points at a file that must stay untouched.
        const std::string port = directory + "/port";
        Child child =
            start_program(argv, {"STARGLOW_COM1=" + port, "STARGLOW_COM2=" + port}, directory);
        EXPECT_EQ(finish_child(child, 5000), 255);
        const size_t title = child.output.find(banner_title);
        ASSERT_NE(title, std::string::npos) << child.output;
        EXPECT_EQ(
            child.output.rfind(usage_start),
            child.output.size() - (usage_start.size() +
                                   std::string("for example if you have your Matrix Orbital "
                                               "display connected on COM14:\n\nstarglow.exe 14\n\n")
                                       .size()));
        EXPECT_EQ(child.output.substr(0, 1), "\n");
        EXPECT_FALSE(access(port.c_str(), F_OK) == 0);
    }
}

// -h and --help are no port numbers: the usage text, how ports are named
// here, status 0, and nothing sent to port 1 (a pty of ours standing in).
TEST_F(StarglowProgram, HelpPrintsUsageAndPortNamesAndSendsNothing) {
    const std::string usage = usage_start +
                              "for example if you have your Matrix Orbital display connected on "
                              "COM14:\n\nstarglow.exe 14\n\n";
    for (const char* help : {"-h", "--help"}) {
        pty = open_pty();
        termios before{};
        ASSERT_EQ(tcgetattr(pty.master, &before), 0);
        Child child =
            start_program({STARGLOW_BIN, help}, {"STARGLOW_COM1=" + pty.slave_path}, directory);
        EXPECT_EQ(finish_child(child, 5000), 0) << help;
        // Standard output: the banner, then the usage text, and nothing else.
        ASSERT_GE(child.output.size(), usage.size()) << help;
        EXPECT_EQ(child.output.substr(child.output.size() - usage.size()), usage) << help;
        EXPECT_EQ(child.output.find(banner_title), child.output.find("  LCD STARGLOW")) << help;
        EXPECT_LT(child.output.find(banner_title), child.output.size() - usage.size()) << help;
        // Standard error: how a port number names a device on Linux.
        for (const char* words :
             {"/dev/ttyS<N-1>", "STARGLOW_COM<N>", "STARGLOW_COM14=/dev/ttyUSB0 starglow 14"})
            EXPECT_NE(child.errors.find(words), std::string::npos) << help << child.errors;
        // The port was not opened: no bytes, and its line settings as they were.
        Wire wire;
        read_pty(pty, wire, 1, 300);
        EXPECT_TRUE(wire.empty()) << help;
        termios after{};
        ASSERT_EQ(tcgetattr(pty.master, &after), 0);
        EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before)) << help;
        EXPECT_EQ(after.c_iflag & (IXON | IXOFF), before.c_iflag & (IXON | IXOFF)) << help;
        close_pty(pty);
    }
}

// Every run that opens a port names the device once on standard error;
// an argument without a number is still port 1.
TEST_F(StarglowProgram, AnOpenedPortIsNamedOnceOnStandardError) {
    place_music(cached_silent_music(203153), directory);  // initialises, then ends at once
    for (const char* argument : {"abc", "1"}) {
        pty = open_pty();
        Child child =
            start_program({STARGLOW_BIN, argument},
                          {"STARGLOW_COM1=" + pty.slave_path, "STARGLOW_AUDIO=silent"}, directory);
        EXPECT_EQ(finish_child(child, 20000), 0) << argument << child.errors;
        Wire wire;
        read_pty(pty, wire, startup_string.size() + 2, 2000);
        EXPECT_EQ(wire.size(), startup_string.size() + 2) << argument;
        EXPECT_EQ(child.errors,
                  "starglow: port 1 is " + pty.slave_path + "; the show plays there\n")
            << argument;
        // Standard output stays the show's own: the banner and nothing more.
        EXPECT_EQ(child.output.find("ttyS"), std::string::npos) << argument;
        EXPECT_EQ(child.output.find(pty.slave_path), std::string::npos) << argument;
        close_pty(pty);
    }
}

TEST_F(StarglowProgram, BannerIsSevenLogoLinesTitleAndSubtitle) {
    Child child = start_program({STARGLOW_BIN}, {}, directory);
    finish_child(child, 5000);
    std::vector<std::string> lines;
    size_t at = 1;  // after the opening blank line
    while (lines.size() < 10) {
        const size_t end = child.output.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(child.output.substr(at, end - at));
        at = end + 1;
    }
    for (int i = 0; i < 7; ++i) {
        EXPECT_GE(lines[i].size(), 46u) << lines[i];
        EXPECT_LE(lines[i].size(), 78u) << lines[i];
        EXPECT_EQ(lines[i].find_first_not_of(" _/\\()<>"),
                  i == 6 ? lines[i].size() - 3 : std::string::npos)
            << lines[i];
    }
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], "  LCD STARGLOW 2");
    EXPECT_EQ(lines[9].substr(0, 2), "  ");
}

TEST_F(StarglowProgram, MissingDeviceSaysSoAndExits255) {
    for (const char* port : {"7", "0", "-3", "abc"}) {
        Child child = start_program({STARGLOW_BIN, port},
                                    {"STARGLOW_COM7=" + directory + "/no-such-device",
                                     "STARGLOW_COM1=" + directory + "/no-such-device"},
                                    directory);
        EXPECT_EQ(finish_child(child, 5000), 255) << port;
        const std::string message = "Error opening serial port\n";
        ASSERT_GE(child.output.size(), message.size());
        EXPECT_EQ(child.output.substr(child.output.size() - message.size()), message) << port;
        EXPECT_NE(child.errors.find("starglow: "), std::string::npos) << port;
    }
}

TEST_F(StarglowProgram, ConfiguresTheLineAndKeepsWhatItDoesNotOwn) {
    place_music(cached_silent_music(203154), directory);
    pty = open_pty();
    // Settings the show must leave alone: odd parity, two stop bits, our
    // own flow-control characters.
    termios before{};
    ASSERT_EQ(tcgetattr(pty.master, &before), 0);
    before.c_cflag |= PARENB | PARODD | CSTOPB;
    before.c_cflag = (before.c_cflag & ~CSIZE) | CS7;
    before.c_cc[VSTOP] = 0x1A;
    before.c_cc[VSTART] = 0x1B;
    cfsetospeed(&before, B9600);
    cfsetispeed(&before, B9600);
    ASSERT_EQ(tcsetattr(pty.master, TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(pty.master, &before), 0);  // what the pty accepted
    const tcflag_t kept_cflags = before.c_cflag & (PARENB | PARODD | CSTOPB);
    ASSERT_NE(kept_cflags, 0u);

    Child child =
        start_program({STARGLOW_BIN, "7"},
                      {"STARGLOW_COM7=" + pty.slave_path, "STARGLOW_AUDIO=silent"}, directory);
    Wire wire;
    read_pty(pty, wire, startup_string.size() + 2, 5000);
    termios during{};
    ASSERT_EQ(tcgetattr(pty.master, &during), 0);
    EXPECT_EQ(cfgetospeed(&during), static_cast<speed_t>(B57600));
    EXPECT_EQ(cfgetispeed(&during), static_cast<speed_t>(B57600));
    EXPECT_EQ(during.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(during.c_iflag & IXON);
    EXPECT_TRUE(during.c_iflag & IXOFF);
    EXPECT_EQ(during.c_cflag & (PARENB | PARODD | CSTOPB), kept_cflags);
    EXPECT_EQ(during.c_cc[VSTOP], 0x1A);
    EXPECT_EQ(during.c_cc[VSTART], 0x1B);
    // Binary line: no output processing, no echo.
    EXPECT_FALSE(during.c_oflag & OPOST);
    EXPECT_FALSE(during.c_lflag & ECHO);
    kill(child.pid, SIGTERM);
    finish_child(child, 5000);
}

TEST_F(StarglowProgram, WritesStartUpClearBarGlyphsThenWholeFrames) {
    place_music(cached_silent_music(203154), directory);
    Child child = start_on_pty();
    const size_t glyph_bytes = 8 * 11;
    const size_t frames = 20;
    Wire wire;
    read_pty(pty, wire, startup_string.size() + 2 + glyph_bytes + frames * 96, 10000);
    read_child(child, 1, 2000);
    kill(child.pid, SIGTERM);
    finish_child(child, 5000);

    ASSERT_GE(wire.size(), startup_string.size() + 2 + glyph_bytes + frames * 96)
        << child.output << child.errors;
    EXPECT_EQ(Wire(wire.begin(), wire.begin() + 20), startup_string);
    EXPECT_EQ(Wire(wire.begin() + 20, wire.begin() + 22), (Wire{0xFE, 0x58}));
    size_t at = 22;
    for (int g = 0; g < 8; ++g, at += 11) {
        Wire want = {0xFE, 0x4E, static_cast<unsigned char>(g)};
        for (int row = 0; row < 8; ++row) want.push_back(row >= 7 - g ? 0xFF : 0x00);
        EXPECT_EQ(
            Wire(wire.begin() + static_cast<long>(at), wire.begin() + static_cast<long>(at + 11)),
            want)
            << "glyph " << g;
    }
    for (size_t f = 0; f < frames; ++f) {
        for (unsigned char row = 0; row < 4; ++row, at += 24) {
            EXPECT_EQ(Wire(wire.begin() + static_cast<long>(at),
                           wire.begin() + static_cast<long>(at + 4)),
                      (Wire{0xFE, 0x47, 0x01, static_cast<unsigned char>(row + 1)}))
                << "frame " << f << " row " << int(row);
        }
    }
    // One position line a turn, each a number.
    ASSERT_NE(child.output.find("  LCD STARGLOW 2\n"), std::string::npos);
    const std::string after_banner =
        child.output.substr(child.output.find('\n', child.output.find("  LCD")) + 1);
    const std::string positions = after_banner.substr(after_banner.find('\n') + 1);
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.find_first_not_of("0123456789\n"), std::string::npos)
        << positions.substr(0, 200);
}

TEST_F(StarglowProgram, ShowRunsOnWhenTheDisplaySideHangsUp) {
    place_music(cached_silent_music(203154), directory);
    Child child = start_on_pty();
    Wire wire;
    read_pty(pty, wire, 2000, 10000);
    ASSERT_GE(wire.size(), 2000u);
    close_pty(pty);
    read_child(child, 0, 300);
    const size_t printed = child.output.size();
    read_child(child, 64, 3000);
    // Still turning: more position lines, and the process has not ended.
    EXPECT_GT(child.output.size(), printed);
    EXPECT_EQ(kill(child.pid, 0), 0);
    kill(child.pid, SIGTERM);
    finish_child(child, 5000);
}

TEST_F(StarglowProgram, MusicOfAnyOtherLengthInitialisesThenEndsQuietly) {
    for (uint32_t length : {203153u, 203155u}) {
        place_music(cached_silent_music(length), directory);
        Child child = start_on_pty();
        Wire wire;
        EXPECT_EQ(finish_child(child, 20000), 0) << length << child.output << child.errors;
        read_pty(pty, wire, 64, 500);
        EXPECT_EQ(wire.size(), startup_string.size() + 2) << length;
        // Nothing after the banner: no position line, no message.
        const size_t subtitle_end =
            child.output.find('\n', child.output.find(banner_title) + banner_title.size());
        EXPECT_EQ(subtitle_end + 1, child.output.size()) << length << child.output;
        close_pty(pty);
    }
}

TEST_F(StarglowProgram, MissingMusicIsAnAudioErrorAfterTheDisplayStarted) {
    Child child = start_on_pty();
    EXPECT_EQ(finish_child(child, 10000), 255);
    Wire wire;
    read_pty(pty, wire, 64, 500);
    EXPECT_EQ(wire.size(), startup_string.size() + 2);
    EXPECT_NE(child.output.find("FMOD error! (1) "), std::string::npos) << child.output;
}

}  // namespace
