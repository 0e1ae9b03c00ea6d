// The Linux serial port: which device a port number names, and what the
// port's settings and writes do to a real pty.
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/serial_port.h"

namespace {

std::string device_for(int port) {
    char device[512];
    if (!serial_device_for_port(port, "COM?", device, sizeof device)) return "(none)";
    return device;
}

TEST(SerialPort, PortNumberNamesTtySOfOneLessOrTheEnvironment) {
    unsetenv("STARGLOW_COM1");
    unsetenv("STARGLOW_COM14");
    EXPECT_EQ(device_for(1), "/dev/ttyS0");
    EXPECT_EQ(device_for(14), "/dev/ttyS13");
    setenv("STARGLOW_COM14", "/dev/ttyUSB0", 1);
    EXPECT_EQ(device_for(14), "/dev/ttyUSB0");
    EXPECT_EQ(device_for(1), "/dev/ttyS0");
    setenv("STARGLOW_COM14", "", 1);  // empty: as if unset
    EXPECT_EQ(device_for(14), "/dev/ttyS13");
    unsetenv("STARGLOW_COM14");
    EXPECT_EQ(device_for(0), "(none)");
    EXPECT_EQ(device_for(-3), "(none)");
}

TEST(SerialPort, OpenFailsForAMissingDeviceAndKeepsWhatOpenReturned) {
    SerialHandle handle = 12345;
    EXPECT_FALSE(serial_open("/nonexistent/tty", &handle));
    EXPECT_EQ(handle, serial_no_handle);
}

// A pty stands in for the port: the settings reach the line, and a write
// arrives whole and unchanged, glyph rows of 0x0A included.
TEST(SerialPort, ConfiguresTheLineAndWritesBytesUnchanged) {
    int master = -1;
    int slave = -1;
    char path[256];
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    close(slave);
    SerialHandle handle = serial_no_handle;
    ASSERT_TRUE(serial_open(path, &handle));
    serial_configure(handle);

    termios line{};
    ASSERT_EQ(tcgetattr(static_cast<int>(handle), &line), 0);
    EXPECT_EQ(cfgetospeed(&line), B57600);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(line.c_iflag & IXON);
    EXPECT_TRUE(line.c_iflag & IXOFF);
    EXPECT_FALSE(line.c_oflag & OPOST);
    EXPECT_FALSE(line.c_lflag & (ECHO | ICANON));

    const uint8_t bytes[] = {0xFE, 0x4E, 0x00, 0x0A, 0x0D, 0xFF, 0x11, 0x13};
    EXPECT_EQ(serial_write(handle, bytes, sizeof bytes), sizeof bytes);
    uint8_t got[sizeof bytes] = {};
    ASSERT_EQ(read(master, got, sizeof got), static_cast<ssize_t>(sizeof got));
    for (size_t i = 0; i < sizeof bytes; ++i) EXPECT_EQ(got[i], bytes[i]) << "byte " << i;
    close(static_cast<int>(handle));
    close(master);
}

}  // namespace
