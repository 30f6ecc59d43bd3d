// End to end under an X server: the real program against the simulator's
// built-in band, driven by keys from xdotool. A VFO search between the
// sample VFOs (144 to 146 MHz) is swept in the three drawing modes from the
// View menu and halted from the view's menu; a screenshot of each mode is
// left in the build folder. What halting, resuming and leaving send, and
// what they do to the window, is ScopeWireTest's.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

const std::vector<std::string> kBatch = {"RX", "AF", "NL", "DB", "SB", "XB"};

class ScopeXvfbTest : public XvfbProgramTest {
protected:
    void SetUp() override {
        XvfbProgramTest::SetUp();
        std::ofstream(dir + "/Korv.ini") << "[COMMON]\r\nwidthx=1300\r\nwidthy=820\r\n"
                                            "smetermax=255\r\nscopethresh=30\r\nscopedelay=0\r\n";
    }
};

TEST_F(ScopeXvfbTest, ThreeModesFromTheViewMenuAndHaltFromTheKeyboard) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    // VFO B (146.0 MHz), then VFO A (144.0 MHz): the panel learns both from
    // the status read that follows each.
    std::size_t mark = sim.mark();
    key("KP_Multiply");
    ASSERT_TRUE(sim.waitInOrder(mark, concat({{"VB"}, kBatch}))) << sim.log();
    mark = sim.mark();
    key("KP_Divide");
    ASSERT_TRUE(sim.waitInOrder(mark, concat({{"VA"}, kBatch}))) << sim.log();
    mark = sim.mark();
    key("alt+v");  // "&VFO Start"
    ASSERT_TRUE(sim.waitInOrder(mark, {"LC1", "VS"})) << sim.log();

    mark = sim.mark();
    key("alt+i");  // "V&iew"
    key("b");      // "&Bandscope View"
    if (!sim.waitInOrder(mark, {"PQ0", "LC2"})) {
        screenshot("scope-failed.png");
        FAIL() << sim.log();
    }
    // Each mode's screenshot once its colour is on the screen: the level bars
    // red, the peaks cyan, the percentages orange.
    EXPECT_TRUE(waitForPixels(255, 51, 0, 100));
    screenshot("scope-normal.png");
    key("alt+i");
    key("p");  // "Bandscope &Peak View": only the drawing changes
    EXPECT_TRUE(waitForPixels(0, 255, 255, 100));
    screenshot("scope-peak.png");
    key("alt+i");
    key("a");  // "Bandscope St&atistic View"
    EXPECT_TRUE(waitForPixels(255, 153, 0, 100));
    screenshot("scope-statistic.png");
    const auto sent = sim.since(mark);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "LC2"), 1)
        << "a mode change starts no second sweep";

    // Alt+C opens the view's menu; the first enabled entry halts the sweep.
    mark = sim.mark();
    key("alt+c");
    key("Down");
    key("Return");
    ASSERT_TRUE(sim.waitInOrder(mark, {"LC0", "VF", "MD1"})) << sim.log();
    screenshot("scope-halted.png");

    EXPECT_EQ(korvex.terminate(), 0) << korvex.output();
}

}  // namespace
}  // namespace korvex::test
