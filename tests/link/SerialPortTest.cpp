#include "link/SerialPort.h"

#include <gtest/gtest.h>

#include "link/Trace.h"

namespace korvex {
namespace {

TEST(SerialSettingsTest, BaudIsReadFromTheStartOfTheSettingsString) {
    EXPECT_EQ(baudFromSettings("19200,N,8,2"), 19200);
    EXPECT_EQ(baudFromSettings("4800,N,8,2"), 4800);
    EXPECT_EQ(baudFromSettings("9600"), 9600);
    EXPECT_EQ(baudFromSettings("38400,N,8,2"), 0);
    EXPECT_EQ(baudFromSettings("96000,N,8,2"), 0);
    EXPECT_EQ(baudFromSettings(""), 0);
    EXPECT_EQ(baudFromSettings("N,8,2"), 0);
}

TEST(SerialSettingsTest, DeviceOverridesThePortNumber) {
    EXPECT_EQ(devicePathFor({1, "9600,N,8,2", ""}), "/dev/ttyS0");
    EXPECT_EQ(devicePathFor({4, "9600,N,8,2", ""}), "/dev/ttyS3");
    EXPECT_EQ(devicePathFor({2, "9600,N,8,2", "/dev/ttyUSB0"}), "/dev/ttyUSB0");
    EXPECT_EQ(devicePathFor({9, "9600,N,8,2", ""}), "/dev/ttyS0");
}

TEST(TraceTest, ControlBytesAreShownInHex) {
    EXPECT_EQ(visibleBytes("RX\r"), "RX<0D>");
    EXPECT_EQ(visibleBytes("\x1E\r"), "<1E><0D>");
    EXPECT_EQ(visibleBytes(std::string("A\0B\xB0", 4)), "A<00>B<B0>");
}

}  // namespace
}  // namespace korvex
