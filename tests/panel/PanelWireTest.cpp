// End-to-end: the real main window with its tuning panel on the simulator's
// pseudo-terminal, driven by key events through the window's shortcuts and
// checked by what reaches the receiver and what comes back into line 1.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <functional>

#include "tests/support/FrameOnSimulator.h"
#include "ui/MainFrame.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class PanelWireTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(run.startSimulator(extraSimArguments()));
        frame = &run.makeFrame();
        frame->show();
        QApplication::setActiveWindow(frame);
        ASSERT_TRUE(run.startFrame()) << sim.log();
        readoutLength = sim.mark();
    }

    // Options of ar8600-sim for a fixture that wants faults or pacing.
    virtual std::vector<std::string> extraSimArguments() const { return {}; }

    // What was sent after the initial read-out.
    std::vector<std::string> sentSinceReadout() const { return sim.since(readoutLength); }
    QLineEdit* line(const char* name) { return frame->findChild<QLineEdit*>(name); }
    void keyToFocus(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : frame, static_cast<Qt::Key>(key), modifiers);
    }

    FrameOnSimulator run{"korvex-panel"};
    Simulator& sim = run.sim;
    CMainFrame* frame = nullptr;
    std::size_t readoutLength = 0;
};

const std::vector<std::string> kBatchWords = {"RX", "AF", "NL", "DB", "SB", "XB"};

TEST_F(PanelWireTest, KeypadSlashThenTypedFrequencyTunesVfoAAndLineOneShowsTheReply) {
    ASSERT_NE(line("line1"), nullptr);
    const QString before = line("line1")->text();
    ASSERT_FALSE(before.contains("145.5")) << "VFO A starts elsewhere";
    keyToFocus(Qt::Key_Slash, Qt::KeypadModifier);
    for (const char c : std::string("145.5")) {
        keyToFocus(c == '.' ? Qt::Key_Period : Qt::Key_0 + (c - '0'));
    }
    EXPECT_EQ(frame->findChild<QLineEdit*>("entry")->text(), "145.5");
    keyToFocus(Qt::Key_Return);
    const auto expected = concat({{"VA"}, kBatchWords, {"RF0145500000"}, kBatchWords});
    ASSERT_TRUE(pumpUntil([&] { return sentSinceReadout().size() >= expected.size(); }, 10000))
        << sim.log();
    QTest::qWait(300);
    EXPECT_EQ(sentSinceReadout(), expected);
    EXPECT_TRUE(pumpUntil([&] { return line("line1")->text().contains("145.500000"); }, 3000))
        << "line 1 was " << before.toStdString() << ", is " << line("line1")->text().toStdString();
}

TEST_F(PanelWireTest, StepKeysShowThePredictionThenTheReceiversFrequency) {
    keyToFocus(Qt::Key_Slash, Qt::KeypadModifier);
    ASSERT_TRUE(pumpUntil([&] { return frame->receiver().operatingState == kStateVfoA; }, 5000));
    ASSERT_TRUE(run.pump([&] { return run.idle(); }, 5000ms));
    const std::string start = frame->receiver().vfoAFrequency;
    keyToFocus(Qt::Key_Up, Qt::ControlModifier);
    const QString predicted = line("line1")->text();
    EXPECT_NE(predicted.toStdString(), start) << "the prediction is shown at once";
    // 3 s after the last step the status is read back and the receiver's
    // own frequency replaces the prediction.
    ASSERT_TRUE(pumpUntil([&] { return frame->receiver().vfoAFrequency != start; }, 6000))
        << sim.log();
    EXPECT_TRUE(pumpUntil(
        [&] { return line("line1")->text().toStdString() == frame->receiver().vfoAFrequency; },
        2000));
    EXPECT_DOUBLE_EQ(line("line1")->text().toDouble(), predicted.toDouble());
}

// The receiver floods the line with level reports, twenty a second, from
// before the program starts; the line is paced as a real one at 9600 baud.
class PanelFloodTest : public PanelWireTest {
protected:
    std::vector<std::string> extraSimArguments() const override {
        return {"--pace", "--flood-levels", "20"};
    }
};

TEST_F(PanelFloodTest, TypedFrequencyReachesTheReceiverWithinASecond) {
    keyToFocus(Qt::Key_Slash, Qt::KeypadModifier);
    ASSERT_TRUE(run.pump([&] { return run.idle(); })) << sim.log();
    for (const char c : std::string("80.2")) {
        keyToFocus(c == '.' ? Qt::Key_Period : Qt::Key_0 + (c - '0'));
    }
    const std::size_t before = sim.mark();
    keyToFocus(Qt::Key_Return);
    EXPECT_TRUE(sim.waitSent("RF0080200000", before, 1000ms)) << sim.log();
}

}  // namespace
}  // namespace korvex::test
