// The Windows serial port (platform/windows/serial_port.cpp) under Wine,
// through serial_probe.exe: what reaches a pty behind a COM port, byte for
// byte, the line settings the tty reads while the port is open, and the
// failure paths.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <chrono>
#include <thread>

#include "wine_session.h"

namespace {

constexpr int probe_timeout_ms = 60 * 1000;
constexpr uint8_t xoff = 0x13;
constexpr uint8_t xon = 0x11;

std::vector<unsigned char> every_byte_then(size_t tail) {
    std::vector<unsigned char> bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<unsigned char>(i));
    for (size_t i = 0; i < tail; ++i) bytes.push_back(static_cast<unsigned char>(i));
    return bytes;
}

class WineSerial : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        skip_reason = windows_tests_unavailable();
        if (!skip_reason.empty()) return;
        std::string error;
        ports_dir = make_directory();
        // COM1 and COM14 lead to links the tests point at ptys of their
        // own; COM5 to a path that never exists.
        if (!open_wine_session(
                &session,
                {{1, ports_dir + "/com1"}, {14, ports_dir + "/com14"}, {5, ports_dir + "/missing"}},
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
    }

    // A fresh pty whose client side the COM port's link names.
    Pty pty_for(const std::string& link) {
        Pty pty = open_pty();
        unlink(link.c_str());
        EXPECT_EQ(symlink(pty.slave_path.c_str(), link.c_str()), 0);
        // Held open here too, so that the line's settings outlive the probe
        // for the last look.
        slave = open(pty.slave_path.c_str(), O_RDWR | O_NOCTTY);
        return pty;
    }
    void TearDown() override {
        if (slave >= 0) close(slave);
    }

    static inline WineSession session;
    static inline std::string ports_dir;
    static inline std::string skip_reason;
    static inline std::string setup_error;
    int slave = -1;
};

// The probe writes every byte value, holds the port, then writes 16 more:
// while it holds, the tty must read the show's line settings; the rest as
// it was before the port was opened.
void expect_port_carries_every_byte(WineSession& session, const Pty& pty, int slave,
                                    const std::string& name) {
    termios before{};
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    Child probe = start_windows_program(session, "serial_probe.exe", {name, "1500"}, {}, "");
    ASSERT_GT(probe.pid, 0);
    std::vector<unsigned char> got;
    read_pty(pty, got, 256, probe_timeout_ms);
    ASSERT_EQ(got.size(), 256u) << "nothing, or too little, reached the pty";

    termios during{};
    ASSERT_EQ(tcgetattr(slave, &during), 0);
    EXPECT_EQ(cfgetospeed(&during), B57600);
    EXPECT_EQ(cfgetispeed(&during), B57600);
    EXPECT_EQ(during.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(during.c_iflag & IXON) << "output does not stop for the display's XOFF";
    EXPECT_TRUE(during.c_iflag & IXOFF) << "the port does not send XOFF when its input fills";
    // What the show leaves as found: parity, stop bits, the flow characters.
    EXPECT_EQ(during.c_cflag & (PARENB | PARODD | CSTOPB),
              before.c_cflag & (PARENB | PARODD | CSTOPB));
    EXPECT_EQ(during.c_cc[VSTART], before.c_cc[VSTART]);
    EXPECT_EQ(during.c_cc[VSTOP], before.c_cc[VSTOP]);

    // Held by XOFF, the tail must wait; XON lets it go.
    const uint8_t stop = xoff;
    ASSERT_EQ(write(pty.master, &stop, 1), 1);
    read_pty(pty, got, 256 + 16, 2500);
    EXPECT_EQ(got.size(), 256u) << "bytes went out while the display held the line with XOFF";
    const uint8_t go = xon;
    ASSERT_EQ(write(pty.master, &go, 1), 1);
    read_pty(pty, got, 256 + 16, probe_timeout_ms);

    EXPECT_EQ(finish_child(probe, probe_timeout_ms), 0) << probe.output << probe.errors;
    EXPECT_EQ(got, every_byte_then(16));
    EXPECT_EQ(lf_lines(probe.output), "open " + name + ": ok\nconfigured\nwrote 256\nwrote 16\n");
}

}  // namespace

TEST_F(WineSerial, Com1CarriesEveryByteValueAtTheShowsLineSettings) {
    Pty pty = pty_for(ports_dir + "/com1");
    expect_port_carries_every_byte(session, pty, slave, "COM1");
    close_pty(pty);
}

TEST_F(WineSerial, PortsFromTenUpOpenByTheirDeviceNamespaceName) {
    Pty pty = pty_for(ports_dir + "/com14");
    expect_port_carries_every_byte(session, pty, slave, "\\\\.\\COM14");
    close_pty(pty);
}

TEST_F(WineSerial, WritesToAFailingPortTakeTheirLineTime) {
    // COM5 leads nowhere: Wine opens it, and every write then fails. Sixty
    // frames of 96 bytes are 5760 bytes, one second of the line: the probe
    // must neither spin through them nor stall.
    std::string output;
    std::string errors;
    ASSERT_EQ(run_windows_program(session, "serial_probe.exe", {"COM5", "--frames", "60"}, {}, "",
                                  &output, &errors, probe_timeout_ms),
              0)
        << output << errors;
    unsigned long long reported = 99;
    unsigned took_ms = 0;
    const size_t at = output.find("frames 60 reported ");
    ASSERT_NE(at, std::string::npos) << output;
    ASSERT_EQ(
        std::sscanf(output.c_str() + at, "frames 60 reported %llu took_ms %u", &reported, &took_ms),
        2);
    EXPECT_EQ(reported, 0u) << "a failed write reported bytes";
    EXPECT_GE(took_ms, 950u) << "the failing writes did not take the line's time";
    EXPECT_LE(took_ms, 3000u);
}

TEST_F(WineSerial, APortThatDoesNotExistFailsAtTheOpenWithTheSystemsReason) {
    std::string output;
    std::string errors;
    EXPECT_EQ(run_windows_program(session, "serial_probe.exe", {"COM7", "0"}, {}, "", &output,
                                  &errors, probe_timeout_ms),
              1);
    EXPECT_EQ(output, "open COM7: failed\n");
    EXPECT_NE(errors.find("starglow: COM7 could not be opened: "), std::string::npos) << errors;
    EXPECT_NE(errors.find("(error 2)"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Device Manager"), std::string::npos) << errors;
}
