// The scan-group dialog end to end under an X server: the real program
// against the simulator tool, driven by real key events from xdotool. A
// screenshot of the dialog is left in the build folder.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size())) {
        ++n;
    }
    return n;
}

class GroupDialogXvfbTest : public XvfbProgramTest {
protected:
    std::string simLog() { return sim.log(); }
    // The panel's scan-group button (Alt+N), then the dialog once it is there.
    void openGroupDialog() {
        key("alt+n", 0ms);
        ASSERT_TRUE(focusWindow("Scan Group Settings")) << korvex.output();
    }
};

TEST_F(GroupDialogXvfbTest, AScanGroupChangeReachesTheReceiverAndIsReadBack) {
    std::ofstream(dir + "/Korv.ini")
        << "[COMMON]\nsaveonexit=0\n[RS232]\nComPortNum=1\nComPortSettings=9600,N,8,2\n";
    ASSERT_NO_FATAL_FAILURE(startProgram());
    key("alt+o", 1000ms);  // "St&op/Mem": memory read, where the scan group can be edited
    ASSERT_TRUE(sim.waitSent("MR"));

    // The receiver reports scan group 0, which is only shown: Escape.
    ASSERT_NO_FATAL_FAILURE(openGroupDialog());
    screenshot("scan-group-0.png");
    key("Escape", 500ms);
    ASSERT_TRUE(focusProgramWindow());
    const std::size_t vfBefore = count(simLog(), "\tVF");
    const std::size_t lc0Before = count(simLog(), "\tLC0");
    // F6 goes to the list selector, Tab on to the scan-group selector; its
    // list opens on Down, and Return chooses group 1.
    for (const char* k : {"F6", "Tab", "Down", "Down", "Return"}) {
        key(k);
    }
    ASSERT_TRUE(waitFor([&] { return simLog().find("\tGM1") != std::string::npos; }, 5s))
        << simLog();
    std::this_thread::sleep_for(1000ms);  // the group's read-back reaches the panel
    // The Return that chose the group is no Enter of the panel: the receiver
    // stays in memory read.
    EXPECT_EQ(count(simLog(), "\tVF"), vfBefore) << simLog();
    EXPECT_EQ(count(simLog(), "\tLC0"), lc0Before) << simLog();

    // Voice squelch to its end, Ok.
    ASSERT_NO_FATAL_FAILURE(openGroupDialog());
    key("End", 500ms);
    screenshot("scan-group-1.png");
    key("Return", 500ms);
    ASSERT_TRUE(waitFor([&] { return simLog().find("\tXA255") != std::string::npos; }, 5s))
        << simLog();
    ASSERT_TRUE(waitFor(
        [&] {
            const std::string log = simLog();
            const std::size_t set = log.find("\tXA255");
            return log.find("\tGM\n", set) != std::string::npos &&
                   log.find("\tBM\n", set) != std::string::npos;
        },
        5s))
        << simLog();
    const std::string afterFirst = simLog();
    EXPECT_NE(afterFirst.find("\tXMF"), std::string::npos) << "the group scans all modes";
    EXPECT_NE(afterFirst.find("\tBM --------------------"), std::string::npos) << "no link changed";
    std::this_thread::sleep_for(1000ms);

    // The dialog opens again on what the receiver reported: Ok unchanged
    // sends the new value once more.
    ASSERT_TRUE(focusProgramWindow());
    ASSERT_NO_FATAL_FAILURE(openGroupDialog());
    key("Return", 500ms);
    ASSERT_TRUE(waitFor([&] { return count(simLog(), "\tXA255") == 2; }, 5s)) << simLog();
    EXPECT_EQ(count(simLog(), "\tXA"), 2u) << simLog();
}

}  // namespace
}  // namespace korvex::test
