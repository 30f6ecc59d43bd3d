// The rigctld protocol core: replies, stacked and extended forms, error
// codes, line limits and garbage, against a model and queue driven by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <string>

#include "link/Commands.h"
#include "remote/RigctlServer.h"

namespace korvex::remote {
namespace {

class RigctlServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.setSend([this](int client, std::string_view text) { out[client] += text; });
        server.setClose([this](int client) { closed.push_back(client); });
        server.setLinkProbe([this] { return linkUp; });
        server.setMark2Probe([this] { return mark2; });
        client = *server.connect();
    }

    std::string send(std::string_view bytes, int who = 0) {
        const int id = who == 0 ? client : who;
        out[id].clear();
        server.receive(id, bytes, now);
        return out[id];
    }
    // The receiver answers a status read: the model takes the reply.
    void statusReply(std::int64_t hz = 145500000, int mode = 1, int state = kStateVfo) {
        rx.tunedHz = hz;
        rx.mode = mode;
        rx.operatingState = state;
        ++rx.statusReplies;
    }
    std::string take(int who = 0) {
        const int id = who == 0 ? client : who;
        std::string text = out[id];
        out[id].clear();
        return text;
    }

    CReceiver rx;
    CommandQueue queue;
    RigctlServer server{rx, queue};
    std::map<int, std::string> out;
    std::vector<int> closed;
    bool linkUp = true;
    bool mark2 = false;
    std::int64_t now = 10'000;
    int client = 0;
};

TEST_F(RigctlServerTest, AnswersWhatClientsAskOnConnectingAtOnce) {
    EXPECT_EQ(send("\\chk_vfo\n"), "0\n");
    EXPECT_EQ(send("\\get_powerstat\n"), "1\n");
    linkUp = false;
    EXPECT_EQ(send("\\get_powerstat\n"), "0\n");

    const std::string state = send("\\dump_state\n");
    EXPECT_TRUE(state.starts_with("1\n2\n1\n100000.000000 2040000000.000000 0x"));
    EXPECT_TRUE(state.ends_with("done\n"));
    // The receive range ends, then the empty transmit list ends at once.
    EXPECT_NE(state.find(" 0x3 0x0\n0 0 0 0 0 0 0\n0 0 0 0 0 0 0\n"), std::string::npos);
    EXPECT_NE(state.find(" 50\n"), std::string::npos);      // the 50 Hz step
    EXPECT_NE(state.find(" 100000\n"), std::string::npos);  // the 100 kHz step
    mark2 = true;
    EXPECT_NE(send("\\dump_state\n").find(" 3000000000.000000 "), std::string::npos);
    EXPECT_TRUE(queue.empty());
}

TEST_F(RigctlServerTest, NeverTransmittingAndRefusingWhatWouldTransmit) {
    EXPECT_EQ(send("t\n"), "0\n");
    EXPECT_EQ(send("s\n"), "0\nVFOA\n");
    EXPECT_EQ(send("T 1\n"), "RPRT -11\n");
    EXPECT_EQ(send("\\set_ptt 1\n"), "RPRT -11\n");
    EXPECT_EQ(send("S 1 VFOB\n"), "RPRT -11\n");
    EXPECT_EQ(send("L RFPOWER 0.5\n"), "RPRT -11\n");
    EXPECT_EQ(send("b CQ CQ DE TEST\n"), "RPRT -11\n");
    EXPECT_EQ(send("k\n"), "RPRT -1\n");
    EXPECT_EQ(send("\\no_such_command\n"), "RPRT -1\n");
    EXPECT_EQ(send("F\n"), "RPRT -1\n");  // the frequency is missing
    EXPECT_TRUE(queue.empty());
}

TEST_F(RigctlServerTest, StackedAndExtendedForms) {
    EXPECT_EQ(send("t s t\n"), "0\n0\nVFOA\n0\n");
    EXPECT_EQ(send("t\nt\r\n"), "0\n0\n");
    EXPECT_EQ(send("+\\get_ptt\n"), "get_ptt:\nPTT: 0\nRPRT 0\n");
    EXPECT_EQ(send(";t\n"), "get_ptt:;PTT: 0;RPRT 0\n");
    EXPECT_EQ(send("|s\n"), "get_split_vfo:|Split: 0|TX VFO: VFOA|RPRT 0\n");
    EXPECT_EQ(send("+T 1\n"), "set_ptt: 1\nRPRT -11\n");
    EXPECT_EQ(send("+ t\n"), "get_ptt:\nPTT: 0\nRPRT 0\n");
    // An unknown command ends what can be read of its line.
    EXPECT_EQ(send("t k t\n"), "0\nRPRT -1\n");
    // A command split over packets, several over one packet.
    EXPECT_EQ(send("\\get_"), "");
    EXPECT_EQ(send("ptt\nt\n\\chk"), "0\n0\n");
    EXPECT_EQ(send("_vfo\n"), "0\n");
}

TEST_F(RigctlServerTest, ReadsWaitForTheStatusReadWhenTheModelIsStale) {
    EXPECT_EQ(send("f\n"), "");
    EXPECT_EQ(queue.text(), "RX\r");
    // A second client's read joins the read already queued.
    const int other = *server.connect();
    EXPECT_EQ(send("m\n", other), "");
    EXPECT_EQ(queue.text(), "RX\r");

    statusReply(145500000, 1);
    server.pump(now);
    EXPECT_EQ(take(), "145500000\n");
    EXPECT_EQ(take(other), "FM\n12000\n");

    // Fresh: answered from the model without asking the receiver.
    queue.clear();
    now += 500;
    EXPECT_EQ(send("f m v\n"), "145500000\nFM\n12000\nVFO\n");
    EXPECT_TRUE(queue.empty());

    // Stale again after a second.
    now += 1000;
    EXPECT_EQ(send("+f\n"), "");
    statusReply(80200000, 4, kStateVfoB);
    server.pump(now);
    EXPECT_EQ(take(), "get_freq:\nFrequency: 80200000\nRPRT 0\n");
    EXPECT_EQ(send("m v\n"), "AM\n6000\nVFOB\n");
}

TEST_F(RigctlServerTest, AReadWithoutReplyTimesOutAndTheNextIsServed) {
    EXPECT_EQ(send("f t\n"), "");
    now += RigctlServer::kAnswerTimeoutMs - 1;
    server.pump(now);
    EXPECT_EQ(take(), "");
    now += 1;
    server.pump(now);
    EXPECT_EQ(take(), "RPRT -5\n0\n");
}

TEST_F(RigctlServerTest, FrequencySetGoesThroughTheFrequencyRuleAndWaitsForTheAck) {
    EXPECT_EQ(send("F 145500000\n"), "");
    EXPECT_EQ(queue.text(), frequencyCommand("145.5", FrequencyUnit::MHz, false));
    EXPECT_TRUE(queue.text().starts_with("RF0145500000\r"));
    server.commandFinished("RX\r", true, now);  // someone else's command
    EXPECT_EQ(take(), "");
    server.commandFinished("RF0145500000\r", true, now);
    EXPECT_EQ(take(), "RPRT 0\n");

    // The fraction is dropped and the 50 Hz grid applied.
    queue.clear();
    send("\\set_freq 145500049.999\n");
    EXPECT_TRUE(queue.text().starts_with("RF0145500000\r"));

    // The acknowledged set makes the model stale: a read waits for the
    // status read behind the set.
    queue.clear();
    statusReply();
    server.pump(now);
    server.commandFinished("RF0145500000\r", true, now);
    take();
    EXPECT_EQ(send("f\n"), "");
}

// A tracker sets again as soon as a set is answered: the new set goes ahead
// of the status reads still waiting behind the last one, which follow it
// once, so no set waits for a whole status refresh.
TEST_F(RigctlServerTest, ASetInARowGoesAheadOfTheReadsOfTheSetBefore) {
    send("F 145500000\n");
    queue.takeFirst();  // written to the receiver
    server.commandFinished("RF0145500000\r", true, now);
    ASSERT_EQ(take(), "RPRT 0\n");
    ASSERT_EQ(queue.text(), cmd::statusRefresh());

    send("F 145525000\n");
    EXPECT_EQ(queue.text(), "RF0145525000\r" + cmd::statusRefresh());
    queue.takeFirst();
    server.commandFinished("RF0145525000\r", true, now);
    ASSERT_EQ(take(), "RPRT 0\n");

    // Two reads already gone: the rest is kept, merged into the mode set's reads.
    queue.takeFirst();
    queue.takeFirst();
    send("M USB 0\n");
    EXPECT_EQ(queue.text(), "MD3\rRX\rNL\rDB\rSB\rXB\r");
    queue.takeFirst();
    server.commandFinished("MD3\r", true, now);
    take();

    // The next read waits for the status read that follows the sets.
    EXPECT_EQ(send("f\n"), "");
    statusReply(145525000, 6);
    server.pump(now);
    EXPECT_EQ(take(), "145525000\n");

    // Commands of the window's at the front are left where they are.
    queue.replace("AF\rRX\rNL\rDB\rSB\rXB\r");
    EXPECT_EQ(send("F 145550000\n"), "");
    EXPECT_EQ(queue.text(), "AF\rRX\rNL\rDB\rSB\rXB\rRF0145550000\r" + cmd::statusRefresh());
    // A set whose first command is followed by another set keeps its order.
    server.commandFinished("RF0145550000\r", true, now);
    take();
    queue.clear();
    send("V MEM\n");
    server.commandFinished("LC0\r", true, now);
    take();
    queue.takeFirst();  // "LC0"
    send("F 145575000\n");
    EXPECT_TRUE(queue.text().starts_with("MR\rRX\r")) << queue.text();
    EXPECT_NE(queue.text().find("MP\rRF0145575000\r"), std::string::npos) << queue.text();
}

// A client that never stops setting: the reads behind its sets are passed
// for half a second from the first set that passed them, then the next set
// goes behind them, so the status read does go out. Reads that have all gone are forgotten: the
// window's own status reads queued later are not taken for them.
TEST_F(RigctlServerTest, SetsInARowPassTheWaitingReadsForHalfASecondOnly) {
    const auto setAndAck = [this](const std::string& hz) {
        EXPECT_EQ(send("F " + hz + "\n"), "");
        const std::string command = *queue.takeFirst();
        EXPECT_EQ(command, "RF0" + hz + "\r");
        server.commandFinished(command, true, now);
        EXPECT_EQ(take(), "RPRT 0\n") << hz;
    };
    const std::int64_t start = now;
    setAndAck("145500000");
    for (int i = 1; i < 5; ++i) {
        now = start + 100 * i;
        setAndAck(std::to_string(145500000 + 25000 * i));
        ASSERT_EQ(queue.text(), cmd::statusRefresh()) << i;
    }
    // Half a second after the first set passed them, the reads go first.
    now = start + 100 + RigctlServer::kReadsMayWaitMs;
    send("F 145625000\n");
    EXPECT_EQ(queue.text(), cmd::statusRefresh() + "RF0145625000\r" + cmd::statusRefresh());
    for (int i = 0; i < 6; ++i) {
        server.commandFinished(*queue.takeFirst(), true, now);
    }
    ASSERT_TRUE(queue.text().starts_with("RF0145625000\r"));
    server.commandFinished(*queue.takeFirst(), true, now);
    EXPECT_EQ(take(), "RPRT 0\n");

    // The reads behind that set have not been passed yet: the next set does.
    now += 100;
    send("F 145650000\n");
    EXPECT_EQ(queue.text(), "RF0145650000\r" + cmd::statusRefresh());
    server.commandFinished(*queue.takeFirst(), true, now);
    take();

    // They all go; a status read of the window's right after is its own.
    while (!queue.empty()) {
        server.commandFinished(*queue.takeFirst(), true, now);
    }
    queue.append(cmd::statusRefresh());
    now += 10;
    send("F 145675000\n");
    EXPECT_EQ(queue.text(), cmd::statusRefresh() + "RF0145675000\r" + cmd::statusRefresh());

    // The link's error empties the queue and ends the set; nothing is left
    // to be moved either.
    server.commandFinished(*queue.takeFirst(), false, now);
    EXPECT_EQ(take(), "RPRT -6\n");
    queue.clear();
    queue.append(cmd::statusRefresh());
    send("F 145700000\n");
    EXPECT_EQ(queue.text(), cmd::statusRefresh() + "RF0145700000\r" + cmd::statusRefresh());
}

TEST_F(RigctlServerTest, BadFrequenciesNeverReachTheQueue) {
    for (const char* text : {"F 14a\n", "F -5\n", "F 1e9\n", "F 99999999999\n", "F 99999\n",
                             "F 2040000050\n", "F 145.5.1\n", "F 0x10\n", "F +145500000\n"}) {
        EXPECT_EQ(send(text), "RPRT -1\n") << text;
    }
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(send("F 2040000000\n"), "");
    EXPECT_TRUE(queue.text().starts_with("RF2040000000\r"));
    queue.clear();
    mark2 = true;
    send("F 2999999950\n", *server.connect());
    EXPECT_TRUE(queue.text().starts_with("RF2999999950\r"));
}

TEST_F(RigctlServerTest, NothingFromTheSocketIsCopiedIntoACommand) {
    // Each from a client of its own: a set holds its client's later requests.
    for (const char* text : {"F 145500000\rQP\n", "M FM\rQP\n", "V VFOA\rQP\n", "E 5\rQP\n",
                             "M AM;QP 0\n", "E 5QP\n", "\\set_freq 145500000;QP\n"}) {
        send(text, *server.connect());
    }
    const std::string q = queue.text();
    EXPECT_EQ(q.find("QP"), std::string::npos) << q;
    // Every queued command is a well-formed one of the receiver.
    static const std::regex kCommand(R"(^(?:[A-Z]{2}[0-9A-Za-z]*\r)*$)");
    EXPECT_TRUE(std::regex_match(q, kCommand)) << q;
}

TEST_F(RigctlServerTest, ModesVfosAndMemoriesMapToTheReceiversCommands) {
    send("M AMN 0\n");
    EXPECT_EQ(queue.text(), cmd::modeSet("NAM"));
    server.commandFinished("MD8\r", true, now);
    EXPECT_EQ(take(), "RPRT 0\n");
    queue.clear();
    send("M FM\n");  // without the passband
    EXPECT_EQ(queue.text(), cmd::modeSet("NFM"));
    server.commandFinished("MD1\r", true, now);
    queue.clear();
    EXPECT_EQ(take(), "RPRT 0\n");
    EXPECT_EQ(send("M PKTUSB 0\n"), "RPRT -1\n");
    // A locked mode is kept: the set is answered, not made.
    EXPECT_EQ(send("\\get_lock_mode \\set_lock_mode 1 M USB 0 \\get_lock_mode\n"),
              "0\nRPRT 0\nRPRT 0\n1\n");
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(send("\\set_lock_mode 0\n"), "RPRT 0\n");
    EXPECT_EQ(send("M ? \n"), "WFM FM FMN AM AMN USB LSB CW\n");

    send("V VFOB\n");
    EXPECT_EQ(queue.text(), cmd::vfoSelect('B'));
    server.commandFinished("VB\r", true, now);
    queue.clear();
    send("V MEM\n");
    EXPECT_EQ(queue.text(), cmd::memoryReadStart());
    server.commandFinished("LC0\r", true, now);
    queue.clear();
    EXPECT_EQ(send("V VFOC\n"), "RPRT -1\n");
    // On the VFO already: nothing to send; searching on it: selected again.
    statusReply(145500000, 1, kStateVfoA);
    server.pump(now);
    EXPECT_EQ(send("V VFOA\n"), "RPRT 0\n");
    EXPECT_TRUE(queue.empty());
    for (int state : {kStateVfoSearchA, kStateSearch}) {
        statusReply(145500000, 1, state);
        server.pump(now);
        send(state == kStateSearch ? "V VFO\n" : "V VFOA\n");
        EXPECT_FALSE(queue.empty()) << state;
        server.commandFinished(queue.text().substr(0, 3), true, now);
        EXPECT_EQ(take(), "RPRT 0\n");
        queue.clear();
    }

    rx.selectBank('c');
    send("E 7\n");
    EXPECT_EQ(queue.text(), cmd::memoryRecall("c07"));
    server.commandFinished("MRc07\r", true, now);
    EXPECT_EQ(take(), "RPRT 0\n");
    EXPECT_EQ(send("E 100\n"), "RPRT -1\n");

    queue.clear();
    rx.memoryChannel = "c07";
    statusReply(145500000, 1, kStateMemoryRead);
    server.pump(now);
    EXPECT_EQ(send("e v\n"), "7\nMEM\n");
}

TEST_F(RigctlServerTest, WideAmIsSetByItsPassbandAndKeptWhenWrittenBack) {
    constexpr int kWam = 3;
    statusReply(145500000, kWam);
    server.pump(now);
    EXPECT_EQ(send("m\n"), "AM\n15000\n");
    // The mode just read, written back, or without a passband: still wide.
    for (const char* text : {"M AM 15000\n", "M AM 0\n", "M AM -1\n", "M AM\n"}) {
        send(text);
        EXPECT_EQ(queue.text(), cmd::modeSet("WAM")) << text;
        server.commandFinished(queue.text().substr(0, 4), true, now);
        EXPECT_EQ(take(), "RPRT 0\n") << text;
        queue.clear();
    }
    // A narrow passband asks for the plain AM.
    send("M AM 6000\n");
    EXPECT_EQ(queue.text(), cmd::modeSet("AM"));
    server.commandFinished(queue.text().substr(0, 4), true, now);
    queue.clear();
    // From another mode, AM is the plain one unless the passband is wide.
    rx.mode = 1;
    send("M AM 0\n");
    EXPECT_EQ(queue.text(), cmd::modeSet("AM"));
    server.commandFinished(queue.text().substr(0, 4), true, now);
    queue.clear();
    send("M AM 15000\n");
    EXPECT_EQ(queue.text(), cmd::modeSet("WAM"));
}

TEST_F(RigctlServerTest, ASetThatTimedOutHoldsBackTheClientsNextSet) {
    send("F 145500000\n");
    const std::string first = queue.text();
    now += RigctlServer::kAnswerTimeoutMs;
    server.pump(now);
    EXPECT_EQ(take(), "RPRT -5\n");
    // Still queued: the next set is refused, not queued behind it.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(send("F 146000000\n"), "RPRT -5\n");
    }
    EXPECT_EQ(queue.text(), first);
    // Another client is not held back.
    const int other = *server.connect();
    EXPECT_EQ(send("M USB\n", other), "");
    // Once the old set has gone out, the client sets again.
    server.commandFinished("RF0145500000\r", true, now);
    queue.clear();
    EXPECT_EQ(send("F 146000000\n"), "");
    EXPECT_TRUE(queue.text().starts_with("RF0146000000\r"));
}

TEST_F(RigctlServerTest, SquelchAndLevelsComeFromTheLastLevelReport) {
    EXPECT_EQ(send("\\get_dcd\n"), "RPRT -11\n");
    EXPECT_EQ(send("l STRENGTH\n"), "RPRT -11\n");
    rx.squelchOpen = true;
    rx.signalLevel = 255;
    EXPECT_EQ(send("\\get_dcd l STRENGTH l RAWSTR\n"), "1\n60\n255\n");
    rx.squelchOpen = false;
    rx.signalLevel = 0;
    EXPECT_EQ(send("+\\get_dcd\n"), "get_dcd:\nDCD: 0\nRPRT 0\n");
    EXPECT_EQ(send("l STRENGTH\n"), "-54\n");

    rx.operatingState = kStateMemoryScan;
    rx.scanGroup(rx.currentScanGroup).field[GroupRecord::kLevelSquelch] = "051";
    EXPECT_EQ(send("l SQL\n"), "0.200000\n");
    EXPECT_EQ(send("l AF\n"), "RPRT -11\n");
    EXPECT_TRUE(queue.empty());

    // Level reports switched off: the last one no longer tells the squelch.
    rx.squelchOpen = true;
    server.commandFinished("LC0\r", true, now);
    EXPECT_EQ(send("\\get_dcd l STRENGTH\n"), "RPRT -11\nRPRT -11\n");
}

TEST_F(RigctlServerTest, TheLinksErrorAndAMissingReceiverGiveAnErrorNotAHang) {
    send("F 145500000\n");
    server.commandFinished("RF0145500000\r", false, now);
    EXPECT_EQ(take(), "RPRT -6\n");

    queue.clear();
    linkUp = false;
    EXPECT_EQ(send("F 145500000 f\n"), "RPRT -6\nRPRT -6\n");
    EXPECT_TRUE(queue.empty());
}

TEST_F(RigctlServerTest, OverlongLinesAndGarbageAreAnsweredAndDropped) {
    const std::string longLine(5000, 'x');
    EXPECT_EQ(send(longLine + "\nt\n"), "RPRT -1\n0\n");
    // The rest of an overlong line, however it arrives, is thrown away.
    EXPECT_EQ(send(std::string(RigctlServer::kMaxLine + 1, 'F')), "RPRT -1\n");
    EXPECT_EQ(send(" 145500000\nt\n"), "0\n");

    std::string garbage;
    for (int i = 0; i < 20000; ++i) {
        garbage += static_cast<char>(0x80 + (i * 37) % 128);
        if (i % 97 == 0) {
            garbage += '\n';
        }
        if (i % 131 == 0) {
            garbage += '\0';
        }
    }
    const std::string replies = send(garbage + "\nt\n");
    EXPECT_TRUE(replies.ends_with("RPRT -1\n0\n"));
    EXPECT_TRUE(queue.empty());
}

TEST_F(RigctlServerTest, AFloodOfReadsHoldsTheClientsInputButQueuesOneRead) {
    std::string flood;
    for (std::size_t i = 0; i < RigctlServer::kMaxWaiting; ++i) {
        flood += "f\n";
    }
    EXPECT_TRUE(server.wantsInput(client));
    send(flood);
    EXPECT_FALSE(server.wantsInput(client));
    EXPECT_EQ(queue.text(), "RX\r");
    statusReply();
    server.pump(now);
    EXPECT_TRUE(server.wantsInput(client));
    std::string expected;
    for (std::size_t i = 0; i < RigctlServer::kMaxWaiting; ++i) {
        expected += "145500000\n";
    }
    EXPECT_EQ(take(), expected);
}

TEST_F(RigctlServerTest, QuitClosesAndTheServerHasRoomForSoMany) {
    EXPECT_EQ(send("q t\n"), "");
    EXPECT_EQ(closed, std::vector<int>{client});
    EXPECT_FALSE(server.wantsInput(client));
    server.disconnect(client);
    EXPECT_EQ(server.clientCount(), 0u);
    for (std::size_t i = 0; i < RigctlServer::kMaxClients; ++i) {
        EXPECT_TRUE(server.connect());
    }
    EXPECT_EQ(closed.size(), 1u);
    EXPECT_TRUE(server.connect()) << "a full server makes room";
    EXPECT_EQ(closed.size(), 2u);
    EXPECT_EQ(server.clientCount(), RigctlServer::kMaxClients);
}

TEST_F(RigctlServerTest, AClientIdleForTheLimitIsClosedOneThatTalksIsNot) {
    const int quiet = client;
    EXPECT_EQ(send("\\chk_vfo\n", quiet), "0\n");  // heard once, at the start
    const int talker = *server.connect(now);

    now += RigctlServer::kIdleLimitMs - 1;
    send("\\chk_vfo\n", talker);
    server.pump(now);
    EXPECT_TRUE(closed.empty());
    now += 1;
    server.pump(now);
    EXPECT_EQ(closed, std::vector<int>{quiet});
    EXPECT_FALSE(server.wantsInput(quiet));
    EXPECT_TRUE(server.wantsInput(talker));
    server.pump(now + 1000);
    EXPECT_EQ(closed.size(), 1u) << "asked to close once";
}

TEST_F(RigctlServerTest, AFullServerClosesTheLongestIdleClientForANewOne) {
    std::vector<int> clients = {client};
    for (std::size_t i = 1; i < RigctlServer::kMaxClients; ++i) {
        now += 10;
        clients.push_back(*server.connect(now));
    }
    // The first two have spoken since; the third has been idle longest.
    now += 10;
    send("\\chk_vfo\n", clients[0]);
    send("\\chk_vfo\n", clients[1]);
    now += 10;
    const auto newcomer = server.connect(now);
    ASSERT_TRUE(newcomer);
    EXPECT_EQ(closed, std::vector<int>{clients[2]});
    EXPECT_EQ(server.clientCount(), RigctlServer::kMaxClients);
    EXPECT_FALSE(server.wantsInput(clients[2]));
    EXPECT_EQ(send("\\chk_vfo\n", *newcomer), "0\n");
    server.disconnect(clients[2]);  // the carrier's word comes later: no harm
    EXPECT_EQ(server.clientCount(), RigctlServer::kMaxClients);
    // And again: the fourth is next.
    now += 10;
    ASSERT_TRUE(server.connect(now));
    EXPECT_EQ(closed.back(), clients[3]);
}

}  // namespace
}  // namespace korvex::remote
