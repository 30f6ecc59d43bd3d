// Reply pacing: the poll cycle and the parser together on a millisecond
// clock, the ticks every 100 ms and the receiver's lines arriving at the
// line's pace. The next command leaves the gap after the last line of the
// reply, never earlier; time-outs keep the tick's times.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FakeReceiver.h"
#include "FakeSerialPort.h"
#include "link/Commands.h"
#include "link/PollCycle.h"
#include "link/ResponseParser.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex {
namespace {

constexpr std::string_view kLevelReport = "LC%012 V1\r\n";
constexpr int kGap = 20;

struct Write {
    std::string command;
    int at;  // ms
};

// The link on a millisecond clock: a tick at every multiple of 100 ms, the
// send timer when the cycle asked for it, and each reply line arriving whole
// once the line has carried it (one character a millisecond, after the
// command's own characters).
struct PacedRig {
    // The receiver answers the first `answers` commands, then nothing.
    explicit PacedRig(Pacing pacing, int answers = 1000) : answersLeft(answers) {
        cycle.setPort(&port);
        cycle.setLineBuilder([this](std::string_view bytes) { parser.receive(bytes); });
        cycle.setClock([this] { return std::int64_t{now}; });
        cycle.setPacing(pacing, kGap);
        rx.operatingState = kStateVfoA;
    }

    void run(int untilMs, int floodEveryMs = 0) {
        for (; now <= untilMs; ++now) {
            if (now % 100 == 0) {
                cycle.tick();
            }
            if (const auto at = cycle.nextSendAt(); at && *at <= now) {
                cycle.sendIfDue();
            }
            if (port.writes.size() > writes.size()) {
                ASSERT_EQ(port.writes.size(), writes.size() + 1) << "two commands at once";
                const std::string& command = port.writes.back();
                writes.push_back({command, now});
                ASSERT_TRUE(pending.empty()) << command << " sent inside a reply at " << now;
                if (answersLeft-- > 0) {
                    int at = now + static_cast<int>(command.size());
                    const std::string reply = receiver.replyTo(command);
                    for (std::size_t pos = 0; pos < reply.size();) {
                        const std::size_t end = reply.find('\n', pos) + 1;
                        at += static_cast<int>(end - pos);
                        pending[at] = reply.substr(pos, end - pos);
                        pos = end;
                    }
                    replyEnds.push_back(at);
                }
            }
            if (const auto it = pending.find(now); it != pending.end()) {
                cycle.receive(it->second);
                pending.erase(it);
            }
            if (floodEveryMs > 0 && now % floodEveryMs == 0) {
                cycle.receive(kLevelReport);
            }
        }
    }

    std::vector<std::string> commands() const {
        std::vector<std::string> out;
        for (const Write& w : writes) {
            out.push_back(w.command);
        }
        return out;
    }

    int now = 0;
    int answersLeft;
    test::FakeReceiver receiver;
    std::map<int, std::string> pending;  // reply lines by their arrival
    std::vector<Write> writes;
    std::vector<int> replyEnds;  // when each reply's last line arrived
    CReceiver rx;
    PollFields fields;
    test::FakeLinkHost host;
    test::FakeSerialPort port;
    PollCycle cycle{rx, fields, host};
    ResponseParser parser{rx, fields, host};
};

// The read-out and two pages of a memory bank: the same commands as with
// the tick, each sent exactly the gap after the last line of the reply before
// it (the ten bank-size lines and the ten channel lines of a page included).
TEST(ReplyPacing, EachCommandLeavesTheGapAfterTheWholeReplyBeforeIt) {
    const std::string batch = cmd::initialReadout() + "MAA\rMA\r";
    PacedRig tick(Pacing::Tick);
    tick.fields.commandQueue.append(batch);
    tick.rx.selectBank('A');
    tick.run(6000);
    PacedRig reply(Pacing::Reply);
    reply.fields.commandQueue.append(batch);
    reply.rx.selectBank('A');
    reply.run(6000);

    ASSERT_EQ(reply.commands(), tick.commands());
    ASSERT_EQ(reply.writes.size(), 19u);
    for (std::size_t i = 1; i < reply.writes.size(); ++i) {
        EXPECT_EQ(reply.writes[i].at, reply.replyEnds[i - 1] + kGap) << reply.writes[i].command;
    }
    EXPECT_LT(reply.replyEnds.back(), tick.replyEnds.back());
    EXPECT_EQ(reply.rx.linkState, LinkState::Idle);
    EXPECT_EQ(reply.rx.banks[0].size(), 20u);
    for (int bank = 0; bank < kBankCount; ++bank) {
        EXPECT_EQ(reply.rx.bankSize(bank), 50) << "bank " << bank;
    }
    EXPECT_EQ(reply.rx.lbValue, "12");
    EXPECT_TRUE(reply.host.messages.empty());
    // The window is refreshed on ticks only, once a tick at most.
    EXPECT_LE(reply.host.refreshes, reply.now / 100 + 1);
    EXPECT_GT(reply.host.refreshes, 0);
}

TEST(ReplyPacing, NothingLeavesBeforeTheReplyIsCompleteOrTheGapHasPassed) {
    PacedRig rig(Pacing::Reply);
    rig.fields.commandQueue.append("RX\rRF0145500000\rAF\r");
    rig.cycle.tick();
    ASSERT_EQ(rig.port.writes, std::vector<std::string>{"RX\r"});

    // Half a reply: nothing is asked for.
    rig.cycle.receive("VA RF0145500000 ST0");
    EXPECT_FALSE(rig.cycle.nextSendAt());
    rig.now = 40;
    rig.cycle.receive("12500 AU0 MD1 AT0\r\n");
    ASSERT_EQ(rig.cycle.nextSendAt(), 40 + kGap);
    EXPECT_EQ(rig.rx.linkState, LinkState::Idle);
    EXPECT_EQ(rig.host.refreshes, 0) << "the window waits for the tick";

    // Too early: nothing goes, and the timer is asked for again.
    rig.now = 40 + kGap - 1;
    EXPECT_FALSE(rig.cycle.sendIfDue());
    EXPECT_EQ(rig.cycle.nextSendAt(), 40 + kGap);
    rig.now = 40 + kGap;
    EXPECT_TRUE(rig.cycle.sendIfDue());
    EXPECT_EQ(rig.port.writes.back(), "RF0145500000\r");
    EXPECT_FALSE(rig.cycle.sendIfDue()) << "one command outstanding at most";

    // The set's empty acknowledgement completes it; a tick inside the gap sends nothing.
    rig.now = 90;
    rig.cycle.receive("\r\n");
    EXPECT_EQ(rig.cycle.nextSendAt(), 90 + kGap);
    rig.now = 100;
    rig.cycle.tick();
    EXPECT_EQ(rig.port.writes.size(), 2u);
    EXPECT_EQ(rig.host.refreshes, 1) << "the RX reply is shown on the tick";
    rig.now = 110;
    EXPECT_TRUE(rig.cycle.sendIfDue());
    EXPECT_EQ(rig.port.writes.back(), "AF\r");

    // With the queue empty nothing is asked for; commands queued later go
    // when the gap after the last reply has passed.
    rig.now = 130;
    rig.cycle.receive("AF1\r\n");
    EXPECT_FALSE(rig.cycle.nextSendAt());
    rig.now = 140;
    rig.fields.commandQueue.append("NL\r");
    rig.cycle.commandsQueued();
    EXPECT_EQ(rig.cycle.nextSendAt(), 130 + kGap);
    rig.now = 150;
    EXPECT_TRUE(rig.cycle.sendIfDue());
    EXPECT_EQ(rig.port.writes.back(), "NL\r");

    // Tick pacing never asks for the timer and never sends between ticks.
    rig.cycle.setPacing(Pacing::Tick);
    rig.fields.commandQueue.append("DB\r");
    rig.cycle.receive("NL1\r\n");
    rig.cycle.commandsQueued();
    EXPECT_FALSE(rig.cycle.nextSendAt());
    EXPECT_FALSE(rig.cycle.sendIfDue());
    EXPECT_EQ(rig.port.writes.back(), "NL\r");
}

// A receiver that never answers: the bare CR, the retried query and the
// error come on the same ticks in both pacings; a command sent between two
// ticks times out no sooner than a second after it went.
TEST(ReplyPacing, TimeOutsRetriesAndTheErrorKeepTheirTimes) {
    PacedRig tick(Pacing::Tick, 0);
    tick.fields.commandQueue.append("RX\rAF\r");
    tick.run(7000);
    PacedRig reply(Pacing::Reply, 0);
    reply.fields.commandQueue.append("RX\rAF\r");
    reply.run(7000);
    ASSERT_EQ(reply.commands(), tick.commands());
    for (std::size_t i = 0; i < reply.writes.size(); ++i) {
        EXPECT_EQ(reply.writes[i].at, tick.writes[i].at) << i;
    }
    ASSERT_EQ(reply.host.statusTexts, tick.host.statusTexts);
    ASSERT_EQ(reply.host.statusTexts.size(), 1u);
    EXPECT_EQ(reply.host.beeps, 1);
    EXPECT_TRUE(reply.fields.commandQueue.empty());

    // "AF" is answered at 8 ms, so "RX" leaves at 28 ms; then silence.
    PacedRig late(Pacing::Reply, 1);
    late.fields.commandQueue.append("AF\rRX\r");
    late.run(7000);
    ASSERT_GE(late.writes.size(), 3u);
    EXPECT_EQ(late.writes[1].command, "RX\r");
    EXPECT_EQ(late.writes[1].at, 28);
    EXPECT_EQ(late.writes[2].command, "\r");
    // Ten full ticks of waiting, counted from the first tick after it left
    // (a second at the least), then the tick of the retry.
    EXPECT_EQ(late.writes[2].at, 1200);
    // From there on the tick's rhythm: CR, the query again, and so on.
    EXPECT_EQ(late.host.statusTexts, tick.host.statusTexts);
}

// Level reports between and inside the replies change neither the commands
// nor their times.
TEST(ReplyPacing, ALevelReportFloodChangesNothing) {
    const std::string batch = cmd::initialReadout();
    PacedRig quiet(Pacing::Reply);
    quiet.fields.commandQueue.append(batch);
    quiet.run(3000);
    for (const int every : {1, 3, 7, 25}) {
        PacedRig flooded(Pacing::Reply);
        flooded.rx.operatingState = kStateSearch;  // the reports are decoded
        flooded.fields.commandQueue.append(batch);
        flooded.run(3000, every);
        ASSERT_EQ(flooded.commands(), quiet.commands()) << every;
        for (std::size_t i = 0; i < quiet.writes.size(); ++i) {
            EXPECT_EQ(flooded.writes[i].at, quiet.writes[i].at) << every << " " << i;
        }
        EXPECT_EQ(flooded.rx.lbValue, "12");
        EXPECT_EQ(flooded.rx.levelText, "012");
    }
}

// The rest of a ten-line reply that never comes holds the queue for a second
// at most, as under the tick.
TEST(ReplyPacing, AMissingRestOfTheBankSizesHoldsTheQueueASecondAtMost) {
    PacedRig rig(Pacing::Reply);
    rig.fields.commandQueue.append("TB\rGA\r");
    rig.cycle.tick();
    rig.cycle.receive("MW A:20 TBAbank A  \r\nMW B:20 TBBbank B  \r\n");
    EXPECT_FALSE(rig.cycle.nextSendAt());
    rig.answersLeft = 0;
    rig.now = 1;
    rig.run(1500);  // takes the "TB" written above first
    ASSERT_EQ(rig.writes.size(), 2u);
    EXPECT_EQ(rig.writes[1].command, "GA\r");
    EXPECT_GT(rig.writes[1].at, 1000);
    EXPECT_LE(rig.writes[1].at, 1200);
}

// Commands queued while the port is closed (a failed open, a lost port)
// stay in the queue and leave once it is open again.
TEST(ReplyPacing, AClosedPortKeepsTheQueue) {
    PacedRig rig(Pacing::Reply);
    rig.port.opened = false;
    rig.fields.commandQueue.append("RX\r");
    rig.cycle.commandsQueued();
    EXPECT_FALSE(rig.cycle.sendIfDue());
    EXPECT_EQ(rig.fields.commandQueue.text(), "RX\r");
    EXPECT_TRUE(rig.port.writes.empty());
    rig.port.opened = true;
    rig.run(200);
    ASSERT_FALSE(rig.writes.empty());
    EXPECT_EQ(rig.writes.front().command, "RX\r");
}

// A switch from the tick to the fast link finds no reply open that has long
// been answered, and a reopened line nothing outstanding from the old one:
// the next command leaves at once, not a second later.
TEST(ReplyPacing, ASwitchOrAReopenedLineHoldsNothingBack) {
    PacedRig rig(Pacing::Tick);
    rig.fields.commandQueue.append("AF\r");
    rig.run(150);
    ASSERT_EQ(rig.commands(), std::vector<std::string>{"AF\r"});
    rig.cycle.setPacing(Pacing::Reply, kGap);
    rig.fields.commandQueue.append("NL\r");
    rig.cycle.commandsQueued();
    EXPECT_EQ(rig.cycle.nextSendAt(), rig.now);
    rig.run(rig.now + 5);
    ASSERT_EQ(rig.writes.size(), 2u);
    EXPECT_EQ(rig.writes[1].at, 151);

    // The same while the ten bank-size lines are still coming under the
    // tick: the switch keeps the rest of the reply awaited.
    PacedRig banks(Pacing::Tick);
    banks.fields.commandQueue.append("TB\r");
    banks.cycle.tick();
    banks.cycle.receive("MW A:20 TBAbank A  \r\n");
    banks.cycle.setPacing(Pacing::Reply, kGap);
    banks.fields.commandQueue.append("GA\r");
    banks.cycle.commandsQueued();
    EXPECT_FALSE(banks.cycle.nextSendAt()) << "nine lines of the reply are still to come";

    // A command lost with the old line: the reopened one starts free.
    PacedRig lost(Pacing::Reply, 0);
    lost.fields.commandQueue.append("RX\r");
    lost.run(50);
    lost.rx.linkState = LinkState::Idle;  // as the station does on reopening
    lost.cycle.resetLink();
    lost.fields.commandQueue.append("AF\r");
    lost.cycle.commandsQueued();
    EXPECT_EQ(lost.cycle.nextSendAt(), lost.now);
    EXPECT_TRUE(lost.cycle.sendIfDue());
    EXPECT_EQ(lost.port.writes.back(), "AF\r");
}

}  // namespace
}  // namespace korvex
