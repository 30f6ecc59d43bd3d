// The poll cycle and the parser together, tick by tick, while the receiver
// sends level reports on its own: the queue goes out at its normal pace.
#include <gtest/gtest.h>

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

constexpr std::string_view kLevel = "LC%012 V1\r\n";

// The receiver's answer during a memory scan, when it sends level reports.
constexpr const char* kScanStatus = "MS MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMscan\r\n";

// How the level reports fall between and into the receiver's replies.
enum class Flood {
    None,
    EverySecondTick,   // one report between every second pair of ticks
    EveryTick,         // one report between every two ticks
    ThreeEveryTick,    // three reports between every two ticks
    AroundEveryReply,  // before and after each reply, in its chunk
    InsideEveryReply,  // between the lines of each reply too
    GarbageEveryTick,  // an unasked line that is no level report, every tick
};

struct Sent {
    std::vector<std::string> commands;
    std::vector<int> ticks;  // the tick on which each command went out
};

// The poll cycle and the parser wired as the window wires them.
struct Rig {
    Rig() {
        cycle.setPort(&port);
        cycle.setLineBuilder([this](std::string_view bytes) { parser.receive(bytes); });
        rx.operatingState = kStateSearch;  // reports are decoded here
    }

    // Runs the ticks; a command written on a tick is answered before the
    // next one, with the reports of the flood put in as it says.
    Sent run(Flood flood, int tickCount) {
        Sent result;
        test::FakeReceiver receiver(kScanStatus);
        for (int tick = 0; tick < tickCount; ++tick) {
            cycle.tick();
            std::string bytes;
            if (port.writes.size() > result.commands.size()) {
                result.commands.push_back(port.writes.back());
                result.ticks.push_back(tick);
                bytes = receiver.replyTo(port.writes.back());
                if (flood == Flood::InsideEveryReply) {
                    for (auto pos = bytes.find("\r\n"); pos != std::string::npos;
                         pos = bytes.find("\r\n", pos + 2 + kLevel.size())) {
                        bytes.insert(pos + 2, kLevel);
                    }
                }
                if (flood == Flood::AroundEveryReply || flood == Flood::InsideEveryReply) {
                    bytes = std::string(kLevel) + bytes + std::string(kLevel);
                }
            }
            if (!bytes.empty()) {
                cycle.receive(bytes);
            }
            int reports = 0;
            if (flood == Flood::EveryTick) {
                reports = 1;
            } else if (flood == Flood::ThreeEveryTick) {
                reports = 3;
            } else if (flood == Flood::EverySecondTick) {
                reports = tick % 2;
            }
            for (int i = 0; i < reports; ++i) {
                cycle.receive(kLevel);
            }
            if (flood == Flood::GarbageEveryTick) {
                cycle.receive("?\r\n");
            }
        }
        return result;
    }

    CReceiver rx;
    PollFields fields;
    test::FakeLinkHost host;
    test::FakeSerialPort port;
    PollCycle cycle{rx, fields, host};
    ResponseParser parser{rx, fields, host};
};

TEST(LevelFlood, InitialReadoutKeepsItsPaceWhateverTheReportsDo) {
    Rig quiet;
    quiet.cycle.queueInitialReadout();
    const Sent baseline = quiet.run(Flood::None, 60);
    ASSERT_EQ(baseline.commands.size(), 17u);
    // Every query takes a tick to send and one to show its reply.
    for (std::size_t i = 1; i < baseline.ticks.size(); ++i) {
        EXPECT_EQ(baseline.ticks[i] - baseline.ticks[i - 1], 2) << baseline.commands[i];
    }

    for (const Flood flood : {Flood::EverySecondTick, Flood::EveryTick, Flood::ThreeEveryTick,
                              Flood::AroundEveryReply, Flood::InsideEveryReply}) {
        const int f = static_cast<int>(flood);
        Rig rig;
        rig.cycle.queueInitialReadout();
        const Sent flooded = rig.run(flood, 60);
        EXPECT_EQ(flooded.commands, baseline.commands) << "flood " << f;
        EXPECT_EQ(flooded.ticks, baseline.ticks) << "flood " << f;
        EXPECT_EQ(rig.rx.linkState, LinkState::Idle) << "flood " << f;
        EXPECT_EQ(rig.rx.levelText, "012") << "flood " << f;
        // Every reply was decoded as the answer to its own command.
        for (int bank = 0; bank < kBankCount; ++bank) {
            EXPECT_EQ(rig.rx.bankSize(bank), 50) << "flood " << f << " bank " << bank;
        }
        EXPECT_TRUE(rig.rx.afc && rig.rx.noiseLimiter) << "flood " << f;
        EXPECT_TRUE(rig.rx.selectFlag && rig.rx.passFlag) << "flood " << f;
        EXPECT_EQ(rig.rx.lbValue, "12") << "flood " << f;
        EXPECT_TRUE(rig.host.statusTexts.empty()) << "flood " << f;
    }
}

TEST(LevelFlood, UnaskedLinesThatNeverStopDelayTheQueueButNeverStarveIt) {
    Rig rig;
    rig.cycle.queueInitialReadout();
    const Sent sent = rig.run(Flood::GarbageEveryTick, 17 * (PollCycle::kMaxUnaskedDataTicks + 3));
    EXPECT_EQ(sent.commands.size(), 17u);
    for (std::size_t i = 1; i < sent.ticks.size(); ++i) {
        EXPECT_LE(sent.ticks[i] - sent.ticks[i - 1], PollCycle::kMaxUnaskedDataTicks + 3)
            << sent.commands[i];
    }
}

TEST(LevelFlood, ReportsAreShownAtMostOnceATick) {
    Rig rig;
    rig.run(Flood::ThreeEveryTick, 11);  // the first tick has nothing to show yet
    EXPECT_EQ(rig.host.refreshes, 10);
    EXPECT_FALSE(rig.host.busy) << "reports alone never show the busy cursor";

    // A reply's DATA tick shows the reports with it, in the same refresh.
    rig.fields.commandQueue.append("AF\r");
    rig.cycle.tick();
    rig.cycle.receive("LC%040 V1\r\nAF0\r\nLC%041 V1\r\n");
    const int before = rig.host.refreshes;
    rig.cycle.tick();
    EXPECT_EQ(rig.host.refreshes, before + 1);
    EXPECT_EQ(rig.rx.linkState, LinkState::Idle);
    EXPECT_EQ(rig.rx.levelText, "041");
}

TEST(LevelFlood, ReportsWhileWaitingNeitherAnswerNorStopTheTimeOut) {
    Rig rig;
    rig.fields.commandQueue.append("RX\rAF\r");
    rig.cycle.tick();
    for (int i = 0; i < 9; ++i) {
        rig.cycle.receive(kLevel);
        rig.cycle.tick();
    }
    EXPECT_EQ(rig.port.writes, std::vector<std::string>{"RX\r"});
    EXPECT_EQ(rig.rx.linkState, LinkState::Wait);
    EXPECT_EQ(rig.fields.waitTicks, 9);
    EXPECT_EQ(rig.host.refreshes, 9);

    // The reply comes late but is still taken for the command it answers.
    rig.cycle.receive("VF RF0080200000 ST012500 AU0 MD1 AT0\r\n");
    EXPECT_EQ(rig.rx.linkState, LinkState::Data);
    EXPECT_EQ(rig.rx.vfoFrequency, "80.200000");
    rig.cycle.tick();
    rig.cycle.receive(kLevel);
    rig.cycle.tick();
    EXPECT_EQ(rig.port.writes.back(), "AF\r");

    // Unanswered under a flood, the command still times out after ten ticks.
    for (int i = 0; i < 10; ++i) {
        rig.cycle.receive(kLevel);
        rig.cycle.tick();
    }
    EXPECT_EQ(rig.rx.linkState, LinkState::Retry);
    rig.cycle.receive(kLevel);
    rig.cycle.tick();
    EXPECT_EQ(rig.port.writes.back(), "\r");
}

TEST(LevelFlood, BankSizeLinesSpreadOverTicksAreAllDecoded) {
    Rig rig;
    rig.fields.commandQueue.append("TB\rTB\rGA\r");
    rig.cycle.tick();
    for (const bool lower : {false, true}) {
        ASSERT_EQ(rig.port.writes.back(), "TB\r");
        const std::size_t written = rig.port.writes.size();
        // One line a tick, with reports around it: the first line has set
        // DATA and its tick has shown it before the second one comes.
        std::string lines = test::FakeReceiver::bankSizeLines(lower);
        for (auto end = lines.find("\r\n"); end != std::string::npos; end = lines.find("\r\n")) {
            rig.cycle.receive(std::string(kLevel) + lines.substr(0, end + 2) + std::string(kLevel));
            lines.erase(0, end + 2);
            rig.cycle.tick();
            EXPECT_EQ(rig.port.writes.size(), written) << "nothing is sent inside the reply";
        }
        rig.cycle.tick();  // the next command goes
    }
    EXPECT_EQ(rig.port.writes, (std::vector<std::string>{"TB\r", "TB\r", "GA\r"}));
    for (int bank = 0; bank < kBankCount; ++bank) {
        EXPECT_EQ(rig.rx.bankSize(bank), 50) << "bank " << bank;
    }
}

}  // namespace
}  // namespace korvex
