// End-to-end under an X server: the real program against the simulator,
// the tuning panel driven by real key events from xdotool, checked by what
// reaches the receiver. Screenshots of the panel in the VFO, search and
// memory states are left in the build folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class PanelXvfbTest : public XvfbProgramTest {
protected:
    void key(const std::string& keys) { XvfbProgramTest::key(keys, 200ms); }
    void type(const std::string& text) {
        EXPECT_TRUE(run({XDOTOOL_PATH, "type", "--delay", "80", text})) << text;
    }
    void screenshot(const std::string& name) {
        run({IMPORT_PATH, "-window", "root", std::string(SCREENSHOT_DIR) + "/" + name});
    }

    // The commands the simulator received, in order.
    std::vector<std::string> wire() const {
        std::vector<std::string> texts;
        std::istringstream in(readFile(dir + "/sim.log"));
        std::string line;
        while (std::getline(in, line)) {
            if (const auto tab = line.find('\t'); tab != std::string::npos) {
                texts.push_back(line.substr(tab + 1));
            }
        }
        return texts;
    }
    // Waits until the commands after position `from` begin with `expected`.
    bool sentAfter(std::size_t from, const std::vector<std::string>& expected) {
        return waitFor(
            [&] {
                const auto all = wire();
                if (all.size() < from + expected.size()) {
                    return false;
                }
                return std::equal(expected.begin(), expected.end(),
                                  all.begin() + static_cast<std::ptrdiff_t>(from));
            },
            10s);
    }

    // Waits until `expected` follows somewhere after position `from`; other
    // traffic (a status refresh) may come first.
    bool sentLater(std::size_t from, const std::vector<std::string>& expected) {
        return waitFor(
            [&] {
                const auto all = wire();
                return all.size() >= from &&
                       std::search(all.begin() + static_cast<std::ptrdiff_t>(from), all.end(),
                                   expected.begin(), expected.end()) != all.end();
            },
            10s);
    }

    void startProgram() {
        ASSERT_TRUE(sim.start({AR8600_SIM_PATH, "--log", dir + "/sim.log"}, {}, dir + "/sim.out"));
        ASSERT_TRUE(waitFor(
            [&] { return readFile(dir + "/sim.out").find('\n') != std::string::npos; }, 5s));
        const std::string simOut = readFile(dir + "/sim.out");
        const std::string device = simOut.substr(0, simOut.find('\n'));
        ASSERT_TRUE(
            korvex.start({KORVEX_PATH, "--port", device, "--no-splash", "--config-dir", dir},
                         {"QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir}, dir + "/korvex.out"));
        ASSERT_TRUE(waitFor(
            [&] { return readFile(dir + "/sim.log").find("\tLB") != std::string::npos; }, 30s))
            << readFile(dir + "/korvex.out");
        ASSERT_TRUE(focusProgramWindow()) << readFile(dir + "/korvex.out");
    }
};

const std::vector<std::string> kBatch = {"RX", "AF", "NL", "DB", "SB", "XB"};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

TEST_F(PanelXvfbTest, KeypadVfoATypedFrequencyThenSearchAndMemory) {
    startProgram();
    std::size_t mark = wire().size();
    key("KP_Divide");
    type("145.5");
    key("Return");
    EXPECT_TRUE(sentAfter(mark, concat({{"VA"}, kBatch, {"RF0145500000"}, kBatch})))
        << readFile(dir + "/sim.log");
    std::this_thread::sleep_for(500ms);
    screenshot("panel-vfo.png");

    mark = wire().size();
    key("alt+v");  // "&VFO Start"
    EXPECT_TRUE(sentAfter(mark, {"LC1", "VS"})) << readFile(dir + "/sim.log");
    // The search shows in the panel once the status is read: a step key
    // reads it back 3 s later.
    mark = wire().size();
    key("ctrl+Up");
    EXPECT_TRUE(sentAfter(mark, concat({{"<1E>"}, kBatch}))) << readFile(dir + "/sim.log");
    std::this_thread::sleep_for(500ms);
    screenshot("panel-search.png");

    mark = wire().size();
    key("alt+t");  // "VFO S&top", enabled in the VFO search
    EXPECT_TRUE(sentAfter(mark, concat({{"LC0", "VA"}, kBatch}))) << readFile(dir + "/sim.log");
    std::this_thread::sleep_for(500ms);

    mark = wire().size();
    key("alt+o");  // "St&op/Mem"
    EXPECT_TRUE(sentAfter(mark, concat({{"LC0", "MR"}, kBatch, {"GA", "MP"}})))
        << readFile(dir + "/sim.log");
    std::this_thread::sleep_for(500ms);
    screenshot("panel-memory.png");

    korvex.kill(SIGTERM);
    EXPECT_EQ(korvex.wait(10s), 0);
}

// After a VFO key the focus is in the frequency entry: Ctrl+Right tunes
// from there. In memory read Alt+S is SEL's while the focus is in the
// panel, and the "&Settings" menu's from the list.
TEST_F(PanelXvfbTest, CtrlRightTunesFromTheEntryAndAltSFollowsTheFocus) {
    startProgram();
    std::size_t mark = wire().size();
    key("KP_Divide");
    EXPECT_TRUE(sentAfter(mark, concat({{"VA"}, kBatch}))) << readFile(dir + "/sim.log");
    mark = wire().size();
    key("ctrl+Right");
    EXPECT_TRUE(sentAfter(mark, {"<1C>"})) << readFile(dir + "/sim.log");
    mark = wire().size();
    key("ctrl+Left");
    EXPECT_TRUE(sentAfter(mark, {"<1D>"})) << readFile(dir + "/sim.log");

    mark = wire().size();
    key("alt+o");  // "St&op/Mem": memory read, where SEL is enabled
    ASSERT_TRUE(sentAfter(mark, concat({{"LC0", "MR"}, kBatch, {"GA", "MP"}})))
        << readFile(dir + "/sim.log");
    std::this_thread::sleep_for(500ms);
    key("F5");  // the focus into the panel
    mark = wire().size();
    key("alt+s");
    // SEL shows the channel's flag as read after "MR": the key turns it over.
    EXPECT_TRUE(sentLater(mark, {"GA0", "GA"}) || sentLater(mark, {"GA1", "GA"}))
        << readFile(dir + "/sim.log");

    key("F9");  // the focus into the list
    XvfbProgramTest::key("alt+s", 500ms);
    screenshot("settings-menu.png");
    mark = wire().size();
    key("p");  // "&Power Off" of the "&Settings" menu
    EXPECT_TRUE(sentLater(mark, {"QP"})) << readFile(dir + "/sim.log");

    korvex.kill(SIGTERM);
    EXPECT_EQ(korvex.wait(10s), 0);
}

}  // namespace
}  // namespace korvex::test
