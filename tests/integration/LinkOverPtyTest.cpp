#include "simulator/PtySimulator.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

#include "link/Commands.h"
#include "link/MemoryCommands.h"
#include "link/PollCycle.h"
#include "link/ResponseParser.h"
#include "link/qt/QtSerialPort.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex {
namespace {

class LinkOverPtyTest : public ::testing::Test {
protected:
    void start(sim::PtyOptions options = {}) {
        simulator = std::make_unique<sim::PtySimulator>(std::move(options));
        std::string error;
        ASSERT_TRUE(simulator->start(&error)) << error;
        port.setSettings({1, "9600,N,8,2", simulator->devicePath()});
        ASSERT_TRUE(port.open()) << port.errorText();
        QObject::connect(&port, &QtSerialPort::bytesArrived,
                         [this] { cycle.receive(port.readAll()); });
        cycle.setPort(&port);
        cycle.setLineBuilder([this](std::string_view bytes) { parser.receive(bytes); });
        timer.setInterval(PollCycle::kTicksPerTimeout * 10);
        QObject::connect(&timer, &QTimer::timeout, [this] { cycle.tick(); });
        timer.start();
        cycle.queueInitialReadout();
        ASSERT_TRUE(runUntil([this] { return settled(); }, 20000)) << "initial read-out";
    }

    void TearDown() override {
        timer.stop();
        port.close();
        if (simulator) {
            simulator->stop();
        }
    }

    bool settled() const { return fields.commandQueue.empty() && rx.linkState == LinkState::Idle; }

    // Runs the event loop until the condition holds or the time is up.
    static bool runUntil(const std::function<bool()>& done, int limitMs) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > limitMs) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    std::vector<std::string> receivedSince(std::size_t first) const {
        std::vector<std::string> texts;
        const auto all = simulator->received();
        for (std::size_t i = first; i < all.size(); ++i) {
            texts.push_back(all[i].text);
        }
        return texts;
    }

    CReceiver rx;
    PollFields fields;
    test::FakeLinkHost host;
    PollCycle cycle{rx, fields, host};
    ResponseParser parser{rx, fields, host};
    QtSerialPort port;
    QTimer timer;
    std::unique_ptr<sim::PtySimulator> simulator;
};

TEST_F(LinkOverPtyTest, InitialReadoutFillsTheModel) {
    start();
    EXPECT_NE(rx.operatingState, kStateUnknown);
    EXPECT_NE(rx.vfoFrequency, CReceiver::kNoFrequency);
    for (int bank = 0; bank < kBankCount; ++bank) {
        EXPECT_GT(rx.bankSize(bank), 0) << "bank " << CReceiver::bankLetter(bank);
    }
    // Banks of a pair share 100 slots.
    for (int bank = 0; bank < 10; ++bank) {
        EXPECT_EQ(rx.bankSize(bank) + rx.bankSize(bank + 10), 100);
    }
    EXPECT_NE(rx.openingMessage, "unknown");
    EXPECT_TRUE(host.statusTexts.empty()) << host.statusTexts.front();
}

TEST_F(LinkOverPtyTest, FrequencySetIsReadBack) {
    start();
    const std::size_t before = simulator->received().size();
    const std::string command = frequencyCommand("80.2", FrequencyUnit::MHz, false);
    ASSERT_FALSE(command.empty());
    fields.commandQueue.append(command);
    ASSERT_TRUE(runUntil([this] { return settled(); }, 10000));
    const auto sent = receivedSince(before);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "RF0080200000");
    const std::string shown = rx.operatingState == kStateVfoA   ? rx.vfoAFrequency
                              : rx.operatingState == kStateVfoB ? rx.vfoBFrequency
                                                                : rx.vfoFrequency;
    EXPECT_EQ(shown, "80.200000");
    EXPECT_EQ(rx.vfoValue + rx.vfoAValue + rx.vfoBValue > 0, true);
}

TEST_F(LinkOverPtyTest, BankOfFiftyIsReadInFivePages) {
    start();
    const int index = CReceiver::bankIndex('b');
    ASSERT_EQ(rx.bankSize(index), 50);
    const std::size_t before = simulator->received().size();
    fields.commandQueue.append(cmd::memoryBankReadout(rx, host, 'b'));
    ASSERT_TRUE(runUntil([this] { return settled(); }, 15000));
    const std::vector<std::string> expected = {"MAb", "MA", "MA", "MA", "MA"};
    EXPECT_EQ(receivedSince(before), expected);
    const MemoryBank& bank = rx.banks[static_cast<std::size_t>(index)];
    ASSERT_EQ(bank.size(), 50u);
    EXPECT_EQ(bank.front()[ChannelRecord::kChannel], "b00");
    EXPECT_EQ(bank.back()[ChannelRecord::kChannel], "b49");
}

TEST_F(LinkOverPtyTest, BankResizeWaitsForTheLateEmptyLine) {
    sim::PtyOptions options;
    options.receiver.resizeBaseMs = 2500;  // longer than a time-out
    start(std::move(options));
    ASSERT_EQ(rx.bankSize(0), 50);
    const std::string resize = cmd::bankResize(rx, "A60");
    ASSERT_FALSE(resize.empty());
    fields.commandQueue.append(resize);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(runUntil([this] { return rx.linkState == LinkState::Wait; }, 2000));
    // Past the one-second time-out the resize is still outstanding, not retried.
    ASSERT_TRUE(runUntil([&] { return clock.elapsed() > 1800; }, 3000));
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    EXPECT_TRUE(rx.bankResizeActive);
    ASSERT_TRUE(runUntil([this] { return !rx.bankResizeActive; }, 10000));
    ASSERT_FALSE(host.statusTexts.empty());
    EXPECT_EQ(host.statusTexts.back(), "mem bank resize done.");
    ASSERT_TRUE(runUntil([this] { return rx.linkState == LinkState::Idle; }, 2500));

    fields.commandQueue.append(cmd::bankSizesRead());
    ASSERT_TRUE(runUntil([this] { return settled(); }, 10000));
    EXPECT_EQ(rx.bankSize(0), 60);
    EXPECT_EQ(rx.bankSize(10), 40);
    for (const auto& c : simulator->received()) {
        EXPECT_NE(c.text, "") << "no retry probe was sent";
    }
}

TEST_F(LinkOverPtyTest, SplitRepliesAreJoinedIntoWholeLines) {
    sim::PtyOptions options;
    options.faults.split = true;
    start(std::move(options));
    fields.commandQueue.append(cmd::memoryBankReadout(rx, host, 'A'));
    ASSERT_TRUE(runUntil([this] { return settled(); }, 20000));
    EXPECT_EQ(rx.banks[0].size(), static_cast<std::size_t>(rx.bankSize(0)));
    EXPECT_TRUE(host.statusTexts.empty());
}

TEST_F(LinkOverPtyTest, GarbageOnTheLineIsSurvivedAndACleanReadIsWhole) {
    sim::PtyOptions options;
    options.faults.garbage = true;
    options.faults.garbageEvery = 2;
    start(std::move(options));
    fields.commandQueue.append(cmd::memoryBankReadout(rx, host, 'A'));
    ASSERT_TRUE(runUntil([this] { return settled(); }, 30000));
    EXPECT_LE(rx.banks[0].size(), 60u);

    simulator->setFaults({});
    fields.commandQueue.append(cmd::memoryBankReadout(rx, host, 'A'));
    ASSERT_TRUE(runUntil([this] { return settled(); }, 20000));
    EXPECT_EQ(rx.banks[0].size(), static_cast<std::size_t>(rx.bankSize(0)));
}

// What the user reads when the port does not open: the cause, not Qt's
// "No error" or a bare "Permission error".
TEST(QtSerialPortOpen, FailureNamesTheCause) {
    const std::string missing = ::testing::TempDir() + "korvex-no-such-tty";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {missing, missing + ": no such device"},
        {"/dev/null", "/dev/null: not a serial device"},
    };
    for (const auto& [device, text] : cases) {
        QtSerialPort port;
        port.setSettings({1, "9600,N,8,2", device});
        EXPECT_FALSE(port.open()) << device;
        EXPECT_EQ(port.errorText(), text);
    }
}

}  // namespace
}  // namespace korvex

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
