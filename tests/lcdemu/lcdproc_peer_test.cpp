// A real, independent client of the command set: LCDd with its driver for
// this module (Type=lcd: the 20x4 with one output), on lcdemu's pty, with the
// lcdproc client showing its CPU, memory, CPU graph and big clock screens,
// LCDd's own server screen and its heartbeat. Every frame lcdemu showed must
// be what LCDd's bytes say, decoded apart from lcdemu, and the display must
// end showing LCDd's goodbye.
#include <arpa/inet.h>
#include <glob.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>

#include "emu_process.h"
#include "peer_screens.h"

namespace {

constexpr const char* lcdd_path = "/usr/sbin/LCDd";
constexpr const char* lcdproc_path = "/usr/bin/lcdproc";
// Five screens, the server's and four of lcdproc's, two seconds each.
constexpr int lcdproc_run_ms = 10500;

// The directory holding the server's driver for these modules, "" if none.
std::string driver_directory() {
    glob_t found{};
    std::string directory;
    if (glob("/usr/lib/*/lcdproc/MtxOrb.so", 0, nullptr, &found) == 0 ||
        glob("/usr/lib/lcdproc/MtxOrb.so", 0, nullptr, &found) == 0) {
        directory = found.gl_pathv[0];
        directory.resize(directory.rfind('/') + 1);
    }
    globfree(&found);
    return directory;
}

int free_tcp_port() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    return ntohs(address.sin_port);
}

bool accepts(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

// The first rows of the frames shown, as text, for telling which screens
// came up.
std::set<std::string> titles_shown(const FrameLog& log) {
    std::set<std::string> titles;
    for (const std::string& screen : log.screens) titles.insert(screen.substr(0, 20));
    return titles;
}

bool any_title_has(const std::set<std::string>& titles, const std::string& word) {
    for (const std::string& t : titles)
        if (t.find(word) != std::string::npos) return true;
    return false;
}

TEST(LcdprocPeer, EveryFrameIsWhatLcddSentScreenByScreen) {
    const std::string drivers = driver_directory();
    if (access(lcdd_path, X_OK) != 0 || access(lcdproc_path, X_OK) != 0 || drivers.empty()) {
        std::printf("SKIPPED: lcdproc (LCDd, its MtxOrb driver, lcdproc) is not installed\n");
        GTEST_SKIP() << "lcdproc is not installed (apt-get install lcdproc)";
    }
    const std::string dir = temp_directory();
    const int port = free_tcp_port();
    {
        std::ofstream conf(dir + "/LCDd.conf");
        conf << "[server]\nDriverPath=" << drivers
             << "\nDriver=MtxOrb\nBind=127.0.0.1\nPort=" << port
             << "\nReportLevel=2\nReportToSyslog=no\nForeground=yes\nUser="
             << getpwuid(geteuid())->pw_name
             << "\nWaitTime=1\nHeartbeat=open\nGoodBye=\"Goodbye from the\"\n"
             << "GoodBye=\"   test server\"\n"
             << "[MtxOrb]\nDevice=" << dir << "/lcd\nSize=20x4\nType=lcd\nContrast=480\n"
             << "hasAdjustableBacklight=yes\nBrightness=1000\nOffBrightness=0\nSpeed=19200\n";
        // The client's screens, and none of those the system's own
        // configuration may turn on.
        std::ofstream client(dir + "/lcdproc.conf");
        client << "[lcdproc]\nReportToSyslog=false\n";
        for (const char* on : {"CPU", "Memory", "CPUGraph", "BigClock"})
            client << "[" << on << "]\nActive=true\n";
        for (const char* off : {"Iface", "Load", "TimeDate", "MiniClock", "About", "SMP-CPU",
                                "OldTime", "Uptime", "Battery", "ProcSize", "Disk"})
            client << "[" << off << "]\nActive=false\n";
    }
    ProgramOptions emu = peer_lcdemu_options(dir);
    const pid_t lcdemu = start_program(emu);
    ASSERT_TRUE(wait_for([&] { return file_exists(dir + "/lcd"); }, 5000));

    ProgramOptions server;
    server.argv = {lcdd_path, "-c", dir + "/LCDd.conf", "-f"};
    server.output = dir + "/lcdd.out";
    const pid_t lcdd = start_program(server);
    ASSERT_TRUE(wait_for([&] { return accepts(port); }, 10000)) << read_file(dir + "/lcdd.out");

    ProgramOptions client;
    client.argv = {lcdproc_path,
                   "-c",
                   dir + "/lcdproc.conf",
                   "-s",
                   "127.0.0.1",
                   "-p",
                   std::to_string(port),
                   "-f",
                   "C",
                   "M",
                   "G",
                   "K"};
    client.output = dir + "/lcdproc.out";
    const pid_t lcdproc = start_program(client);
    usleep(lcdproc_run_ms * 1000);
    kill(lcdproc, SIGTERM);
    wait_program(lcdproc, 5000);
    kill(lcdd, SIGTERM);  // it says goodbye on the display and closes the port
    EXPECT_EQ(wait_program(lcdd, 10000), 0) << read_file(dir + "/lcdd.out");
    ASSERT_EQ(wait_program(lcdemu, 10000), 0) << read_file(dir + "/lcdemu.out");

    const std::string wire = read_file(dir + "/wire.bin");
    const FrameLog log = read_frame_log(dir + "/frames.log");
    DecodedDisplay decoded;
    EXPECT_TRUE(frames_match_wire(wire, log, &decoded));
    EXPECT_TRUE(picture_matches(dir + "/end.png", decoded));
    // Only what the decoder draws, and nothing either side did not know.
    EXPECT_EQ(decoded.unknown, 0);
    EXPECT_TRUE(decoded.unfollowed.empty()) << decoded.unfollowed.front();
    const std::string stats = read_file(dir + "/stats.json");
    EXPECT_EQ(json_number(stats, "unknown_bytes"), 0) << stats;
    EXPECT_EQ(json_number(stats, "baud"), 19200);

    // The run was what it is meant to test: LCDd's bare output command, its
    // glyphs (heartbeat, bars, big clock), and every screen.
    EXPECT_TRUE(wire_has_bare_output_command(wire));
    EXPECT_GT(json_number(stats, "glyph_definitions"), 20) << stats;
    EXPECT_GE(log.screens.size(), 30u);
    const std::set<std::string> titles = titles_shown(log);
    for (const char* screen : {"LCDproc Server", "CPU:", "CPU LOAD", "MEM"})
        EXPECT_TRUE(any_title_has(titles, screen)) << screen << read_file(dir + "/lcdproc.out");
    // The big clock's digits are glyphs: a frame with glyph codes in every row.
    bool big_clock = false;
    for (const std::string& screen : log.screens) {
        int rows_with_glyphs = 0;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 20; ++c)
                if (static_cast<uint8_t>(screen[static_cast<size_t>(r * 20 + c)]) < 8) {
                    ++rows_with_glyphs;
                    break;
                }
        big_clock = big_clock || rows_with_glyphs == 4;
    }
    EXPECT_TRUE(big_clock);
    EXPECT_EQ(log.screens.back().substr(0, 40), "Goodbye from the       test server      ");
    remove_directory(dir);
}

}  // namespace
