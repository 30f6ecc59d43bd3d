// End to end under an X server: the real program against the simulator's
// built-in band, driven by keys from xdotool. A VFO search between the
// sample VFOs (144 to 146 MHz) is swept in the three drawing modes from the
// View menu, halted and resumed from the view's menu; a screenshot of each
// mode is left in the build folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class ScopeXvfbTest : public XvfbProgramTest {
protected:
    void screenshot(const std::string& name) {
        run({IMPORT_PATH, "-window", "root", std::string(SCREENSHOT_DIR) + "/" + name});
    }
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
    // Waits until the words were sent after `from`, in this order.
    bool sentInOrder(std::size_t from, const std::vector<std::string>& words) {
        return waitFor(
            [&] {
                const auto all = wire();
                auto it = all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size()));
                for (const std::string& word : words) {
                    it = std::find(it, all.end(), word);
                    if (it == all.end()) {
                        return false;
                    }
                    ++it;
                }
                return true;
            },
            10s);
    }
    void startProgram() {
        std::ofstream(dir + "/Korv.ini") << "[COMMON]\r\nwidthx=1300\r\nwidthy=820\r\n"
                                            "smetermax=255\r\nscopethresh=30\r\nscopedelay=0\r\n";
        ASSERT_TRUE(sim.start({AR8600_SIM_PATH, "--log", dir + "/sim.log"}, {}, dir + "/sim.out"));
        ASSERT_TRUE(waitFor(
            [&] { return readFile(dir + "/sim.out").find('\n') != std::string::npos; }, 5s));
        const std::string simOut = readFile(dir + "/sim.out");
        const std::string device = simOut.substr(0, simOut.find('\n'));
        ASSERT_TRUE(
            korvex.start({KORVEX_PATH, "--port", device, "--no-splash", "--config-dir", dir},
                         {"QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir,
                          std::string("LSAN_OPTIONS=suppressions=") + LSAN_SUPPRESSIONS},
                         dir + "/korvex.out", {"LSAN_OPTIONS"}));
        ASSERT_TRUE(waitFor(
            [&] { return readFile(dir + "/sim.log").find("\tLB") != std::string::npos; }, 30s))
            << readFile(dir + "/korvex.out");
        ASSERT_TRUE(focusProgramWindow()) << readFile(dir + "/korvex.out");
    }
};

TEST_F(ScopeXvfbTest, ThreeModesHaltAndResumeFromMenuAndKeyboard) {
    startProgram();
    // VFO B (146.0 MHz), then VFO A (144.0 MHz): the panel learns both.
    std::size_t mark = wire().size();
    key("KP_Multiply");
    ASSERT_TRUE(sentInOrder(mark, {"VB", "RX"})) << readFile(dir + "/sim.log");
    std::this_thread::sleep_for(1s);
    mark = wire().size();
    key("KP_Divide");
    ASSERT_TRUE(sentInOrder(mark, {"VA", "RX"})) << readFile(dir + "/sim.log");
    std::this_thread::sleep_for(1s);
    mark = wire().size();
    key("alt+v");  // "&VFO Start"
    ASSERT_TRUE(sentInOrder(mark, {"LC1", "VS"})) << readFile(dir + "/sim.log");
    std::this_thread::sleep_for(500ms);

    mark = wire().size();
    key("alt+i");  // "V&iew"
    key("b");      // "&Bandscope View"
    if (!sentInOrder(mark, {"PQ0", "LC2"})) {
        screenshot("scope-failed.png");
        FAIL() << readFile(dir + "/sim.log");
    }
    // 161 frequencies at the line's pace: a sweep takes about 4.5 s.
    std::this_thread::sleep_for(10s);
    screenshot("scope-normal.png");
    key("alt+i");
    key("p");  // "Bandscope &Peak View": only the drawing changes
    std::this_thread::sleep_for(6s);
    screenshot("scope-peak.png");
    key("alt+i");
    key("a");  // "Bandscope St&atistic View"
    std::this_thread::sleep_for(6s);
    screenshot("scope-statistic.png");
    const auto sent = wire();
    const auto sweepStarts =
        std::count(sent.begin() + static_cast<std::ptrdiff_t>(mark), sent.end(), "LC2");
    EXPECT_EQ(sweepStarts, 1) << "a mode change starts no second sweep";

    // Alt+C opens the view's menu; the first enabled entry halts the sweep.
    mark = wire().size();
    key("alt+c");
    key("Down");
    key("Return");
    ASSERT_TRUE(sentInOrder(mark, {"LC0", "VF", "MD1"})) << readFile(dir + "/sim.log");
    std::this_thread::sleep_for(1s);
    screenshot("scope-halted.png");
    // Halted, the first enabled entry is "Resume Search".
    mark = wire().size();
    key("alt+c");
    key("Down");
    key("Return");
    ASSERT_TRUE(sentInOrder(mark, {"VA", "LC1", "VS", "LC2"})) << readFile(dir + "/sim.log");

    mark = wire().size();
    key("alt+i");
    key("l");  // "&List View"
    ASSERT_TRUE(sentInOrder(mark, {"LC0", "VF"})) << readFile(dir + "/sim.log");

    korvex.kill(SIGTERM);
    EXPECT_EQ(korvex.wait(10s), 0) << readFile(dir + "/korvex.out");
}

}  // namespace
}  // namespace korvex::test
