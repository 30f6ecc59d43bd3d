// The scan-group dialog end to end under an X server: the real program
// against the simulator tool, driven by real key events from xdotool. A
// screenshot of the dialog is left in the build folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

// How often `command` was received.
std::size_t count(const Simulator& sim, const std::string& command) {
    const auto wire = sim.wire();
    return static_cast<std::size_t>(std::count(wire.begin(), wire.end(), command));
}

class GroupDialogXvfbTest : public XvfbProgramTest {
protected:
    // The panel's scan-group button (Alt+N), then the dialog once it is there.
    void openGroupDialog() {
        key("alt+n");
        ASSERT_TRUE(focusWindow("Scan Group Settings")) << korvex.output();
    }
    // A command beginning with `prefix` was received after `from`.
    bool sentStartingWith(std::size_t from, const std::string& prefix) const {
        const auto after = sim.since(from);
        return std::any_of(after.begin(), after.end(),
                           [&](const std::string& c) { return c.starts_with(prefix); });
    }
    // Closes the dialog with `keys` and gives the main window the keyboard
    // once the dialog is gone.
    void closeGroupDialog(const std::string& keys) {
        key(keys);
        ASSERT_TRUE(waitWindowGone("Scan Group Settings"));
        ASSERT_TRUE(focusProgramWindow());
    }
};

TEST_F(GroupDialogXvfbTest, AScanGroupChangeReachesTheReceiverAndIsReadBack) {
    std::ofstream(dir + "/Korv.ini")
        << "[COMMON]\nsaveonexit=0\n[RS232]\nComPortNum=1\nComPortSettings=9600,N,8,2\n";
    ASSERT_NO_FATAL_FAILURE(startProgram());
    std::size_t mark = sim.mark();
    key("alt+o");  // "St&op/Mem": memory read, where the scan group can be edited
    ASSERT_TRUE(sim.waitInOrder(mark, {"MR", "GA", "MP"})) << sim.log();
    std::this_thread::sleep_for(300ms);  // the replies taken in on the poll tick

    // The receiver reports scan group 0, which is only shown: Escape.
    ASSERT_NO_FATAL_FAILURE(openGroupDialog());
    screenshot("scan-group-0.png");
    ASSERT_NO_FATAL_FAILURE(closeGroupDialog("Escape"));
    const std::size_t vfBefore = count(sim, "VF");
    const std::size_t lc0Before = count(sim, "LC0");
    // F6 goes to the list selector, Tab on to the scan-group selector; its
    // list opens on Down, and Return chooses group 1.
    mark = sim.mark();
    for (const char* k : {"F6", "Tab", "Down", "Down", "Return"}) {
        key(k);
    }
    // The choice is sent and the group read back for the panel.
    ASSERT_TRUE(sim.waitInOrder(mark, {"GM1", "GM", "BM"})) << sim.log();
    // The Return that chose the group is no Enter of the panel: the receiver
    // stays in memory read.
    EXPECT_EQ(count(sim, "VF"), vfBefore) << sim.log();
    EXPECT_EQ(count(sim, "LC0"), lc0Before) << sim.log();

    // Voice squelch to its end, Ok.
    ASSERT_NO_FATAL_FAILURE(openGroupDialog());
    key("End");
    screenshot("scan-group-1.png");
    mark = sim.mark();
    ASSERT_NO_FATAL_FAILURE(closeGroupDialog("Return"));
    ASSERT_TRUE(sim.waitInOrder(mark, {"XA255", "GM", "BM"})) << sim.log();
    EXPECT_TRUE(sentStartingWith(mark, "XMF")) << "the group scans all modes";
    EXPECT_TRUE(sentStartingWith(mark, "BM --------------------")) << "no link changed";

    // The dialog opens again on what the receiver reported: Ok unchanged
    // sends the new value once more.
    ASSERT_NO_FATAL_FAILURE(openGroupDialog());
    mark = sim.mark();
    ASSERT_NO_FATAL_FAILURE(closeGroupDialog("Return"));
    ASSERT_TRUE(sim.waitSent("XA255", mark)) << sim.log();
    EXPECT_EQ(count(sim, "XA255"), 2u) << sim.log();
    const auto all = sim.wire();
    EXPECT_EQ(
        std::count_if(all.begin(), all.end(), [](const auto& c) { return c.starts_with("XA"); }), 2)
        << sim.log();
}

}  // namespace
}  // namespace korvex::test
