// The argument rules and port names of start-up.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "driver/startup.h"

namespace {

TEST(PortNumber, ParsesLikePercentD) {
    EXPECT_EQ(parse_port_number("14"), 14);
    EXPECT_EQ(parse_port_number("  7"), 7);
    EXPECT_EQ(parse_port_number("14x"), 14);
    EXPECT_EQ(parse_port_number("-3"), -3);
    EXPECT_EQ(parse_port_number("+5"), 5);
    EXPECT_EQ(parse_port_number("abc"), 1);
    EXPECT_EQ(parse_port_number(""), 1);
    EXPECT_EQ(parse_port_number("0x10"), 0);
}

TEST(PortNumber, HugeNumbersAreClampedNotUndefined) {
    EXPECT_EQ(parse_port_number("99999999999999999999"), INT_MAX);
    EXPECT_EQ(parse_port_number("-99999999999999999999"), INT_MIN);
}

std::string port_name(int port) {
    char name[device_name_bytes];
    format_port_name(port, name, sizeof name);
    return name;
}

TEST(PortName, DeviceNamespaceFromTenUp) {
    EXPECT_EQ(port_name(3), "COM3");
    EXPECT_EQ(port_name(9), "COM9");
    EXPECT_EQ(port_name(-3), "COM-3");
    EXPECT_EQ(port_name(10), "\\\\.\\COM10");
    EXPECT_EQ(port_name(14), "\\\\.\\COM14");
    EXPECT_EQ(port_name(10).size(), 9u);
}

}  // namespace
