// End to end under an X server: the real program, its log and the sound
// library on ALSA's null devices against the simulator tool playing a
// scripted band, driven by real key events from xdotool. A screenshot of
// the LOG VIEW with its entries is left in the build folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "log/LogFile.h"
#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class LogXvfbTest : public XvfbProgramTest {
protected:
    std::size_t nlQueries() {
        const auto wire = sim.wire();
        return static_cast<std::size_t>(std::count(wire.begin(), wire.end(), "NL"));
    }
    void startLoggingProgram() {
        // The log's settings: audio on, an entry after 1 s open, its end
        // after 2 s closed, and the log file the dialog offers.
        std::ofstream(dir + "/Korv.ini")
            << "[COMMON]\nsaveonexit=0\n[RS232]\nComPortNum=1\nComPortSettings=9600,N,8,2\n"
            << "[LOG]\naudio=1\ntdelay=2\ntentry=1\nfilepath=" << dir << "/air.log\n"
            << "audiotime=60\nxplayerpath=\nusexplayer=0\n"
            << "[AUDIO]\nbitspersample=16\nsamplefreq=22050\n";
        // The band counts from the memory scan's start, a few seconds
        // before the log starts.
        std::ofstream(dir + "/band.txt") << "8000  145612500 120 5000\n"
                                            "17000 446006250 150 5000\n";
        ASSERT_NO_FATAL_FAILURE(
            startProgram({"--scenario", dir + "/band.txt", "--scenario-from", "MS"}));
    }
};

TEST_F(LogXvfbTest, StartLogDuringAMemoryScanFillsTheLogViewAndTheFile) {
    ASSERT_NO_FATAL_FAILURE(startLoggingProgram());
    std::size_t mark = sim.mark();
    key("alt+o");  // "St&op/Mem": memory read, from where a scan starts
    ASSERT_TRUE(sim.waitInOrder(mark, {"MR", "GA", "MP"})) << sim.log();
    // The scan's "St&art" is enabled once the window has taken in the
    // replies (its poll tick).
    std::this_thread::sleep_for(300ms);
    mark = sim.mark();
    key("alt+a");  // the panel's memory scan "St&art"
    ASSERT_TRUE(sim.waitSent("MS", mark)) << sim.log();
    key("alt+l");
    key("a");  // "St&art Log": the save dialog offers air.log
    ASSERT_TRUE(focusWindow("Save As")) << korvex.output();
    key("Return");
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(dir + "/air.log"); }, 5s));
    ASSERT_TRUE(waitWindowGone("Save As"));
    const std::size_t refillsBefore = nlQueries();
    ASSERT_TRUE(focusProgramWindow());
    // F6 goes to the list selector; End opens it and goes to its last entry
    // (DATABASE); LOG VIEW is the one before.
    for (const char* k : {"F6", "End", "End", "Up", "Return"}) {
        key(k);
    }

    const std::string log = dir + "/air.log";
    ASSERT_TRUE(waitFor([&] { return parseLogText(readFile(log)).size() == 2; }, 60s))
        << readFile(log) << korvex.output();
    // The view shows an entry once the noise-limiter query that follows it
    // was answered.
    waitFor([&] { return nlQueries() >= refillsBefore + 2; }, 3s);
    screenshot("log-view.png");

    const auto entries = parseLogText(readFile(log));
    EXPECT_EQ(entries[0].frequency, "145.612500");
    EXPECT_EQ(entries[1].frequency, "446.006250");
    for (const LogEntry& e : entries) {
        ASSERT_TRUE(e.hasAudio());
        EXPECT_EQ(std::system(("soxi -t '" + dir + "/" + e.audioFile + "' >/dev/null").c_str()), 0);
    }
    EXPECT_EQ(korvex.terminate(), 0) << korvex.output();
    EXPECT_EQ(parseLogText(readFile(log)).size(), 2u) << "nothing lost at exit";
}

}  // namespace
}  // namespace korvex::test
