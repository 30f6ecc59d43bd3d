// End to end: the real window on the simulator's pseudo-terminal paced at
// 9600 baud, once with the tick and once with the fast link ("[LINK]
// pacing=reply" in Korv.ini). The read-out, a typed frequency, a bank read,
// the log's entries from a scenario and a bandscope sweep put the same
// commands on the wire. How much sooner the fast link is, the benchmark in
// bench/pacing measures.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "link/Commands.h"
#include "link/MemoryCommands.h"
#include "log/LogControl.h"
#include "tests/support/FrameOnSimulator.h"
#include "ui/MainFrame.h"
#include "ui/ZelScopeView.h"

namespace korvex::test {
namespace {

// One transmission on a channel of scan group 0, well after the read-out.
constexpr const char* kBand = "16000  145612500 120 5000\n";

struct Flows {
    std::vector<std::string> wire;
    std::vector<LogEntry> entries;
    std::string vfoText;
    std::size_t bankChannels = 0;
    std::size_t sweepBins = 0;
};

void runFlows(const std::string& pacing, Flows& out) {
    FrameOnSimulator run{"korvex-pacing"};
    ASSERT_FALSE(run.dir.empty());
    std::ofstream(run.dir + "/band.txt") << kBand;
    std::ofstream(run.dir + "/Korv.ini")
        << "[RS232]\r\nComPortSettings=9600,N,8,2\r\n[LINK]\r\npacing=" << pacing
        << "\r\ngapms=20\r\n";
    // No sound card here: ALSA's null devices, whatever the caller has.
    ::setenv("MRQSND_CAPTURE_DEVICE", "null", 1);
    ::setenv("MRQSND_PLAYBACK_DEVICE", "null", 1);
    ASSERT_TRUE(run.startSimulator({"--pace", "--scenario", run.dir + "/band.txt"}));
    CMainFrame& frame = run.makeFrame();
    ASSERT_EQ(frame.settings().replyPacing, pacing == "reply");
    ASSERT_EQ(frame.pollCycle().pacing(), pacing == "reply" ? Pacing::Reply : Pacing::Tick);
    frame.settings().logAudio = false;
    frame.settings().logOpenTime = 1;
    frame.settings().logCloseTime = 2;
    const std::string logPath = run.dir + "/air.log";
    LogFileDialogs dialogs;
    dialogs.chooseNew = [logPath](QWidget*, const QString&) {
        return std::optional<QString>(QString::fromStdString(logPath));
    };
    dialogs.open = dialogs.chooseNew;
    frame.setLogFileDialogs(dialogs);

    ASSERT_TRUE(run.startFrame()) << run.sim.log();

    // A typed frequency: the panel queues what the frequency rule gives.
    const CReceiver& rx = frame.receiver();
    frame.appendCommands(frequencyCommand("145.5", FrequencyUnit::MHz, false));
    ASSERT_TRUE(run.pump([&] { return run.idle() && rx.tunedHz == 145'500'000; })) << run.sim.log();
    out.vfoText = rx.vfoAFrequency + "|" + rx.vfoFrequency;

    // Bank A, five pages.
    frame.appendCommands(cmd::memoryBankReadout(frame.receiver(), frame, 'A'));
    ASSERT_TRUE(run.pump([&] { return run.idle() && rx.banks[0].size() == 50; })) << run.sim.log();
    out.bankChannels = rx.banks[0].size();

    // The log over a memory scan that stops on the scenario's transmission.
    frame.startLog();
    ASSERT_TRUE(rx.logActive);
    const std::size_t scanStart = run.sim.mark();
    frame.appendCommands(cmd::memoryScanStart());
    ASSERT_TRUE(
        run.pump([&] { return frame.document().entryCount() == 1; }, std::chrono::seconds(40)))
        << run.sim.log();
    // The entry's noise-limiter query (the second "NL" of the scan) has gone
    // out and been answered.
    ASSERT_TRUE(run.pump([&] {
        const auto sent = run.sim.since(scanStart);
        return std::count(sent.begin(), sent.end(), "NL") >= 2 && run.idle();
    })) << run.sim.log();
    frame.stopLog();
    ASSERT_TRUE(run.pump([&] { return !frame.logControl().threadExists(); }));
    out.entries = frame.document().entries();

    // A bandscope sweep of a VFO search from 145.0 to 145.25 MHz in 12.5 kHz
    // steps, started from the panel, swept once over and left for the list.
    frame.appendCommands(
        cmd::vfoSelect('B') + frequencyCommand("145.25", FrequencyUnit::MHz, false) +
        cmd::stepSet("012500") + cmd::vfoSelect('A') +
        frequencyCommand("145.0", FrequencyUnit::MHz, false) + cmd::stepSet("012500"));
    ASSERT_TRUE(run.pump([&] {
        return run.idle() && rx.operatingState == kStateVfoA && rx.vfoBValue == 145'250'000 &&
               rx.stepHz == 12500;
    })) << run.sim.log();
    auto* vfoStart = frame.findChild<QPushButton*>("vfoSearchStart");
    ASSERT_NE(vfoStart, nullptr);
    ASSERT_TRUE(run.pump([&] { return vfoStart->isEnabled(); }));
    vfoStart->click();
    frame.action(CommandId::ViewBandscope)->trigger();
    ASSERT_NE(frame.scopeView(), nullptr);
    const CZelDoc& doc = frame.document();
    ASSERT_TRUE(run.pump(
        [&] {
            return rx.bandscopeRunning &&
                   std::count_if(doc.bins.begin(), doc.bins.end(),
                                 [](const BandscopeBin& b) { return b.samples > 0; }) >= 21;
        },
        std::chrono::seconds(20)))
        << run.sim.log();
    out.sweepBins = doc.bins.size();
    frame.action(CommandId::ViewList)->trigger();
    ASSERT_TRUE(run.pump([&] { return run.idle() && !rx.bandscopeRunning; })) << run.sim.log();
    out.wire = run.sim.wire();
}

TEST(PacingWire, TheFastLinkSendsTheSameCommands) {
    Flows tick;
    runFlows("tick", tick);
    if (HasFatalFailure()) {
        return;
    }
    Flows reply;
    runFlows("reply", reply);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(reply.wire, tick.wire);
    EXPECT_EQ(reply.vfoText, tick.vfoText);
    EXPECT_EQ(reply.bankChannels, 50u);
    ASSERT_EQ(reply.entries.size(), 1u);
    ASSERT_EQ(tick.entries.size(), 1u);
    EXPECT_EQ(reply.entries[0].frequency, "145.612500");
    EXPECT_EQ(reply.entries[0].frequency, tick.entries[0].frequency);
    EXPECT_EQ(reply.entries[0].level, tick.entries[0].level);
    EXPECT_EQ(reply.sweepBins, 22u);
    EXPECT_EQ(reply.sweepBins, tick.sweepBins);
}

}  // namespace
}  // namespace korvex::test
