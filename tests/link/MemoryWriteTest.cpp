// A channel write through the real poll cycle and parser, driven tick by
// tick with the receiver's bytes: what happens when it is refused, not
// answered or lost to a link error, and that only a whole write is "done".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeSerialPort.h"
#include "link/PollCycle.h"
#include "link/ResponseParser.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex {
namespace {

// Protections off, two channel writes and a clear, the bank text and the
// bank-size read, as a memory-file write queues them.
const std::string kWrite =
    "AF0\rWP0\rWMb0\r"
    "MXb00 RF0145500000 AU0 ST012500 MD1 AT0 TMOne\r"
    "MXb01 RF0145600000 AU0 ST012500 MD1 AT0 TMTwo\r"
    "MRb02\rMQ02\r"
    "TBbLocal\rTB\r";

class MemoryWriteTest : public ::testing::Test {
protected:
    MemoryWriteTest() {
        cycle.setPort(&port);
        cycle.setLineBuilder([this](std::string_view bytes) { parser.receive(bytes); });
    }

    void startWrite(bool fileWrite = true) {
        fields.memoryWrite.begin(kWrite);
        fields.memWriteActive = fileWrite;
        fields.commandQueue.append(kWrite);
    }

    // Ticks until a command goes out; returns it ("" when none did).
    std::string nextSent() {
        const std::size_t before = port.writes.size();
        for (int i = 0; i < 3 && port.writes.size() == before; ++i) {
            cycle.tick();
        }
        return port.writes.size() == before ? std::string() : port.writes.back();
    }

    // Sends and acknowledges commands until (not including) one that starts with stop.
    void acknowledgeUntil(std::string_view stop) {
        for (int i = 0; i < 20; ++i) {
            const std::string command = nextSent();
            ASSERT_FALSE(command.empty());
            if (command.starts_with(stop)) {
                return;
            }
            cycle.receive(command == "TB\r" ? "MW A50 B50\r\n" : "\r\n");
        }
        FAIL() << "never sent " << stop;
    }

    bool saysDone() const {
        for (const std::string& text : host.statusTexts) {
            if (text == "mem write done.") {
                return true;
            }
        }
        return false;
    }

    CReceiver rx;
    PollFields fields;
    test::FakeLinkHost host;
    test::FakeSerialPort port;
    ResponseParser parser{rx, fields, host};
    PollCycle cycle{rx, fields, host};
};

TEST_F(MemoryWriteTest, EveryCommandAcknowledgedIsDoneWithoutABox) {
    startWrite();
    acknowledgeUntil("TB\r");
    cycle.receive("MW A50 B50\r\n");
    cycle.tick();
    EXPECT_TRUE(saysDone());
    EXPECT_FALSE(fields.memWriteActive);
    EXPECT_FALSE(fields.memoryWrite.active());
    EXPECT_EQ(fields.memoryWrite.channelsWritten(), 3);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MemoryWriteTest, RefusedChannelStopsTheWriteAndTellsWhatWasWritten) {
    startWrite();
    acknowledgeUntil("MXb01");
    fields.commandQueue.append("RX\r");  // queued by someone else meanwhile
    cycle.receive("?\r\n");
    EXPECT_FALSE(fields.memWriteActive);
    EXPECT_EQ(fields.commandQueue.text(), "RX\r") << "only the write's commands are dropped";
    EXPECT_EQ(host.viewRefreshes, 1) << "the bank is read back";
    EXPECT_TRUE(host.messages.empty()) << "no box in the middle of received bytes";

    cycle.tick();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Memory write stopped: the receiver refused channel b01.\n"
              "1 of 3 channels written.\nNot written: b01, b02.");
    EXPECT_EQ(host.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(port.writes.back(), "RX\r");
    // Whatever comes later, the write is never called done and told once.
    cycle.receive("RX VF RF0145500000\r\n");
    for (int i = 0; i < 30; ++i) {
        cycle.tick();
    }
    EXPECT_FALSE(saysDone());
    EXPECT_EQ(host.messages.size(), 1u);
    for (const std::string& written : port.writes) {
        EXPECT_FALSE(written.starts_with("MQ") || written.starts_with("TBb")) << written;
    }
}

TEST_F(MemoryWriteTest, RefusedProtectionCommandStopsTheWriteBeforeAnyChannel) {
    startWrite();
    acknowledgeUntil("WP0");
    cycle.receive("?\r\n");
    cycle.tick();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Memory write stopped: the receiver refused the command \"WP0\".\n"
              "0 of 3 channels written.\nNot written: b00, b01, b02.");
    EXPECT_TRUE(fields.commandQueue.empty());
}

TEST_F(MemoryWriteTest, UnansweredChannelWriteStopsTheWriteButKeepsTheRetryRules) {
    startWrite();
    acknowledgeUntil("MXb00");
    for (int i = 0; i < 9; ++i) {
        cycle.tick();
    }
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    EXPECT_TRUE(fields.memWriteActive);
    cycle.tick();  // the first time-out
    EXPECT_EQ(rx.linkState, LinkState::Retry);
    EXPECT_FALSE(fields.memWriteActive);
    EXPECT_EQ(fields.commandQueue.text(), "\r") << "the bare CR still goes, nothing of the write";
    cycle.tick();
    EXPECT_EQ(port.writes.back(), "\r");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Memory write stopped: the receiver did not answer channel b00.\n"
              "0 of 3 channels written.\nNot written: b00, b01, b02.");
    cycle.receive("\r\n");
    EXPECT_EQ(rx.linkState, LinkState::Idle);
    EXPECT_FALSE(saysDone());
}

TEST_F(MemoryWriteTest, ShortQueryOfTheWriteIsAskedAgainAndALinkErrorStopsIt) {
    startWrite();
    acknowledgeUntil("TB\r");
    // The bank-size read is a short query the cycle asks again after a time-out;
    // the write is stopped only by the error after the fifth.
    int boxes = 0;
    for (int i = 0; i < 200 && boxes == 0; ++i) {
        cycle.tick();
        EXPECT_TRUE(fields.memWriteActive || rx.linkState == LinkState::Idle);
        boxes = static_cast<int>(host.messages.size());
    }
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Memory write stopped: the link failed on the command \"TB\".\n"
              "3 of 3 channels written.");
    EXPECT_FALSE(fields.memWriteActive);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_FALSE(saysDone());
    int bareCrs = 0;
    for (const std::string& written : port.writes) {
        bareCrs += written == "\r" ? 1 : 0;
    }
    EXPECT_EQ(bareCrs, 4) << "one bare CR after each of the first four time-outs";
}

TEST_F(MemoryWriteTest, PasteRefusedIsToldButAPasteNeverSaysDone) {
    const std::string paste = "MXb07 RF0080200000 AU0 ST012500 MD1 AT0 TMHarbour\rMRb07\rNL\r";
    fields.memoryWrite.begin(paste);
    fields.commandQueue.append(paste);
    EXPECT_EQ(nextSent(), paste.substr(0, paste.find('\r') + 1));
    cycle.receive("?\r\n");
    cycle.tick();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Memory write stopped: the receiver refused channel b07.\n"
              "0 of 1 channels written.\nNot written: b07.");
    EXPECT_TRUE(fields.commandQueue.empty());

    // A paste that is acknowledged ends quietly.
    host.messages.clear();
    host.statusTexts.clear();
    fields.memoryWrite.begin(paste);
    fields.commandQueue.append(paste);
    for (int i = 0; i < 3; ++i) {
        ASSERT_FALSE(nextSent().empty());
        cycle.receive(i == 2 ? "NL0\r\n" : "\r\n");
    }
    EXPECT_FALSE(fields.memoryWrite.active());
    for (int i = 0; i < 3; ++i) {
        cycle.tick();
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(saysDone());
}

TEST_F(MemoryWriteTest, ClosedPortLosesTheWrite) {
    startWrite();
    acknowledgeUntil("MXb00");
    cycle.receive("\r\n");
    port.opened = false;
    cycle.tick();
    EXPECT_FALSE(fields.memWriteActive);
    EXPECT_FALSE(fields.memoryWrite.active());
    cycle.tick();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Memory write stopped: the link failed on channel b01.\n"
              "1 of 3 channels written.\nNot written: b01, b02.");
}

}  // namespace
}  // namespace korvex
