// Status queries, VFO and settings commands, refusals and silences.

#include <gtest/gtest.h>

#include "simulator/Ar8600.h"
#include "tests/simulator/SimTestSupport.h"

namespace korvex::sim {
namespace {

struct Exchange {
    const char* sent;
    const char* reply;
};

TEST(Ar8600Status, AnswersTheInitialReadOutQueries) {
    Ar8600 rx;
    const Exchange cases[] = {
        {"RX\r", "VF RF0145500000 ST012500 AU0 MD1 AT0\r\n"},
        {"AF\r", "AF0\r\n"},
        {"NL\r", "NL0\r\n"},
        {"DB\r", "DB 000\r\n"},
        {"SB\r", "SB 000\r\n"},
        {"XB\r", "XB 000\r\n"},
        {"GA\r", "GA0\r\n"},
        {"MP\r", "MP0\r\n"},
        {"GM\r", "GM0 XD2.0 XB 000 XA 000 XP00 XMF\r\n"},
        {"BM\r", "BM ABCDEFGHIJabcdefghij\r\n"},
        {"GS\r", "GS0 SD2.0 SB 000 SA 000 SP05 AS0\r\n"},
        {"BS\r", "BS ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst\r\n"},
        {"GV\r", "GV DD2.0 DB 000 DA 000 DP00 VT0\r\n"},
        {"VL\r", "VL5\r\n"},
        {"LB\r", "LB16\r\n"},
        {"XD\r", "XD2.0\r\n"},
        {"XP\r", "XP00\r\n"},
        {"XM\r", "XMF\r\n"},
        {"\r", "\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rx.feed(c.sent), c.reply) << c.sent;
    }
}

TEST(Ar8600Status, SetCommandsAreAcknowledgedAndReadBack) {
    const struct {
        const char* commands;  // set commands, each acknowledged with an empty line
        const char* query;
        const char* reply;
    } cases[] = {
        {"RF0080200000\r", "RX\r", "VF RF0080200000 ST012500 AU0 MD1 AT0\r\n"},
        {"VA\r", "RX\r", "VA RF0144000000 ST012500 AU0 MD1 AT0\r\n"},
        {"VB\rRF0146500000\r", "RX\r", "VB RF0146500000 ST012500 AU0 MD1 AT0\r\n"},
        {"RF0145512500\rST025000\r", "ST\r", "ST025000+\r\n"},
        {"ST100000\r", "ST\r", "ST100000\r\n"},
        {"MD2\r", "MD\r", "MD2\r\n"},
        {"AU1\rRF0118100000\r", "RX\r", "VF RF0118100000 ST025000 AU1 MD2 AT0\r\n"},
        {"AT1\r", "AT\r", "AT1\r\n"},
        {"AF1\r", "AF\r", "AF1\r\n"},
        {"NL1\r", "NL\r", "NL1\r\n"},
        {"OM1 HELLO\r", "OM\r", "OM1\r\n"},
        {"LB05\r", "LB\r", "LB05\r\n"},
        {"VL9\r", "VL\r", "VL9\r\n"},
        {"XB050\r", "XB\r", "XB 050\r\n"},
        {"XA120\r", "XA\r", "XA 120\r\n"},
        {"XD25\r", "XD\r", "XD2.5\r\n"},
        {"GM3\r", "GM\r", "GM3 XD1.0 XB 000 XA 000 XP00 XM2\r\n"},
        {"GM1\rBM ------------c-------\r", "BM\r", "BM A---------a-c-------\r\n"},
        {"GM1\rBM A-------------------\r", "BM\r", "BM ----------a---------\r\n"},
        {"GS2\r", "SB\r", "SB 050\r\n"},
        {"SD15\rSP30\rAS2\r", "GS\r", "GS0 SD1.5 SB 000 SA 000 SP30 AS2\r\n"},
        {"DB200\rDA010\rDD05\rDP60\rVT1\r", "GV\r", "GV DD0.5 DB 200 DA 010 DP60 VT1\r\n"},
        {"PQ07\r", "PQ\r", "PQ07\r\n"},
        {"WP1\r", "WP\r", "WP1\r\n"},
        {"LC1\r", "LC\r", "LC1\r\n"},
    };
    for (const auto& c : cases) {
        Ar8600 rx({}, sampleState(),
                  SignalField(std::vector<Carrier>{}));  // no carriers: no "+" in squelch reads
        const auto acks = test::lines(rx.feed(c.commands));
        for (const std::string& ack : acks) {
            EXPECT_EQ(ack, "") << c.commands;
        }
        EXPECT_EQ(rx.feed(c.query), c.reply) << c.commands;
    }
}

TEST(Ar8600Status, RefusesMalformedAndUnknownCommands) {
    const char* cases[] = {
        "ZZ\r",           "R\r",
        "RX1\r",          "RF0000099999\r",
        "RF2040000050\r", "RF014550000\r",
        "RF01455000x0\r", "ST012345\r",
        "ST12500\r",      "MD9\r",
        "AU2\r",          "XB256\r",
        "XP61\r",         "XD100\r",
        "XMG\r",          "ASF\r",
        "BM ABC\r",       "BM -----------------X--\r",
        "GMx\r",          "LC2\r",
        "LC3\r",          "LB32\r",
        "VLa\r",          "OM3\r",
        "OM2X\r",         "VAA\r",
        "GA1\r",          "MP1\r",
        "RX\x01\r",       "rx\r",
        "SSZ\r",          "SSI\r",
        "MA\r",           "WM\r",
    };
    for (const char* sent : cases) {
        Ar8600 rx;
        EXPECT_EQ(rx.feed(sent), "?\r\n") << sent;
    }
}

TEST(Ar8600Status, UserOpeningMessageReadsBackPaddedTo48) {
    Ar8600 rx;
    EXPECT_EQ(rx.feed("OM2 HELLO\r"), "\r\n");
    EXPECT_EQ(rx.feed("OM\r"), "OM2 HELLO" + std::string(43, ' ') + "\r\n");
    EXPECT_EQ(rx.feed("OM2\r"), "\r\n");
    EXPECT_EQ(rx.feed("OM\r"), "OM2 " + std::string(48, ' ') + "\r\n");
    EXPECT_EQ(rx.feed("OM0 " + std::string(60, 'x') + "\r"), "\r\n");
    EXPECT_EQ(rx.state().openingMessage, std::string(48, 'x'));
}

TEST(Ar8600Status, MarkTwoRaisesTheUpperLimit) {
    for (const bool markTwo : {false, true}) {
        Ar8600Options options;
        options.markTwo = markTwo;
        Ar8600 rx(options);
        EXPECT_EQ(rx.feed("RF2040000000\r"), "\r\n");
        EXPECT_EQ(rx.feed("RF3000000000\r"), markTwo ? "\r\n" : "?\r\n");
        EXPECT_EQ(rx.feed("RF3000000050\r"), "?\r\n");
    }
}

TEST(Ar8600Status, DialKeysStepTheVfoWithoutReply) {
    const struct {
        char key;
        const char* frequency;
    } cases[] = {
        {0x1E, "0145512500"},
        {0x1F, "0145487500"},
        {0x1C, "0145625000"},
        {0x1D, "0145375000"},
    };
    for (const auto& c : cases) {
        Ar8600 rx;
        EXPECT_EQ(rx.feed(std::string(1, c.key) + "\r"), "");
        EXPECT_EQ(test::frequencyAfterRf(rx.feed("RX\r")), c.frequency) << int(c.key);
    }
}

TEST(Ar8600Status, ExitAndPowerOffGetNoReply) {
    Ar8600 rx;
    EXPECT_EQ(rx.feed("EX\r"), "");
    EXPECT_EQ(rx.feed("RX\r"), "VF RF0145500000 ST012500 AU0 MD1 AT0\r\n");
    EXPECT_EQ(rx.feed("QP\r"), "");
    EXPECT_TRUE(rx.poweredOff());
}

TEST(Ar8600Status, PoweredOffReceiverWakesOnTheFirstCommandAndLosesIt) {
    Ar8600Options options;
    options.wakeDelayMs = 500;
    Ar8600 rx(options);
    rx.feed("QP\r");
    EXPECT_EQ(rx.advance(5000), "");
    EXPECT_EQ(rx.feed("RX\r"), "");
    EXPECT_EQ(rx.advance(499), "");
    EXPECT_EQ(rx.feed("RX\r"), "");
    EXPECT_EQ(rx.advance(1), "");
    EXPECT_FALSE(rx.poweredOff());
    EXPECT_EQ(rx.feed("AF\r"), "AF0\r\n");
}

TEST(Ar8600Status, StaysSilentAfterPowerOffWhenAskedTo) {
    Ar8600Options options;
    options.stayOffAfterPowerOff = true;
    Ar8600 rx(options);
    rx.feed("QP\r");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rx.feed("RX\r"), "");
        EXPECT_EQ(rx.advance(10'000), "");
    }
}

TEST(Ar8600Status, SplitCommandsAreJoinedAndSeveralAnsweredInOrder) {
    Ar8600 rx;
    EXPECT_EQ(rx.feed("A"), "");
    EXPECT_EQ(rx.feed("F\rNL"), "AF0\r\n");
    EXPECT_EQ(rx.feed("\r\nVL\rLB\r"), "NL0\r\nVL5\r\nLB16\r\n");
}

TEST(Ar8600Status, OverlongCommandIsRefusedOnce) {
    Ar8600 rx;
    EXPECT_EQ(rx.feed(std::string(5000, 'X') + "\r"), "?\r\n");
    EXPECT_EQ(rx.feed("AF\r"), "AF0\r\n");
}

TEST(Ar8600Status, LevelSquelchPlusWhileTheSignalIsAboveIt) {
    // The plain VFO sits on an always-on test carrier.
    SignalField signals({{145'500'000, 10'000, 120}});
    Ar8600 rx({}, sampleState(), std::move(signals));
    rx.feed("DB050\r");
    EXPECT_EQ(rx.feed("DB\r"), "DB+050\r\n");
    rx.feed("DB200\r");
    EXPECT_EQ(rx.feed("DB\r"), "DB 200\r\n");
    rx.feed("DB000\r");
    EXPECT_EQ(rx.feed("DB\r"), "DB 000\r\n");
}

}  // namespace
}  // namespace korvex::sim

namespace korvex::sim {
namespace {

// Random commands made of real words and arbitrary arguments: every one is
// answered with whole lines (or nothing) and the receiver keeps working.
TEST(Ar8600Robustness, RandomCommandsNeverBreakTheReceiver) {
    const char* words[] = {"RX", "RF", "ST", "MD", "AU", "AT", "AF",   "NL",  "VA", "VB", "VF",
                           "LC", "PQ", "OM", "VL", "LB", "WP", "WM",   "MX",  "MR", "MQ", "MA",
                           "MS", "MW", "TB", "MP", "GA", "GR", "GD",   "SM",  "SR", "SE", "QS",
                           "SS", "VS", "PR", "PW", "PD", "GM", "GS",   "GV",  "BM", "BS", "XB",
                           "XD", "SB", "DB", "AS", "VT", "XM", "\x1e", "\x1c"};
    const char alphabet[] = "0123456789%+- ABCabcTMRFSTMDATAUMXLSU\xb0\xff";
    Ar8600Options options;
    options.resizeBaseMs = 5;
    options.resizeMsPerSlot = 0;
    options.wakeDelayMs = 5;
    Ar8600 rx(options);
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int i = 0; i < 20'000; ++i) {
        std::string command = words[next() % std::size(words)];
        const int length = static_cast<int>(next() % 24);
        for (int k = 0; k < length; ++k) {
            command += alphabet[next() % (sizeof alphabet - 1)];
        }
        if (command == "QP") {
            continue;
        }
        const std::string reply = rx.feed(command + "\r") + rx.advance(next() % 60);
        ASSERT_TRUE(reply.empty() || reply.size() >= 2) << command;
        ASSERT_EQ(reply.substr(reply.size() - std::min<size_t>(reply.size(), 2)),
                  reply.empty() ? "" : "\r\n")
            << command;
    }
    rx.feed("LC0\rVF\r");
    rx.advance(1000);
    EXPECT_EQ(rx.feed("RX\r").substr(0, 5), "VF RF");
}

}  // namespace
}  // namespace korvex::sim
