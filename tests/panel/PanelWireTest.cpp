// End-to-end: the real main window with its tuning panel on the simulator's
// pseudo-terminal, driven by key events through the window's shortcuts and
// checked by what reaches the receiver and what comes back into line 1.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>

#include "tests/support/Process.h"
#include "tests/support/PumpUntil.h"
#include "ui/MainFrame.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class PanelWireTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/korvex-panel-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        std::vector<std::string> simArgs = {AR8600_SIM_PATH, "--log", dir + "/sim.log"};
        for (const std::string& arg : extraSimArguments()) {
            simArgs.push_back(arg);
        }
        ASSERT_TRUE(sim.start(simArgs, {}, dir + "/sim.out"));
        ASSERT_TRUE(pumpUntil(
            [&] { return readFile(dir + "/sim.out").find('\n') != std::string::npos; }, 5000));
        const std::string out = readFile(dir + "/sim.out");
        FrameOptions options;
        options.portDevice = QString::fromStdString(out.substr(0, out.find('\n')));
        options.configDir = QString::fromStdString(dir);
        frame = std::make_unique<CMainFrame>(options);
        frame->show();
        QApplication::setActiveWindow(frame.get());
        frame->start();
        ASSERT_TRUE(frame->isPolling());
        // The initial read-out ends with "LB"; then the link is idle.
        ASSERT_TRUE(pumpUntil(
            [&] { return wire().size() >= 17 && frame->pollFields().commandQueue.empty(); }, 20000))
            << readFile(dir + "/sim.log");
        QTest::qWait(300);
        readoutLength = wire().size();
    }
    void TearDown() override {
        frame.reset();
        sim.kill(SIGTERM);
        sim.wait(2s);
        std::filesystem::remove_all(dir);
    }

    // Options of ar8600-sim for a fixture that wants faults or pacing.
    virtual std::vector<std::string> extraSimArguments() const { return {}; }

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
    // What was sent after the initial read-out.
    std::vector<std::string> sentSinceReadout() const {
        const auto all = wire();
        return {all.begin() + static_cast<std::ptrdiff_t>(readoutLength), all.end()};
    }
    QLineEdit* line(const char* name) { return frame->findChild<QLineEdit*>(name); }
    void keyToFocus(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : frame.get(), static_cast<Qt::Key>(key),
                        modifiers);
    }

    std::string dir;
    Process sim;
    std::unique_ptr<CMainFrame> frame;
    std::size_t readoutLength = 0;
};

const std::vector<std::string> kBatchWords = {"RX", "AF", "NL", "DB", "SB", "XB"};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

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
        << readFile(dir + "/sim.log");
    QTest::qWait(300);
    EXPECT_EQ(sentSinceReadout(), expected);
    EXPECT_TRUE(pumpUntil([&] { return line("line1")->text().contains("145.500000"); }, 3000))
        << "line 1 was " << before.toStdString() << ", is " << line("line1")->text().toStdString();
}

TEST_F(PanelWireTest, StepKeysShowThePredictionThenTheReceiversFrequency) {
    keyToFocus(Qt::Key_Slash, Qt::KeypadModifier);
    ASSERT_TRUE(pumpUntil([&] { return frame->receiver().operatingState == kStateVfoA; }, 5000));
    ASSERT_TRUE(pumpUntil([&] { return frame->pollFields().commandQueue.empty(); }, 5000));
    QTest::qWait(300);
    const std::string start = frame->receiver().vfoAFrequency;
    keyToFocus(Qt::Key_Up, Qt::ControlModifier);
    const QString predicted = line("line1")->text();
    EXPECT_NE(predicted.toStdString(), start) << "the prediction is shown at once";
    // 3 s after the last step the status is read back and the receiver's
    // own frequency replaces the prediction.
    ASSERT_TRUE(pumpUntil([&] { return frame->receiver().vfoAFrequency != start; }, 6000))
        << readFile(dir + "/sim.log");
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
    ASSERT_TRUE(pumpUntil(
        [&] {
            return frame->pollFields().commandQueue.empty() &&
                   frame->receiver().linkState == LinkState::Idle;
        },
        10000))
        << readFile(dir + "/sim.log");
    for (const char c : std::string("80.2")) {
        keyToFocus(c == '.' ? Qt::Key_Period : Qt::Key_0 + (c - '0'));
    }
    const std::size_t before = wire().size();
    keyToFocus(Qt::Key_Return);
    const auto arrived = [&] {
        const auto all = wire();
        return std::find(all.begin() + static_cast<std::ptrdiff_t>(before), all.end(),
                         "RF0080200000") != all.end();
    };
    EXPECT_TRUE(pumpUntil(arrived, 1000)) << readFile(dir + "/sim.log");
}

}  // namespace
}  // namespace korvex::test
