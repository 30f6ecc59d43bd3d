// End-to-end under an X server: the real program against the simulator,
// the tuning panel driven by real key events from xdotool, checked by what
// reaches the receiver. Screenshots of the panel in the VFO, search and
// memory states are left in the build folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

using PanelXvfbTest = XvfbProgramTest;

const std::vector<std::string> kBatch = {"RX", "AF", "NL", "DB", "SB", "XB"};

TEST_F(PanelXvfbTest, KeypadVfoATypedFrequencyThenSearchAndMemory) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    std::size_t mark = sim.mark();
    key("KP_Divide");
    type("145.5");
    key("Return");
    EXPECT_TRUE(sim.waitNext(mark, concat({{"VA"}, kBatch, {"RF0145500000"}, kBatch})))
        << sim.log();
    screenshot("panel-vfo.png");

    mark = sim.mark();
    key("alt+v");  // "&VFO Start"
    EXPECT_TRUE(sim.waitNext(mark, {"LC1", "VS"})) << sim.log();
    // The search shows in the panel once the status is read: a step key
    // reads it back 3 s later.
    mark = sim.mark();
    key("ctrl+Up");
    EXPECT_TRUE(sim.waitNext(mark, concat({{"<1E>"}, kBatch}))) << sim.log();
    screenshot("panel-search.png");

    mark = sim.mark();
    key("alt+t");  // "VFO S&top", enabled in the VFO search
    EXPECT_TRUE(sim.waitNext(mark, concat({{"LC0", "VA"}, kBatch}))) << sim.log();
    // The window takes in the replies on its poll tick: then "St&op/Mem"
    // acts on the VFO state.
    std::this_thread::sleep_for(300ms);

    mark = sim.mark();
    key("alt+o");  // "St&op/Mem"
    EXPECT_TRUE(sim.waitNext(mark, concat({{"LC0", "MR"}, kBatch, {"GA", "MP"}}))) << sim.log();
    screenshot("panel-memory.png");

    EXPECT_EQ(korvex.terminate(), 0) << korvex.output();
}

// After a VFO key the focus is in the frequency entry: Ctrl+Right tunes
// from there. In memory read Alt+S is SEL's while the focus is in the
// panel, and the "&Settings" menu's from the list.
TEST_F(PanelXvfbTest, CtrlRightTunesFromTheEntryAndAltSFollowsTheFocus) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    std::size_t mark = sim.mark();
    key("KP_Divide");
    EXPECT_TRUE(sim.waitNext(mark, concat({{"VA"}, kBatch}))) << sim.log();
    mark = sim.mark();
    key("ctrl+Right");
    EXPECT_TRUE(sim.waitNext(mark, {"<1C>"})) << sim.log();
    mark = sim.mark();
    key("ctrl+Left");
    EXPECT_TRUE(sim.waitNext(mark, {"<1D>"})) << sim.log();

    mark = sim.mark();
    key("alt+o");  // "St&op/Mem": memory read, where SEL is enabled
    ASSERT_TRUE(sim.waitNext(mark, concat({{"LC0", "MR"}, kBatch, {"GA", "MP"}}))) << sim.log();
    // SEL is enabled once the window has taken in the replies (its poll tick).
    std::this_thread::sleep_for(300ms);
    key("F5");  // the focus into the panel
    mark = sim.mark();
    key("alt+s");
    // SEL shows the channel's flag as read after "MR": the key turns it over.
    EXPECT_TRUE(sim.waitRun(mark, {"GA0", "GA"}) || sim.waitRun(mark, {"GA1", "GA"})) << sim.log();

    key("F9");  // the focus into the list
    key("alt+s");
    screenshot("settings-menu.png");
    mark = sim.mark();
    key("p");  // "&Power Off" of the "&Settings" menu
    EXPECT_TRUE(sim.waitRun(mark, {"QP"})) << sim.log();

    EXPECT_EQ(korvex.terminate(), 0) << korvex.output();
}

}  // namespace
}  // namespace korvex::test
