// The sweep's commands: what each View command, Halt and Resume queue, show
// and refuse, with a fake window around them.
#include <gtest/gtest.h>

#include <vector>

#include "link/CommandQueue.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "ui/BandscopeSweep.h"

namespace korvex::test {
namespace {

class FakeSweepHost : public SweepHost {
public:
    void scopeMessage(const std::string& text) override { messages.push_back(text); }
    bool scopeShown() const override { return shown; }
    void showScope() override { shown = true; }
    void showList() override { shown = false; }
    void redrawScope() override { ++redraws; }
    void setPanelEnabled(bool enabled) override { panelEnabled = enabled; }
    void refreshScopeTexts() override { ++textRefreshes; }
    int scopeDelay() const override { return 7; }

    std::vector<std::string> messages;
    bool shown = false;
    bool panelEnabled = true;
    int redraws = 0;
    int textRefreshes = 0;
};

class SweepCommandsTest : public ::testing::Test {
protected:
    void setUp(std::uint32_t lower, std::uint32_t upper, int step, char kind = 'V') {
        ASSERT_TRUE(doc.setupBandscope(lower, upper, step, "NFM", "AIR", kind, {255, 30}));
    }
    std::string take() {
        const std::string text = queue.text();
        queue.clear();
        return text;
    }

    CZelDoc doc;
    CReceiver rx;
    CommandQueue queue;
    FakeSweepHost host;
    CBandscopeSweep sweep{doc, rx, queue, host};
};

TEST_F(SweepCommandsTest, StartsTheSweepFromTheList) {
    setUp(145'000'000, 146'000'000, 12500);
    sweep.show(ScopeMode::Normal);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.shown);
    EXPECT_FALSE(host.panelEnabled);
    EXPECT_EQ(doc.bins.size(), 82u);
    EXPECT_FALSE(rx.bandscopeRunning) << "the sweep runs from the answer to LC2";
    EXPECT_FALSE(rx.bandscopeHalted);
    EXPECT_FALSE(sweep.canHalt()) << "LC2 is still queued";
    EXPECT_EQ(take(), "PQ7\rLC2\r");
    rx.bandscopeRunning = true;  // as the answer to LC2 sets it
    EXPECT_TRUE(sweep.canHalt());
    EXPECT_FALSE(sweep.canResume());
}

TEST_F(SweepCommandsTest, HaltResumeAndTuneWaitForTheAnswerToLC2) {
    setUp(145'000'000, 146'000'000, 12500, 'V');
    sweep.show(ScopeMode::Normal);
    take();
    rx.bandscopeRunning = true;
    sweep.halt();
    take();
    EXPECT_TRUE(sweep.canTune());
    sweep.resume();
    EXPECT_TRUE(rx.bandscopeHalted) << "until the receiver answers";
    EXPECT_FALSE(sweep.canResume());
    EXPECT_FALSE(sweep.canHalt());
    EXPECT_FALSE(sweep.canTune());
    sweep.resume();
    EXPECT_EQ(take(), "VA\rRX\rAF\rNL\rDB\rSB\rXB\rLC1\rVS\rLC2\r") << "one resume only";

    // Sent and waiting for its answer: still on its way.
    rx.sentCommand = "LC2\r";
    rx.linkState = LinkState::Wait;
    EXPECT_FALSE(sweep.canTune());
    EXPECT_FALSE(sweep.canResume());
    host.shown = true;
    sweep.leave();
    EXPECT_FALSE(sweep.canLeave());
    EXPECT_TRUE(queue.empty()) << "the list waits for the answer too";
    // Given up (the link went on): halted as before, Resume may be tried again.
    rx.linkState = LinkState::Idle;
    EXPECT_TRUE(sweep.canResume());
    EXPECT_TRUE(sweep.canTune());
    EXPECT_TRUE(sweep.canLeave());
}

TEST_F(SweepCommandsTest, EachCommandShowsItsModeAndOnlySwitchesItWhileShown) {
    setUp(145'000'000, 146'000'000, 12500);
    sweep.show(ScopeMode::PeakHold);
    EXPECT_EQ(sweep.mode(), ScopeMode::PeakHold);
    EXPECT_EQ(take(), "PQ7\rLC2\r");
    doc.addSample(145'500'000, 99);
    sweep.show(ScopeMode::Statistic);
    EXPECT_EQ(sweep.mode(), ScopeMode::Statistic);
    sweep.show(ScopeMode::Normal);
    EXPECT_EQ(sweep.mode(), ScopeMode::Normal);
    EXPECT_EQ(take(), "") << "no second sweep start";
    EXPECT_EQ(doc.bins[40].level, 99u) << "the bins are kept";
}

TEST_F(SweepCommandsTest, RefusalsLeaveEverythingAsItWas) {
    struct Case {
        std::uint32_t lower;
        std::uint32_t upper;
        int step;
        const std::string& text;
    };
    const std::vector<Case> cases = {
        {145'000'000, 145'000'000, 12500, CBandscopeSweep::kFrequenciesEqual},
        {145'000'000, 145'005'000, 12500, CBandscopeSweep::kStepTooLarge},
        {145'000'000, 145'012'499, 12500, CBandscopeSweep::kStepTooLarge},
        {145'000'000, 146'000'000, 0, CBandscopeSweep::kStepTooLarge},
        {100'000, 3'000'000'000u, 50, CBandscopeSweep::kRangeTooWide},
        {0, 146'000'000, 12500, CBandscopeSweep::kFrequencyMissing},
    };
    for (const Case& c : cases) {
        CZelDoc d;
        d.scopeReady = true;
        d.scopeLower = c.lower;
        d.scopeUpper = c.upper;
        d.scopeStep = c.step;
        FakeSweepHost h;
        CommandQueue q;
        CBandscopeSweep s(d, rx, q, h);
        s.show(ScopeMode::Normal);
        ASSERT_EQ(h.messages.size(), 1u);
        EXPECT_EQ(h.messages[0], c.text) << c.lower << " " << c.upper << " " << c.step;
        EXPECT_FALSE(h.shown);
        EXPECT_TRUE(h.panelEnabled);
        EXPECT_TRUE(q.empty());
        EXPECT_TRUE(d.bins.empty());
    }
    // One step exactly fits.
    setUp(145'000'000, 145'012'500, 12500);
    sweep.show(ScopeMode::Normal);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(doc.bins.size(), 3u);
}

TEST_F(SweepCommandsTest, NotSetUpIsRefused) {
    sweep.show(ScopeMode::Statistic);
    EXPECT_EQ(host.messages, std::vector<std::string>{CBandscopeSweep::kNotInitialized});
    EXPECT_FALSE(host.shown);
    EXPECT_TRUE(queue.empty());
}

TEST_F(SweepCommandsTest, HaltAndResumeQueueTheirCommands) {
    setUp(145'000'000, 146'000'000, 12500, 'V');
    sweep.show(ScopeMode::Normal);
    take();
    sweep.halt();
    EXPECT_EQ(take(), "LC0\rVF\rRX\rAF\rNL\rDB\rSB\rXB\rMD1\rRX\r");
    EXPECT_FALSE(rx.bandscopeRunning);
    EXPECT_TRUE(rx.bandscopeHalted);
    EXPECT_TRUE(host.panelEnabled);
    EXPECT_EQ(host.textRefreshes, 1);
    EXPECT_FALSE(sweep.canHalt());
    EXPECT_TRUE(sweep.canResume());
    sweep.halt();
    EXPECT_EQ(take(), "") << "halted already";

    // What Resume queues is pinned with the wait for LC2's answer above.
    sweep.resume();
    EXPECT_FALSE(host.panelEnabled);
}

TEST_F(SweepCommandsTest, ResumeStartsTheSearchTheSweepCameFrom) {
    for (const auto& [kind, start] :
         {std::pair{'W', std::string("VB\rRX\rAF\rNL\rDB\rSB\rXB\rLC1\rVS\r")},
          std::pair{'c', std::string("LC1\rSSc\r")}}) {
        CZelDoc d;
        CReceiver r;
        CommandQueue q;
        FakeSweepHost h;
        CBandscopeSweep s(d, r, q, h);
        ASSERT_TRUE(d.setupBandscope(145'000'000, 146'000'000, 12500, "AM", "x", kind, {255, 30}));
        s.show(ScopeMode::Normal);
        q.clear();  // the sweep start has been answered
        s.halt();
        q.clear();
        s.resume();
        EXPECT_EQ(q.text(), start + "LC2\r") << kind;
    }
}

TEST_F(SweepCommandsTest, LeavingMarksTheDataStaleAndStaleDataStartsNoSweep) {
    setUp(145'000'000, 146'000'000, 12500);
    sweep.show(ScopeMode::Normal);
    take();
    sweep.leave();
    EXPECT_EQ(take(), "LC0\rVF\rRX\rAF\rNL\rDB\rSB\rXB\r");
    EXPECT_FALSE(host.shown);
    EXPECT_TRUE(host.panelEnabled);
    EXPECT_TRUE(doc.scopeStale);
    EXPECT_FALSE(rx.bandscopeRunning);
    EXPECT_EQ(host.textRefreshes, 1);
    sweep.leave();
    EXPECT_EQ(take(), "") << "the list is shown already";

    sweep.show(ScopeMode::PeakHold);
    EXPECT_EQ(host.messages, std::vector<std::string>{CBandscopeSweep::kStaleWarning});
    EXPECT_TRUE(host.shown);
    EXPECT_EQ(sweep.mode(), ScopeMode::PeakHold);
    EXPECT_EQ(take(), "");
    EXPECT_TRUE(host.panelEnabled);
    EXPECT_FALSE(sweep.canHalt());
    EXPECT_FALSE(sweep.canResume());
}

}  // namespace
}  // namespace korvex::test
