// End-to-end under an X server: the real program against the simulator,
// driven by real key events, checked by what reaches the receiver.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class XvfbKeysTest : public XvfbProgramTest {
protected:
    std::string simLog() const { return readFile(dir + "/sim.log"); }
};

TEST_F(XvfbKeysTest, CtrlUpAndPowerOffReachTheReceiver) {
    ASSERT_TRUE(sim.start({AR8600_SIM_PATH, "--log", dir + "/sim.log"}, {}, dir + "/sim.out"));
    ASSERT_TRUE(
        waitFor([&] { return readFile(dir + "/sim.out").find('\n') != std::string::npos; }, 5s));
    const std::string simOut = readFile(dir + "/sim.out");
    const std::string device = simOut.substr(0, simOut.find('\n'));

    ASSERT_TRUE(korvex.start({KORVEX_PATH, "--port", device, "--no-splash", "--config-dir", dir},
                             {"QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir},
                             dir + "/korvex.out"));
    // The initial read-out ends with "LB"; after it the link is idle.
    ASSERT_TRUE(waitFor([&] { return simLog().find("\tLB") != std::string::npos; }, 30s))
        << simLog() << readFile(dir + "/korvex.out");

    ASSERT_TRUE(focusProgramWindow()) << readFile(dir + "/korvex.out");

    key("ctrl+Up");
    EXPECT_TRUE(waitFor([&] { return simLog().find("\t<1E>") != std::string::npos; }, 5s))
        << simLog();

    // "&Settings" > "&Power Off" by the menus' own letters.
    key("alt+s");
    key("p");
    EXPECT_TRUE(waitFor([&] { return simLog().find("\tQP") != std::string::npos; }, 5s))
        << simLog();

    run({IMPORT_PATH, "-window", "root", SCREENSHOT_PATH});

    korvex.kill(SIGTERM);
    EXPECT_EQ(korvex.wait(10s), 0);
}

// Before the main loop runs, the start-up message waits for a click; a stop
// signal must not.
TEST_F(XvfbKeysTest, StopSignalEndsTheProgramWhileTheStartupMessageIsShown) {
    ASSERT_TRUE(
        korvex.start({KORVEX_PATH, "--port", "/dev/null", "--no-splash", "--config-dir", dir},
                     {"QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir}, dir + "/korvex.out"));
    EXPECT_TRUE(waitFor(
        [&] {
            return run({XDOTOOL_PATH, "search", "--onlyvisible", "--name", "^Error"}).has_value();
        },
        10s))
        << readFile(dir + "/korvex.out");
    const std::string out = readFile(dir + "/korvex.out");
    EXPECT_NE(out.find("ComPort in use or not available."), std::string::npos) << out;
    EXPECT_NE(out.find("/dev/null: not a serial device"), std::string::npos) << out;

    korvex.kill(SIGTERM);
    EXPECT_EQ(korvex.wait(5s), 0) << readFile(dir + "/korvex.out");
}

}  // namespace
}  // namespace korvex::test
