// End-to-end: the real korvex binary against the simulator on a
// pseudo-terminal, checked by what crosses the wire.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "tests/support/ProgramRun.h"
#include "tests/support/Simulator.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class WireTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.empty()); }
    void TearDown() override {
        korvex.kill();
        sim.stop();
    }

    void startSimulator(std::vector<std::string> extra = {}) {
        ASSERT_TRUE(sim.start(dir, extra));
        ASSERT_FALSE(sim.device().empty());
    }
    // The program with no display, on the offscreen platform.
    void startKorvex(std::vector<std::string> extra = {}) {
        ASSERT_TRUE(korvex.start(dir, sim.device(), "", extra));
    }

    // The commands received with the time each came.
    std::vector<Simulator::Timed> wire() const { return sim.timedWire(); }
    std::vector<std::string> wireTexts() const { return sim.wire(); }

    // The trace (--trace) holds the answer to the read-out's last command:
    // the program is idle.
    bool waitReadoutAnswered(const std::string& trace) {
        return waitFor(
            [&] {
                const std::string text = readFile(trace);
                const auto lb = text.find(" > LB<0D>\n");
                return lb != std::string::npos && text.find(" < ", lb) != std::string::npos;
            },
            30s);
    }

    long readoutMs(const std::vector<std::string>& simOptions);

    TempDir temp{"korvex-e2e"};
    const std::string& dir = temp.path();
    Simulator sim;
    KorvexProgram korvex;
};

const std::vector<std::string> kInitialReadout = {"RX", "AF", "NL", "DB", "SB", "XB",
                                                  "TB", "TB", "GA", "MP", "GM", "BM",
                                                  "GS", "BS", "OM", "VL", "LB"};

TEST_F(WireTest, InitialReadoutGoesOutInOrderOneCommandPerTick) {
    startSimulator();
    startKorvex();
    ASSERT_TRUE(waitFor([&] { return wire().size() >= kInitialReadout.size(); }, 30s)) << sim.log();
    std::this_thread::sleep_for(500ms);
    const auto commands = wire();
    ASSERT_EQ(wireTexts(), kInitialReadout) << "nothing else is sent while idle";
    // Each query is answered with data: one tick to send, one to refresh.
    for (std::size_t i = 1; i < commands.size(); ++i) {
        EXPECT_GE(commands[i].ms - commands[i - 1].ms, 90)
            << commands[i - 1].text << " -> " << commands[i].text;
    }
    EXPECT_GE(commands.back().ms - commands.front().ms, 16 * 180);
}

// From the first to the last command of the initial read-out, on a line
// paced at 9600 baud, with the simulator's extra options; -1 when the
// read-out does not complete.
long WireTest::readoutMs(const std::vector<std::string>& simOptions) {
    std::vector<std::string> options = {"--pace"};
    options.insert(options.end(), simOptions.begin(), simOptions.end());
    startSimulator(options);
    startKorvex();
    if (HasFatalFailure()) {
        return -1;
    }
    const bool complete = waitFor([&] { return wire().size() >= kInitialReadout.size(); }, 30s);
    const auto commands = wire();
    EXPECT_EQ(korvex.terminate(), 0);
    sim.stop();
    std::filesystem::remove(sim.logPath());
    if (!complete) {
        return -1;
    }
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < kInitialReadout.size(); ++i) {
        texts.push_back(commands[i].text);
    }
    EXPECT_EQ(texts, kInitialReadout);
    return commands[kInitialReadout.size() - 1].ms - commands.front().ms;
}

TEST_F(WireTest, FloodOfLevelReportsAtMostDoublesTheInitialReadout) {
    const long normal = readoutMs({});
    ASSERT_GT(normal, 0);
    const long flooded = readoutMs({"--flood-levels", "20"});
    ASSERT_GT(flooded, 0) << "the read-out never completed under the flood";
    EXPECT_LE(flooded, 2 * normal) << "normal " << normal << " ms, flooded " << flooded << " ms";
}

TEST_F(WireTest, HelpAndVersionNeedNoWindowSystem) {
    const std::vector<std::string> env = windowlessEnvironment(ProgramFolders(dir));
    Process version;
    ASSERT_TRUE(
        version.startWithEnvironment({KORVEX_PATH, "--version"}, env, dir + "/version.out"));
    EXPECT_EQ(version.wait(10s), 0) << readFile(dir + "/version.out");
    EXPECT_EQ(readFile(dir + "/version.out"), "korvex 1.4.1.0\n");

    Process help;
    ASSERT_TRUE(help.startWithEnvironment({KORVEX_PATH, "--port", "/dev/ttyS0", "--help"}, env,
                                          dir + "/help.out"));
    EXPECT_EQ(help.wait(10s), 0) << readFile(dir + "/help.out");
    const std::string text = readFile(dir + "/help.out");
    EXPECT_NE(text.find("Usage: "), std::string::npos) << text;
    EXPECT_NE(text.find("--port <DEVICE>"), std::string::npos) << text;
}

TEST_F(WireTest, UnansweredQueryIsRetriedWithBareCrThenGivenUp) {
    startSimulator({"--no-reply", "RX"});
    startKorvex();
    ASSERT_TRUE(waitFor([&] { return wire().size() >= 9; }, 30s)) << sim.log();
    std::this_thread::sleep_for(2s);
    const std::vector<std::string> expected = {"RX", "", "RX", "", "RX", "", "RX", "", "RX"};
    EXPECT_EQ(wireTexts(), expected) << "after the fifth time-out the queue is emptied";
    const auto commands = wire();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_GE(commands[1].ms - commands[0].ms, 900) << "one second of waiting before a retry";
}

TEST_F(WireTest, TerminationSendsExAndExitsCleanly) {
    startSimulator();
    startKorvex();
    ASSERT_TRUE(waitFor([&] { return wire().size() >= kInitialReadout.size(); }, 30s));
    // Right after the read-out, while the next command may still await its
    // reply: the last command goes out all the same.
    EXPECT_EQ(korvex.terminate(), 0);
    ASSERT_TRUE(waitFor([&] { return !wire().empty() && wire().back().text == "EX"; }, 3s))
        << sim.log();
}

TEST_F(WireTest, SecondInstanceIsRefused) {
    startSimulator();
    startKorvex();
    ASSERT_TRUE(waitFor([&] { return !wire().empty(); }, 30s));
    KorvexProgram second("second");
    ASSERT_TRUE(second.start(dir, sim.device(), ""));
    // The refusal shows a message box; it is modal, so end it after a look.
    EXPECT_TRUE(waitFor(
        [&] { return second.output().find("mrqxKORV is already running!") != std::string::npos; },
        10s));
    second.kill();
    EXPECT_EQ(wireTexts().front(), "RX");
    std::size_t rxCount = 0;
    for (const auto& t : wireTexts()) {
        rxCount += t == "RX";
    }
    EXPECT_EQ(rxCount, 1u) << "the second program never opened the port";
}

TEST_F(WireTest, LostDeviceIsSurvivedAndTheProgramStillClosesCleanly) {
    startSimulator();
    startKorvex();
    ASSERT_TRUE(waitFor([&] { return !wire().empty(); }, 30s));
    sim.kill();  // the line goes away as when a USB adapter is pulled
    EXPECT_TRUE(
        waitFor([&] { return korvex.output().find("serial port lost") != std::string::npos; }, 10s))
        << korvex.output();
    EXPECT_EQ(korvex.wait(0ms), -1) << "still running";
    EXPECT_EQ(korvex.terminate(), 0) << korvex.output();
}

TEST_F(WireTest, TraceShowsBothDirectionsWithControlBytesVisible) {
    startSimulator();
    startKorvex({"--trace", dir + "/trace.log"});
    ASSERT_TRUE(waitReadoutAnswered(dir + "/trace.log")) << sim.log();
    const std::string trace = readFile(dir + "/trace.log");
    EXPECT_NE(trace.find(" > RX<0D>\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(" > LB<0D>\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("<0D><0A>\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(" < "), std::string::npos) << trace;
}

}  // namespace
}  // namespace korvex::test
