// End-to-end under an X server: the real program against the simulator,
// driven by real key events, checked by what reaches the receiver.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

using XvfbKeysTest = XvfbProgramTest;

TEST_F(XvfbKeysTest, CtrlUpAndPowerOffReachTheReceiver) {
    ASSERT_NO_FATAL_FAILURE(startProgram());

    key("ctrl+Up");
    EXPECT_TRUE(sim.waitSent("<1E>")) << sim.log();

    // "&Settings" > "&Power Off" by the menus' own letters.
    key("alt+s");
    key("p");
    EXPECT_TRUE(sim.waitSent("QP")) << sim.log();

    screenshot("mainframe-screenshot.png");

    EXPECT_EQ(korvex.terminate(), 0) << korvex.output();
}

// Before the main loop runs, the start-up message waits for a click; a stop
// signal must not.
TEST_F(XvfbKeysTest, StopSignalEndsTheProgramWhileTheStartupMessageIsShown) {
    ASSERT_TRUE(korvex.start(dir, "/dev/null", display.name()));
    EXPECT_FALSE(waitForWindow("^Error").empty()) << korvex.output();
    const std::string out = korvex.output();
    EXPECT_NE(out.find("ComPort in use or not available."), std::string::npos) << out;
    EXPECT_NE(out.find("/dev/null: not a serial device"), std::string::npos) << out;

    EXPECT_EQ(korvex.terminate(5s), 0) << korvex.output();
}

}  // namespace
}  // namespace korvex::test
