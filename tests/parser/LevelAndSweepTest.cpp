#include <string>
#include <vector>

#include "tests/parser/ParserFixture.h"

namespace korvex::test {
namespace {

using LevelLines = ParserFixture;

std::vector<int> takeAll(SquelchEvents& events) {
    std::vector<int> out;
    while (auto e = events.take()) {
        out.push_back(*e);
    }
    return out;
}

TEST_F(LevelLines, ClosedAndOpenWhileLogging) {
    rx.operatingState = kStateMemoryScan;
    rx.logActive = true;
    sent("LC1\r");
    replyLine("LC%012 V1");
    EXPECT_EQ(rx.levelText, "012");
    EXPECT_EQ(rx.vfoAFrequency, "+++++++++++ ");
    EXPECT_EQ(rx.vfoFrequency, "+++++++++++ ");
    EXPECT_TRUE(poll.displayRefreshWanted);
    replyLine("LC123 V1 RF0145500000");
    EXPECT_EQ(rx.levelText, "123");
    EXPECT_EQ(rx.vfoAFrequency, " ++ stop ++ ");
    EXPECT_EQ(rx.vfoFrequency, "145.500000");
    replyLine("LC%010 V1");
    EXPECT_EQ(takeAll(rx.squelchEvents), (std::vector<int>{0, 1, 0}));
}

TEST_F(LevelLines, NoSquelchEventsWithoutTheLog) {
    rx.operatingState = kStateSearch;
    sent("LC1\r");
    replyLine("LC123 V1 RF0145500000");
    EXPECT_EQ(rx.levelText, "123");
    EXPECT_TRUE(rx.squelchEvents.empty());
}

TEST_F(LevelLines, DecodedByOperatingState) {
    struct Case {
        int state;
        bool logging;
        bool decoded;
    };
    const Case cases[] = {
        {kStateUnknown, false, true},     {kStateVfo, false, false},
        {kStateVfo, true, true},          {kStateVfoA, true, false},
        {kStateVfoB, true, false},        {kStateVvA, true, false},
        {kStateVvB, true, false},         {kStateSearch, false, true},
        {kStateVfoSearchA, false, true},  {kStateVfoSearchB, false, true},
        {kStateMemoryRead, false, false}, {kStateMemoryRead, true, true},
        {kStateMemoryScan, false, true},  {kStateSelectScan, false, true},
    };
    for (const Case& c : cases) {
        rx.levelText.clear();
        rx.operatingState = c.state;
        rx.logActive = c.logging;
        poll.displayRefreshWanted = false;
        exchange("LC1\r", "LC%077 V0");
        EXPECT_EQ(rx.levelText == "077", c.decoded) << c.state << " " << c.logging;
        EXPECT_EQ(poll.displayRefreshWanted, c.decoded) << c.state << " " << c.logging;
    }
}

TEST_F(LevelLines, ShortAndOddLevelLines) {
    rx.operatingState = kStateMemoryScan;
    exchange("LC1\r", "LC%");
    EXPECT_EQ(rx.levelText, "");
    exchange("LC1\r", "LC%1");
    EXPECT_EQ(rx.levelText, "1");
    // An "RF" followed by a blank is skipped.
    exchange("LC1\r", "LC200 RF V1 RF0000100000");
    EXPECT_EQ(rx.vfoFrequency, "0.100000");
}

// Level reports are not replies: the command sent before them is still
// outstanding, and whatever answers it decides the link state.
TEST_F(LevelLines, ReportWhileACommandIsOutstandingDoesNotAnswerIt) {
    rx.operatingState = kStateMemoryScan;
    sent("RX\r");
    replyLine("LC%012 V1");
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    EXPECT_EQ(rx.levelText, "012");
    EXPECT_TRUE(poll.displayRefreshWanted);
    replyLine("MS MXA01 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMx");
    EXPECT_EQ(rx.linkState, LinkState::Data);
    EXPECT_EQ(rx.operatingState, kStateMemoryScan);

    // A set command's empty acknowledgement around reports, in any cut.
    const std::vector<std::vector<std::string>> acks = {
        {"\r\nLC%013 V1\r\n"},
        {"LC%013 V1\r\n\r\n"},
        {"\r\nLC%0", "13 V1\r\n"},
        {"\r\nLC%013 V1\r", "\n"},
        {"LC%013 V1\r\n", "\r\n", "LC%014 V1\r\n"},
    };
    for (const auto& chunks : acks) {
        sent("MS\r");
        for (const std::string& chunk : chunks) {
            reply(chunk);
        }
        EXPECT_EQ(rx.linkState, LinkState::Idle) << ::testing::PrintToString(chunks);
    }
    // The empty line before a reply is not the answer: the reply is.
    sent("AF\r");
    reply("\r\nLC%0");
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    reply("15 V1\r\nAF1\r\n");
    EXPECT_TRUE(rx.afc);
    EXPECT_EQ(rx.linkState, LinkState::Data);
}

TEST_F(LevelLines, ReportsInsideAPageOrAfterAReplyChangeNoState) {
    rx.operatingState = kStateSearch;
    sent("MAA\r");
    for (int n = 0; n < 10; ++n) {
        reply("LC%020 V1\r\nMXA0" + std::to_string(n) +
              " MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMx\r\nLC%021 V1\r\n");
        EXPECT_EQ(rx.linkState, n < 9 ? LinkState::Wait : LinkState::Data) << n;
    }
    EXPECT_EQ(rx.banks[0].size(), 10u);
    // After the reply, neither reports nor an empty line behind them undo its DATA.
    reply("LC%022 V1\r\n\r\n");
    EXPECT_EQ(rx.linkState, LinkState::Data);
    rx.linkState = LinkState::Idle;
    reply("LC%023 V1\r\n");
    EXPECT_EQ(rx.linkState, LinkState::Idle);
    EXPECT_EQ(rx.levelText, "023");
}

using Sweep = ParserFixture;

TEST_F(Sweep, StartThenSamples) {
    sent("LC2\r");
    replyLine("LC2");
    EXPECT_TRUE(rx.bandscopeRunning);
    EXPECT_FALSE(rx.bandscopeHalted);
    EXPECT_TRUE(rx.sentCommand.empty());
    EXPECT_EQ(rx.vfoAFrequency, " Bandscope ");
    EXPECT_EQ(rx.vfoBFrequency, "  running  ");
    EXPECT_EQ(rx.linkState, LinkState::Data);

    rx.linkState = LinkState::Idle;
    replyLine("LC123 V1 RF0145500000");
    replyLine("LC045 V0 RF2999999950");
    ASSERT_EQ(host.samples.size(), 2u);
    EXPECT_EQ(host.samples[0], (std::pair<int, std::int64_t>{123, 145500000}));
    EXPECT_EQ(host.samples[1], (std::pair<int, std::int64_t>{45, 2999999950LL}));
    EXPECT_EQ(rx.vfoAFrequency, " Bandscope ");
    EXPECT_EQ(rx.vfoBFrequency, "  active   ");
    EXPECT_EQ(rx.vfoFrequency, " +++++++++ ");
    EXPECT_EQ(rx.linkState, LinkState::Idle);
}

TEST_F(Sweep, ShortOrForeignLinesAreIgnored) {
    rx.bandscopeRunning = true;
    sent("RX\r");
    const std::string twenty = "LC123 V1 RF014550000";  // 20 characters
    ASSERT_EQ(twenty.size(), 20u);
    replyLine(twenty);
    replyLine("VF RF0145500000 ST012500 AU0 MD1 AT0");  // a reply is not decoded
    replyLine("LC999 V1 RF0145500000");                 // level out of range
    replyLine("LCabc V1 RF0145500000");
    EXPECT_TRUE(host.samples.empty());
    EXPECT_EQ(rx.vfoFrequency, " +++++++++ ");
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    replyLine(twenty + "0");
    EXPECT_EQ(host.samples.size(), 1u);
}

TEST_F(Sweep, BandscopeTexts) {
    struct Case {
        bool running, halted;
        std::string a, b;
    };
    const Case cases[] = {
        {true, false, " Bandscope ", "  running  "},
        {true, true, " Bandscope ", "   halted  "},
        {false, true, " Bandscope ", "   halted  "},
        {false, false, "----------", "----------"},
    };
    for (const Case& c : cases) {
        rx.bandscopeRunning = c.running;
        rx.bandscopeHalted = c.halted;
        rx.linkState = LinkState::Idle;
        parser.bandscopeTexts();
        EXPECT_EQ(rx.vfoAFrequency, c.a);
        EXPECT_EQ(rx.vfoBFrequency, c.b);
        EXPECT_EQ(rx.linkState, LinkState::Data);
    }
}

}  // namespace
}  // namespace korvex::test
