#include "link/SerialPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "link/Trace.h"
#include "tests/support/TempDir.h"

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

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(TraceTest, TextWithoutLineEndIsTracedInBoundedPieces) {
    test::TempDir dir;
    Trace trace;
    ASSERT_TRUE(trace.open(dir / "wire.trace"));
    const std::string chunk(100, 'x');
    for (int n = 0; n < 100; ++n) {
        trace.received(chunk);
    }
    trace.received("\r\n");
    const auto lines = linesOf(dir / "wire.trace");
    ASSERT_EQ(lines.size(), 3u);
    std::size_t traced = 0;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 14 + Trace::kMaxPartialLine + 100 + 8) << "time, direction, text";
        traced += static_cast<std::size_t>(std::count(line.begin(), line.end(), 'x'));
    }
    EXPECT_EQ(traced, 10'000u) << "nothing of it is lost";
    EXPECT_EQ(trace.takeFailure(), 0);
}

TEST(TraceTest, FailuresToOpenOrWriteAreHandedOutOnce) {
    Trace full;
    ASSERT_TRUE(full.open("/dev/full"));
    full.written("RX\r");
    full.written("RX\r");
    EXPECT_EQ(full.takeFailure(), ENOSPC);
    full.written("RX\r");
    EXPECT_EQ(full.takeFailure(), 0) << "told once";

    Trace missing;
    EXPECT_FALSE(missing.open("/nonexistent-folder/wire.trace"));
    EXPECT_EQ(missing.takeFailure(), ENOENT);
    missing.received("VF RF0145500000\r\n");
    EXPECT_EQ(missing.takeFailure(), 0);
}

}  // namespace
}  // namespace korvex
