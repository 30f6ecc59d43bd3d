#include <string>

#include "tests/parser/ParserFixture.h"

namespace korvex::test {
namespace {

using SingleReplies = ParserFixture;

TEST_F(SingleReplies, FinalStateByTheCommandSent) {
    struct Case {
        std::string_view command;
        std::string_view line;
        LinkState after;
    };
    const Case cases[] = {
        {"AF\r", "AF1", LinkState::Data},
        {"AF1\r", "AF1", LinkState::Idle},
        {"RF0145500000\r", "?", LinkState::Idle},
        {"NL\r", "?", LinkState::Data},  // a line no rule knows
        {"XY\r", "anything", LinkState::Data},
        {"", "stray", LinkState::Idle},
    };
    for (const Case& c : cases) {
        exchange(c.command, c.line);
        EXPECT_EQ(rx.linkState, c.after) << c.command << " / " << c.line;
    }
    EXPECT_EQ(host.refreshes, 0);  // the poll tick refreshes, not the parser
}

TEST_F(SingleReplies, Flags) {
    struct Case {
        std::string_view command;
        std::string_view line;
        bool CReceiver::*flag;
        bool expected;
    };
    const Case cases[] = {
        {"AF\r", "AF1", &CReceiver::afc, true},
        {"AF\r", "AF0", &CReceiver::afc, false},
        {"NL\r", "NL1", &CReceiver::noiseLimiter, true},
        {"NL\r", "NL0", &CReceiver::noiseLimiter, false},
        {"GA\r", "GA1", &CReceiver::selectFlag, true},
        {"GA\r", "GA0", &CReceiver::selectFlag, false},
        {"MP\r", "MP1", &CReceiver::passFlag, true},
        {"MP\r", "MP0", &CReceiver::passFlag, false},
        {"AT\r", "AT1", &CReceiver::attenuator, true},
        {"AT\r", "AT0", &CReceiver::attenuator, false},
    };
    for (const Case& c : cases) {
        rx.*c.flag = !c.expected;
        exchange(c.command, c.line);
        EXPECT_EQ(rx.*c.flag, c.expected) << c.line;
    }
    // Lines that do not carry the flag leave it alone.
    rx.afc = true;
    exchange("AF\r", "AF");
    exchange("AF\r", "NL0");
    EXPECT_TRUE(rx.afc);
    rx.selectFlag = true;
    exchange("GA\r", "GA?");
    EXPECT_TRUE(rx.selectFlag);
}

TEST_F(SingleReplies, BankInfo) {
    sent("TB\r");
    replyLine("MW A:50 TBAAmateur ");
    replyLine("MW a:50 TBa        ");
    replyLine("MW j:10 TBjShort   ");
    EXPECT_EQ(rx.bankInfo[0], "A:50 Amateur ");
    EXPECT_EQ(rx.bankInfo[10], "a:50         ");
    EXPECT_EQ(rx.bankInfo[19], "j:10 Short   ");
    EXPECT_EQ(rx.bankSize(0), 50);
    EXPECT_EQ(rx.bankSize(19), 10);
    EXPECT_TRUE(rx.listChanged);
    EXPECT_EQ(rx.linkState, LinkState::Data);

    // Too short, not a bank letter: ignored.
    rx.listChanged = false;
    replyLine("MW B:50 TBBabcdefg");  // 18 characters
    replyLine("MW [:50 TB[Bracket ");
    replyLine("XW C:50 TBCAmateur ");
    EXPECT_EQ(rx.bankInfo[1], "");
    EXPECT_EQ(rx.bankInfo[4], "");
    EXPECT_EQ(rx.bankInfo[2], "");
    EXPECT_FALSE(rx.listChanged);
}

TEST_F(SingleReplies, ScanAndSearchGroups) {
    exchange("GM\r", "GM3 XD2.5 XB 100 XA 050 XP05 XM1");
    EXPECT_EQ(rx.currentScanGroup, 3);
    EXPECT_EQ(rx.scanGroups[3], (GroupRecord{{"3", "25", "100", "050", "05", "1", ""}}));
    exchange("BM\r", "BM ABCDE-----abcde-----XYZ");
    EXPECT_EQ(rx.scanGroups[3][GroupRecord::kBankLink], "ABCDE-----abcde-----");

    exchange("GS\r", "GS7 SD0.9 SB+200 SA 010 SP60 AS0");
    EXPECT_EQ(rx.currentSearchGroup, 7);
    EXPECT_EQ(rx.searchGroups[7], (GroupRecord{{"7", "09", "200", "010", "60", "0", ""}}));
    const std::string links(40, 'x');
    exchange("BS\r", "BS " + links + "more");
    EXPECT_EQ(rx.searchGroups[7][GroupRecord::kBankLink], links);

    exchange("GV\r", "GV DD1.0 DB 030 DA 000 DP10 VT2");
    EXPECT_EQ(rx.currentSearchGroup, 10);
    EXPECT_EQ(rx.searchGroups[10],
              (GroupRecord{{"10", "10", "030", "000", "10", "2", std::string(40, '-')}}));

    // No group digit: nothing changes.
    exchange("GM\r", "GMx XD2.5");
    exchange("GM\r", "GM");
    EXPECT_EQ(rx.currentScanGroup, 3);
}

TEST_F(SingleReplies, LevelSquelchGoesToTheCurrentGroup) {
    rx.currentScanGroup = 4;
    rx.currentSearchGroup = 2;
    exchange("XB\r", "XB 123");
    exchange("SB\r", "SB+045");
    exchange("DB\r", "DB 255");
    EXPECT_EQ(rx.scanGroups[4][GroupRecord::kLevelSquelch], "123");
    EXPECT_EQ(rx.searchGroups[2][GroupRecord::kLevelSquelch], "045");
    EXPECT_EQ(rx.searchGroups[10][GroupRecord::kLevelSquelch], "255");
    exchange("XB\r", "XB");
    EXPECT_EQ(rx.scanGroups[4][GroupRecord::kLevelSquelch], "123");
}

TEST_F(SingleReplies, OptionValues) {
    exchange("OM\r", "OM1 Welcome to the AR8600 receiver, a long opening message text");
    EXPECT_EQ(rx.openingMode, '1');
    EXPECT_EQ(rx.openingMessage, "Welcome to the AR8600 receiver, a long opening m");
    exchange("OM\r", "OM2");
    EXPECT_EQ(rx.openingMode, '2');
    EXPECT_EQ(rx.openingMessage.size(), 48u);  // kept: nothing after the mode
    exchange("VL\r", "VL5");
    EXPECT_EQ(rx.vlValue, '5');
    exchange("LB\r", "LB12");
    EXPECT_EQ(rx.lbValue, "12");
    exchange("VL\r", "VL");
    EXPECT_EQ(rx.vlValue, '5');
}

TEST_F(SingleReplies, StepOnlyInFieldPosition) {
    exchange("ST\r", "ST012500 ");
    EXPECT_EQ(rx.stepText, "012500");
    EXPECT_EQ(rx.stepHz, 12500);
    EXPECT_FALSE(rx.stepAdjust);
    exchange("ST\r", "ST008330+");
    EXPECT_EQ(rx.stepHz, 8330);
    EXPECT_TRUE(rx.stepAdjust);
    // "ST" inside a word is not the step.
    exchange("ST\r", "FIRST025000 ");
    EXPECT_EQ(rx.stepHz, 8330);
    exchange("ST\r", "ST0125");  // cut short
    EXPECT_EQ(rx.stepHz, 8330);
    exchange("ST\r", "STab1234 ");  // not digits
    EXPECT_EQ(rx.stepText, "008330");
}

TEST_F(SingleReplies, ModeDigitsMapToTheModelOrder) {
    const int expected[] = {0, 1, 4, 6, 7, 8, 2, 3, 5};
    for (int d = 0; d <= 8; ++d) {
        exchange("MD\r", "MD" + std::to_string(d));
        EXPECT_EQ(rx.mode, expected[d]) << d;
        EXPECT_EQ(kModeNamesByIndex[static_cast<std::size_t>(rx.mode)],
                  kModeNamesByDigit[static_cast<std::size_t>(d)]);
    }
    exchange("MD\r", "MD9");
    EXPECT_EQ(rx.mode, 5);
    exchange("AU\r", "AU1 MD2");
    EXPECT_TRUE(rx.autoMode);
    EXPECT_EQ(rx.mode, 4);
}

TEST_F(SingleReplies, ModeReplyWhileHaltedShowsTheBandscopeTexts) {
    rx.bandscopeHalted = true;
    exchange("MD\r", "MD1");
    EXPECT_EQ(rx.vfoAFrequency, " Bandscope ");
    EXPECT_EQ(rx.vfoBFrequency, "   halted  ");
}

}  // namespace
}  // namespace korvex::test
