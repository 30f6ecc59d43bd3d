// End to end: the real window on the simulator's pseudo-terminal. A VFO
// search between VFO A and VFO B is swept into the bandscope, halted, tuned
// by a click, resumed and left for the list; the simulator's log shows what
// reached the receiver.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <fstream>

#include "link/Commands.h"
#include "tests/support/FrameOnSimulator.h"
#include "ui/MainFrame.h"
#include "ui/ScopePainter.h"
#include "ui/ZelScopeView.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

// One strong transmission on 145.100 MHz for the whole test, over a quiet band.
constexpr const char* kScenario = "0 145100000 200 3600000\n";

class ScopeWireTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(run.dir.empty());
        std::ofstream(dir + "/band.txt") << kScenario;
        std::ofstream(dir + "/Korv.ini") << "[COMMON]\r\nscopedelay=3\r\nsmetermax=255\r\n"
                                            "scopethresh=100\r\n";
        ASSERT_TRUE(run.start({"--scenario", dir + "/band.txt"}, QSize(1000, 700))) << sim.log();
        frame = run.frame.get();
    }

    bool idle() const { return run.idle(); }
    bool waitForWords(std::size_t from, const std::vector<std::string>& words) {
        return sim.waitInOrder(from, words);
    }
    std::size_t binsWithSamples() const {
        const auto& bins = frame->document().bins;
        return static_cast<std::size_t>(std::count_if(
            bins.begin(), bins.end(), [](const BandscopeBin& b) { return b.samples > 0; }));
    }

    FrameOnSimulator run{"korvex-scope"};
    const std::string& dir = run.dir;
    Simulator& sim = run.sim;
    CMainFrame* frame = nullptr;
};

TEST_F(ScopeWireTest, SweepHaltTuneResumeAndLeave) {
    CMainFrame& f = *frame;
    const CZelDoc& doc = f.document();
    const CReceiver& rx = f.receiver();
    // VFO B at 145.25 MHz, VFO A at 145.0 MHz, 12.5 kHz steps: 21 frequencies.
    f.appendCommands(cmd::vfoSelect('B') + frequencyCommand("145.25", FrequencyUnit::MHz, false) +
                     cmd::stepSet("012500") + cmd::vfoSelect('A') +
                     frequencyCommand("145.0", FrequencyUnit::MHz, false) + cmd::stepSet("012500"));
    ASSERT_TRUE(pumpUntil(
        [&] {
            return idle() && rx.operatingState == kStateVfoA && rx.vfoAValue == 145'000'000 &&
                   rx.vfoBValue == 145'250'000 && rx.stepHz == 12500;
        },
        10000))
        << sim.log();

    auto* vfoStart = f.findChild<QPushButton*>("vfoSearchStart");
    ASSERT_NE(vfoStart, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return vfoStart->isEnabled(); }, 3000));
    std::size_t mark = sim.mark();
    vfoStart->click();
    ASSERT_TRUE(doc.scopeReady);
    EXPECT_EQ(doc.scopeLower, 145'000'000u);
    EXPECT_EQ(doc.scopeUpper, 145'250'000u);

    // The bandscope at once, with the search start and a status read still
    // queued ahead of it, as after "Search This Bank": their replies are
    // decoded as usual and the sweep starts behind them.
    f.appendCommands(cmd::statusRefresh());
    f.action(CommandId::ViewBandscope)->trigger();
    ASSERT_NE(f.scopeView(), nullptr);
    EXPECT_TRUE(f.scopeView()->isVisible());
    EXPECT_FALSE(f.tuningPanel()->isEnabled()) << "the panel is locked while sweeping";
    ASSERT_TRUE(waitForWords(mark, {"LC1", "VS", "RX", "XB", "PQ3", "LC2"})) << sim.log();
    ASSERT_TRUE(pumpUntil([&] { return rx.bandscopeRunning; }, 5000));
    EXPECT_EQ(rx.operatingState, kStateVfoSearchA) << "the status read was answered";
    ASSERT_EQ(doc.bins.size(), 22u);
    // Two full sweeps: every frequency has a level, the scripted one stands out.
    ASSERT_TRUE(
        pumpUntil([&] { return doc.bins[0].samples >= 2 && binsWithSamples() >= 21; }, 15000))
        << "bins with samples: " << binsWithSamples();
    EXPECT_EQ(doc.bins[8].frequency, 145'100'000u);
    EXPECT_EQ(doc.bins[8].peak, 200u);
    EXPECT_GE(doc.bins[8].percent, 90u);
    EXPECT_LT(doc.bins[3].peak, 100u);
    EXPECT_EQ(doc.bins[3].hits, 0u);

    // Halt: level reports off, the plain VFO and the sweep's mode.
    mark = sim.mark();
    f.scopeView()->updateMenu();  // as the menu does when it opens
    f.scopeView()->haltAction()->trigger();
    EXPECT_TRUE(rx.bandscopeHalted);
    EXPECT_TRUE(f.tuningPanel()->isEnabled());
    ASSERT_TRUE(waitForWords(mark, {"LC0", "VF", "MD1"})) << sim.log();
    ASSERT_TRUE(pumpUntil([&] { return idle(); }, 5000));

    // A click on bin 4 tunes to 145.050 MHz.
    CZelScopeView* view = f.scopeView();
    const ScopeGeometry g(view->size());
    const double dx = *barSpacing(g, doc);
    const QPoint at(static_cast<int>(g.x0 + 4 * dx), static_cast<int>((g.yTop + g.yBottom) / 2));
    mark = sim.mark();
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_TRUE(waitForWords(mark, {"RF0145050000", "RX"})) << sim.log();
    ASSERT_TRUE(pumpUntil([&] { return idle(); }, 5000));

    // Resume: VFO A, the VFO search, the sweep again.
    mark = sim.mark();
    const std::uint32_t runs = doc.bins[0].samples;
    f.scopeView()->updateMenu();
    f.scopeView()->resumeAction()->trigger();
    EXPECT_FALSE(f.tuningPanel()->isEnabled());
    ASSERT_TRUE(waitForWords(mark, {"VA", "LC1", "VS", "LC2"})) << sim.log();
    ASSERT_TRUE(
        pumpUntil([&] { return rx.bandscopeRunning && doc.bins[0].samples > runs; }, 10000));
    EXPECT_FALSE(rx.bandscopeHalted);

    // The list: the sweep ends and the data turns stale.
    mark = sim.mark();
    f.action(CommandId::ViewList)->trigger();
    EXPECT_TRUE(doc.scopeStale);
    EXPECT_NE(doc.scopeTitle.find("[stale data!]"), std::string::npos);
    EXPECT_TRUE(f.tuningPanel()->isEnabled());
    EXPECT_FALSE(f.scopeView()->isVisible());
    ASSERT_TRUE(waitForWords(mark, {"LC0", "VF"})) << sim.log();
    EXPECT_TRUE(pumpUntil([&] { return idle(); }, 5000)) << "the link settles after the sweep";
}

}  // namespace
}  // namespace korvex::test
