#include "link/PollCycle.h"

#include <gtest/gtest.h>

#include <functional>

#include "FakeSerialPort.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex {
namespace {

class PollCycleTest : public ::testing::Test {
protected:
    PollCycleTest() { cycle.setPort(&port); }

    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            cycle.tick();
        }
    }

    CReceiver rx;
    PollFields fields;
    test::FakeLinkHost host;
    test::FakeSerialPort port;
    PollCycle cycle{rx, fields, host};
};

TEST_F(PollCycleTest, IdleTickSendsOneCommandAndWaits) {
    fields.commandQueue.append("RX\rAF\r");
    cycle.tick();
    ASSERT_EQ(port.writes, std::vector<std::string>{"RX\r"});
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    EXPECT_EQ(rx.sentCommand, "RX\r");
    EXPECT_EQ(fields.lastCommand, "RX\r");
    EXPECT_EQ(fields.commandQueue.text(), "AF\r");
    cycle.tick();  // still waiting: nothing more goes out
    EXPECT_EQ(port.writes.size(), 1u);
}

TEST_F(PollCycleTest, DataTickRefreshesAndTheNextTickSends) {
    fields.commandQueue.append("RX\rAF\r");
    cycle.tick();
    rx.linkState = LinkState::Data;  // the reply to a query
    cycle.tick();
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(rx.linkState, LinkState::Idle);
    EXPECT_EQ(port.writes.size(), 1u) << "the refresh tick sends nothing";
    cycle.tick();
    EXPECT_EQ(port.writes.back(), "AF\r");
}

TEST_F(PollCycleTest, SameCommandQueuedTwiceIsSentTwice) {
    fields.commandQueue.append("NL\rNL\r");
    cycle.tick();
    rx.linkState = LinkState::Idle;
    cycle.tick();
    EXPECT_EQ(port.writes, (std::vector<std::string>{"NL\r", "NL\r"}));
}

TEST_F(PollCycleTest, ShortQueryTimesOutToRetryThenErrorWithItsText) {
    fields.commandQueue.append("RX\rAF\r");
    cycle.tick();  // RX written
    ticks(9);
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    cycle.tick();  // tenth tick in WAIT: first time-out
    EXPECT_EQ(rx.linkState, LinkState::Retry);
    EXPECT_EQ(fields.commandQueue.text(), "\rRX\rAF\r");
    cycle.tick();  // RETRY sends the bare CR
    EXPECT_EQ(port.writes.back(), "\r");
    EXPECT_EQ(fields.lastCommand, "RX\r") << "a bare CR leaves the last command";

    // No answer ever: the retries go on until the fifth time-out.
    for (int i = 0; i < 200 && rx.linkState != LinkState::Err; ++i) {
        cycle.tick();
    }
    ASSERT_EQ(rx.linkState, LinkState::Err);
    EXPECT_EQ(fields.retryCount, 5);
    cycle.tick();
    EXPECT_EQ(rx.linkState, LinkState::Idle);
    ASSERT_FALSE(host.statusTexts.empty());
    EXPECT_EQ(host.statusTexts.back(), "Info: error on command\n>RX< occured.");
    EXPECT_EQ(host.beeps, 1);
    EXPECT_TRUE(fields.commandQueue.empty()) << "an error empties the queue";
    EXPECT_EQ(fields.retryCount, 0);
    EXPECT_EQ(fields.waitTicks, 0);
}

TEST_F(PollCycleTest, RetryWritesCrThenTheShortQueryAgain) {
    fields.commandQueue.append("RX\r");
    cycle.tick();
    ticks(10);                       // time-out
    cycle.tick();                    // bare CR
    rx.linkState = LinkState::Idle;  // the receiver answered the CR with an empty line
    cycle.tick();
    EXPECT_EQ(port.writes, (std::vector<std::string>{"RX\r", "\r", "RX\r"}));
}

TEST_F(PollCycleTest, LongCommandsAndPagesAreNotRepeated) {
    for (const std::string command : {"RF0145500000\r", "MA\r", "MAb\r"}) {
        port.writes.clear();
        fields.commandQueue.clear();
        fields.retryCount = 0;
        rx.linkState = LinkState::Idle;
        fields.commandQueue.append(command);
        cycle.tick();
        ticks(10);
        EXPECT_EQ(rx.linkState, LinkState::Retry) << command;
        EXPECT_EQ(fields.commandQueue.text(), "\r") << command;
    }
}

TEST_F(PollCycleTest, PowerOffDialKeysAndResizeAreDroppedSilently) {
    for (const std::string command : {"QP\r", "\x1E\r", "\x1C\r", "MWA50\r"}) {
        fields.commandQueue.append(command);
        cycle.tick();
        ticks(10);
        EXPECT_EQ(rx.linkState, LinkState::Idle) << "command " << command;
        EXPECT_EQ(fields.retryCount, 0);
        EXPECT_TRUE(fields.commandQueue.empty());
    }
    EXPECT_TRUE(host.statusTexts.empty());
    EXPECT_EQ(host.beeps, 0);
}

TEST_F(PollCycleTest, ResizeNeverTimesOutWhileActive) {
    rx.bankResizeActive = true;
    fields.commandQueue.append("MWA60\rTB\r");
    cycle.tick();
    ticks(600);  // a minute
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_TRUE(host.statusTexts.empty());
    rx.bankResizeActive = false;  // the late empty line arrived
    ticks(10);
    EXPECT_EQ(rx.linkState, LinkState::Idle);
    cycle.tick();
    EXPECT_EQ(port.writes.back(), "TB\r");
}

TEST_F(PollCycleTest, PowerOffTogglesAndOtherCommandsClear) {
    auto send = [&](const std::string& c) {
        rx.linkState = LinkState::Idle;
        fields.commandQueue.append(c);
        cycle.sendNext();
    };
    send("QP\r");
    EXPECT_TRUE(fields.receiverPoweredOff);
    send("QP\r");
    EXPECT_FALSE(fields.receiverPoweredOff);
    send("QP\r");
    send("RX\r");
    EXPECT_FALSE(fields.receiverPoweredOff);
}

TEST_F(PollCycleTest, FinalCommandReplacesTheQueueAndGoesOutWhileAReplyIsAwaited) {
    fields.commandQueue.append("RX\rAF\r");
    cycle.sendFinalCommand(false);
    EXPECT_EQ(port.writes, std::vector<std::string>{"EX\r"});
    EXPECT_TRUE(fields.commandQueue.empty());

    // EX above is still unanswered: the power-off goes out all the same.
    port.writes.clear();
    ASSERT_EQ(rx.linkState, LinkState::Wait);
    cycle.sendFinalCommand(true);
    EXPECT_EQ(port.writes, std::vector<std::string>{"QP\r"});

    // The receiver is off now: closing again sends nothing.
    port.writes.clear();
    cycle.sendFinalCommand(true);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(PollCycleTest, CommandsAreLostWhileBusyOrClosed) {
    rx.linkState = LinkState::Wait;
    fields.commandQueue.append("RX\r");
    EXPECT_FALSE(cycle.sendNext());
    EXPECT_TRUE(fields.commandQueue.empty());

    rx.linkState = LinkState::Idle;
    port.opened = false;
    fields.commandQueue.append("RX\r");
    EXPECT_FALSE(cycle.sendNext());
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(PollCycleTest, QueueWithoutCrIsDeletedWithAMessage) {
    fields.commandQueue.append("RX");
    EXPECT_FALSE(cycle.sendNext());
    EXPECT_TRUE(fields.commandQueue.empty());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "DEBUG: Send Serial: no CR or single char. Command Queue deleted.");
}

// The box is modal and the poll timer goes on ticking under it: the queue
// must already be empty then, or every tick stacks another box.
TEST(PollCycleDebugBox, QueueIsEmptyWhileTheBoxIsUp) {
    struct TickingHost : test::FakeLinkHost {
        std::function<void()> whileShown;
        void showMessage(const std::string& text, const std::string& caption,
                         MessageKind kind) override {
            FakeLinkHost::showMessage(text, caption, kind);
            if (whileShown) {
                whileShown();
            }
        }
    };
    CReceiver rx;
    PollFields fields;
    TickingHost host;
    test::FakeSerialPort port;
    PollCycle cycle{rx, fields, host};
    cycle.setPort(&port);
    bool emptyWhileShown = false;
    bool boxUp = false;
    host.whileShown = [&] {
        if (boxUp) {
            return;  // a second box: counted by the host
        }
        boxUp = true;
        emptyWhileShown = fields.commandQueue.empty();
        for (int i = 0; i < 5; ++i) {
            cycle.tick();
        }
    };
    fields.commandQueue.append("RX");
    cycle.tick();
    EXPECT_TRUE(emptyWhileShown);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(PollCycleTest, DeferredRefreshQueuesTheStatusBatchAfterThreeSeconds) {
    cycle.requestDeferredRefresh();
    ticks(29);
    EXPECT_TRUE(port.writes.empty());
    cycle.requestDeferredRefresh();  // another tuning step starts the delay again
    ticks(29);
    EXPECT_TRUE(port.writes.empty());
    cycle.tick();
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], "RX\r");
    EXPECT_EQ(fields.commandQueue.text(), "AF\rNL\rDB\rSB\rXB\r");
}

TEST_F(PollCycleTest, DeferredRefreshInMemoryReadAddsTheChannelFlags) {
    rx.operatingState = kStateMemoryRead;
    cycle.requestDeferredRefresh();
    ticks(30);
    EXPECT_EQ(fields.commandQueue.text(), "AF\rNL\rDB\rSB\rXB\rGA\rMP\r");
}

TEST_F(PollCycleTest, BlinkingIndicatorsFollowTheCounter) {
    rx.logActive = true;
    bool recording = true;
    cycle.setRecordingProbe([&] { return recording; });
    std::string seen;
    for (int i = 0; i < 11; ++i) {
        cycle.tick();
        seen += fields.logIndicator.empty() ? '.' : 'L';
        EXPECT_EQ(fields.recIndicator.empty(), fields.logIndicator.empty());
    }
    // The counter runs 1..10 then wraps to 0: lit from 6 on.
    EXPECT_EQ(seen, ".....LLLLL.");
    rx.logActive = false;
    recording = false;
    ticks(6);
    EXPECT_EQ(fields.logIndicator, "");
    EXPECT_EQ(fields.recIndicator, "");
}

TEST_F(PollCycleTest, BusyCursorWhileWaitingUnlessTheBandscopeIsHalted) {
    fields.commandQueue.append("RX\r");
    cycle.tick();
    cycle.tick();
    EXPECT_TRUE(host.busy);
    rx.linkState = LinkState::Idle;
    cycle.tick();
    EXPECT_FALSE(host.busy);

    rx.bandscopeHalted = true;
    fields.commandQueue.append("RX\r");
    cycle.tick();
    cycle.tick();
    EXPECT_FALSE(host.busy);
}

}  // namespace
}  // namespace korvex
