// A real, independent client of the command set: LCDd with its driver for
// this family of modules, on lcdemu's pty, with the lcdproc client showing
// its screens for a few seconds. Every byte it sends must be understood,
// and the display must end showing LCDd's goodbye.
#include <arpa/inet.h>
#include <glob.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "emu_process.h"

namespace {

constexpr const char* lcdemu_path = EMU_LCDEMU;
constexpr const char* lcdd_path = "/usr/sbin/LCDd";
constexpr const char* lcdproc_path = "/usr/bin/lcdproc";
constexpr int lcdproc_run_ms = 3000;

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

TEST(LcdprocPeer, LcddDrivesTheDisplayWithNoUnknownBytes) {
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
             << "\nWaitTime=1\nGoodBye=\"Goodbye from the\"\nGoodBye=\"   test server\"\n"
             << "[MtxOrb]\nDevice=" << dir << "/lcd\nSize=20x4\nType=lcd\nContrast=480\n"
             << "hasAdjustableBacklight=yes\nBrightness=1000\nOffBrightness=0\nSpeed=19200\n";
    }
    ProgramOptions emu;
    emu.argv = {lcdemu_path,  "--headless", "--once",           "--link",
                dir + "/lcd", "--stats",    dir + "/stats.json"};
    emu.output = dir + "/lcdemu.out";
    const pid_t lcdemu = start_program(emu);
    ASSERT_TRUE(wait_for([&] { return file_exists(dir + "/lcd"); }, 5000));

    ProgramOptions server;
    server.argv = {lcdd_path, "-c", dir + "/LCDd.conf", "-f"};
    server.output = dir + "/lcdd.out";
    const pid_t lcdd = start_program(server);
    ASSERT_TRUE(wait_for([&] { return accepts(port); }, 10000)) << read_file(dir + "/lcdd.out");

    ProgramOptions client;
    client.argv = {lcdproc_path, "-s", "127.0.0.1", "-p", std::to_string(port),
                   "-f",         "C",  "M",         "L",  "U"};
    client.output = dir + "/lcdproc.out";
    const pid_t lcdproc = start_program(client);
    usleep(lcdproc_run_ms * 1000);
    kill(lcdproc, SIGTERM);
    wait_program(lcdproc, 5000);
    kill(lcdd, SIGTERM);  // it says goodbye on the display and closes the port
    EXPECT_EQ(wait_program(lcdd, 10000), 0) << read_file(dir + "/lcdd.out");
    ASSERT_EQ(wait_program(lcdemu, 10000), 0) << read_file(dir + "/lcdemu.out");

    const std::string stats = read_file(dir + "/stats.json");
    EXPECT_EQ(json_number(stats, "unknown_bytes"), 0) << stats;
    EXPECT_GT(json_number(stats, "bytes_received"), 500) << stats;
    EXPECT_EQ(json_number(stats, "baud"), 19200);
    const std::vector<std::string> screen = json_screen(stats);
    ASSERT_EQ(screen.size(), 4u) << stats;
    EXPECT_EQ(screen[0], "Goodbye from the    ");
    EXPECT_EQ(screen[1], "   test server      ");
    remove_directory(dir);
}

}  // namespace
