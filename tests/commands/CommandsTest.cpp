#include "link/Commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/Receiver.h"

namespace korvex {
namespace {

using namespace cmd;

const std::string kBatch = "RX\rAF\rNL\rDB\rSB\rXB\r";

TEST(ComposeCommand, AppendsArgumentsUntilTheFirstEmptyOne) {
    struct Case {
        const char* word;
        const char* a1;
        const char* a2;
        const char* a3;
        const char* expected;
    };
    const Case cases[] = {
        {"GM", "", "5", "", "GM\r"},        {"GM", "5", "", "", "GM5\r"},
        {"TB", "A", "", "x", "TBA\r"},      {"PD", "A", "07", "", "PDA07\r"},
        {"XY", "1", "2", "3", "XY123\r"},   {"\x1E", "", "", "", "\x1E\r"},
        {"TB", "A", "\r\n", "QP", "TBA\r"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(composeCommand(c.word, c.a1, c.a2, c.a3), c.expected) << c.word << c.a1;
    }
}

TEST(RemoveControlCharacters, KeepsPrintableAndHighBytesOnly) {
    EXPECT_EQ(removeControlCharacters("ab\rQP\ncd\t\x01\x1F\x7F"), "abQPcd");
    EXPECT_EQ(removeControlCharacters("Caf\xE9 \xB0\xB0\xB0 ~"), "Caf\xE9 \xB0\xB0\xB0 ~");
    EXPECT_EQ(removeControlCharacters(std::string("a\0b", 3)), "ab");
}

TEST(FrequencyCommand, IsTheFrequencyAndTheStatusRefreshOrNothing) {
    EXPECT_EQ(frequencyCommand("145.5", FrequencyUnit::MHz, false), "RF0145500000\r" + kBatch);
    EXPECT_EQ(frequencyCommand("145500", FrequencyUnit::kHz, false), "RF0145500000\r" + kBatch);
    EXPECT_EQ(frequencyCommand("14a", FrequencyUnit::MHz, false), "");
    EXPECT_EQ(frequencyCommand("2500", FrequencyUnit::MHz, false), "");
    EXPECT_EQ(frequencyCommand("2500", FrequencyUnit::MHz, true), "RF2500000000\r" + kBatch);
}

TEST(Builders, GiveTheirCommandTexts) {
    struct Case {
        const char* name;
        std::function<std::string()> build;
        std::string expected;
    };
    const Case cases[] = {
        {"NL", [] { return noiseLimiterQuery(); }, "NL\r"},
        {"EX", [] { return leaveRemote(); }, "EX\r"},
        {"QP", [] { return powerOff(); }, "QP\r"},
        {"batch", [] { return statusRefresh(); }, kBatch},
        {"TB", [] { return bankSizesRead(); }, "TB\rTB\r"},
        {"GA MP", [] { return selectPassFlagsRead(); }, "GA\rMP\r"},
        {"OM", [] { return openingMessageRead(); }, "OM\r"},
        {"VL", [] { return vlRead(); }, "VL\r"},
        {"LB", [] { return lbRead(); }, "LB\r"},
        {"GM BM", [] { return scanGroupsRead(); }, "GM\rBM\r"},
        {"GS BS", [] { return searchGroupsRead(); }, "GS\rBS\r"},
        {"GV", [] { return vfoSearchSettingsRead(); }, "GV\r"},
        {"SS", [] { return searchStart("C"); }, "LC1\rSSC\r"},
        {"VS", [] { return vfoSearchStart(); }, "LC1\rVS\r"},
        {"LC0", [] { return levelReports(LevelReports::Off); }, "LC0\r"},
        {"LC1", [] { return levelReports(LevelReports::On); }, "LC1\r"},
        {"LC2", [] { return levelReports(LevelReports::Bandscope); }, "LC2\r"},
        {"MR start", [] { return memoryReadStart(); }, "LC0\rMR\r" + kBatch + "GA\rMP\r"},
        {"MS", [] { return memoryScanStart(); }, "LC1\rMS\r" + kBatch},
        {"SM", [] { return selectScanStart(); }, "LC1\rSM\r" + kBatch},
        {"GA1", [] { return selectFlag(true); }, "GA1\rGA\r"},
        {"MP0", [] { return passFlag(false); }, "MP0\rMP\r"},
        {"up", [] { return dialKey(DialKey::Up); }, "\x1E\r"},
        {"down", [] { return dialKey(DialKey::Down); }, "\x1F\r"},
        {"left", [] { return dialKey(DialKey::Left); }, "\x1D\r"},
        {"right", [] { return dialKey(DialKey::Right); }, "\x1C\r"},
        {"ST", [] { return stepSet("012500"); }, "ST012500\rRX\r"},
        {"MD digit", [] { return modeSet("7"); }, "MD7\rRX\r"},
        {"MD name", [] { return modeSet("NAM"); }, "MD8\rRX\r"},
        {"MD AM", [] { return modeSet("AM"); }, "MD2\rRX\r"},
        {"MD unknown", [] { return modeSet("FOO"); }, ""},
        {"MD empty", [] { return modeSet(""); }, ""},
        {"VA", [] { return vfoSelect('A'); }, "VA\r" + kBatch},
        {"VB", [] { return vfoSelect('B'); }, "VB\r" + kBatch},
        {"VF", [] { return vfoSelect('S'); }, "VF\r" + kBatch},
        {"V?", [] { return vfoSelect('C'); }, ""},
        {"AF1", [] { return flagSet(Flag::Afc, true); }, "AF1\rAF\r"},
        {"AT0", [] { return flagSet(Flag::Attenuator, false); }, "AT0\rAT\r"},
        {"NL1", [] { return flagSet(Flag::NoiseLimiter, true); }, "NL1\rNL\r"},
        {"AU1", [] { return flagSet(Flag::AutoMode, true); }, "AU1\rRX\r"},
        {"PW", [] { return passFrequencyWrite("145,5", false); }, "PW0145500000\r"},
        {"PW alone", [] { return passFrequencyWrite("", false); }, "PW\r"},
        {"PW invalid", [] { return passFrequencyWrite("0.05", false); }, ""},
        {"MR", [] { return memoryRecall("b07"); }, "MRb07\r" + kBatch + "GA\rMP\r"},
        {"OM1", [] { return openingMessageSet('1', "HELLO"); }, "OM1 HELLO\r"},
        {"OM2", [] { return openingMessageSet('2', ""); }, "OM2\r"},
        {"OM2 text", [] { return openingMessageSet('2', "X"); }, "OM2 X\r"},
        {"OM0 empty", [] { return openingMessageSet('0', ""); }, "OM0 \r"},
        {"VL", [] { return vlSet('3'); }, "VL3\r"},
        {"LB", [] { return lbSet("05"); }, "LB05\r"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.build(), c.expected) << c.name;
    }
}

TEST(Builders, InitialReadoutListsEveryStartQueryInOrder) {
    EXPECT_EQ(initialReadout(),
              "RX\rAF\rNL\rDB\rSB\rXB\rTB\rTB\rGA\rMP\rGM\rBM\rGS\rBS\rOM\rVL\rLB\r");
}

TEST(Builders, StatusRefreshAddsChannelFlagsOnlyInMemoryRecall) {
    CReceiver rx;
    for (int state = 0; state <= 11; ++state) {
        rx.operatingState = state;
        EXPECT_EQ(statusRefreshWithFlags(rx), state == 7 ? kBatch + "GA\rMP\r" : kBatch) << state;
    }
}

TEST(Builders, ControlCharactersNeverReachTheReceiver) {
    EXPECT_EQ(openingMessageSet('1', "HI\rQP\r"), "OM1 HIQP\r");
    EXPECT_EQ(lbSet("0\r5"), "LB05\r");
    EXPECT_EQ(searchStart("A\rQP"), "LC1\rSSAQP\r");
    EXPECT_EQ(stepSet("\n012500"), "ST012500\rRX\r");
    EXPECT_EQ(openingMessageSet('\r', "X"), "");
    EXPECT_EQ(vlSet('\n'), "");
}

TEST(GroupSelect, SetsTheCurrentGroup) {
    CReceiver rx;
    EXPECT_EQ(scanGroupSelect(rx, 4), "GM4\r");
    EXPECT_EQ(rx.currentScanGroup, 4);
    EXPECT_EQ(searchGroupSelect(rx, 9), "GS9\r");
    EXPECT_EQ(rx.currentSearchGroup, 9);
    EXPECT_EQ(scanGroupSelect(rx, 10), "");
    EXPECT_EQ(searchGroupSelect(rx, -1), "");
    EXPECT_EQ(rx.currentScanGroup, 4);
    EXPECT_EQ(rx.currentSearchGroup, 9);
}

TEST(BandscopeStart, SendsTheDelayAndLeavesTheSweepToTheReply) {
    CReceiver rx;
    rx.bandscopeHalted = true;
    EXPECT_EQ(bandscopeStart(rx, 25), "PQ25\rLC2\r");
    EXPECT_FALSE(rx.bandscopeRunning) << "replies ahead of LC2 are still decoded";
    EXPECT_FALSE(rx.bandscopeHalted);
}

TEST(LevelSquelch, WordAndGroupFollowTheOperatingState) {
    struct Case {
        int state;
        const char* expected;
        GroupRecord& (*group)(CReceiver&);
    };
    auto vfoSearch = +[](CReceiver& rx) -> GroupRecord& { return rx.searchGroups[10]; };
    auto search = +[](CReceiver& rx) -> GroupRecord& { return rx.searchGroups[3]; };
    auto scan = +[](CReceiver& rx) -> GroupRecord& { return rx.scanGroups[6]; };
    const Case cases[] = {
        {1, "DB042\r", vfoSearch}, {2, "DB042\r", vfoSearch}, {3, "DB042\r", vfoSearch},
        {4, "SB042\r", search},    {5, "SB042\r", search},    {6, "SB042\r", search},
        {7, "XB042\r", scan},      {8, "XB042\r", scan},      {9, "XB042\r", scan},
        {10, "XB042\r", scan},     {11, "XB042\r", scan},
    };
    for (const Case& c : cases) {
        CReceiver rx;
        rx.currentSearchGroup = 3;
        rx.currentScanGroup = 6;
        rx.operatingState = c.state;
        EXPECT_EQ(levelSquelch(rx, 42), c.expected) << c.state;
        EXPECT_EQ(c.group(rx).field[GroupRecord::kLevelSquelch], "042") << c.state;
        EXPECT_EQ(rx.levelSquelchValue(), 42) << c.state;
    }
}

TEST(LevelSquelch, SendsNothingWithoutAStateOrOutOfRange) {
    CReceiver rx;
    EXPECT_EQ(levelSquelch(rx, 42), "");
    rx.operatingState = 1;
    EXPECT_EQ(levelSquelch(rx, 256), "");
    EXPECT_EQ(levelSquelch(rx, -1), "");
    EXPECT_EQ(levelSquelch(rx, 255), "DB255\r");
    EXPECT_EQ(levelSquelch(rx, 0), "DB000\r");
}

TEST(VfoRestore, SendsTheShownVfoBackWithItsSettings) {
    CReceiver rx;
    rx.vfoFrequency = "145.500000";
    rx.stepText = "012500";
    rx.mode = 1;  // NFM
    rx.autoMode = false;
    rx.attenuator = true;
    rx.noiseLimiter = false;
    rx.afc = true;
    EXPECT_EQ(vfoRestore(rx, false),
              "VF\rRF0145500000\rST012500\rMD1\rAU0\rAT1\rNL0\rAF1\r" + kBatch);
}

TEST(VfoRestore, GivesNothingForAStatusTextOrAnInvalidFrequency) {
    CReceiver rx;
    for (const char* shown : {"+++++++++++ ", " ++ stop ++ ", "----------", "", "2500.0"}) {
        rx.vfoFrequency = shown;
        EXPECT_EQ(vfoRestore(rx, false), "") << shown;
    }
}

}  // namespace
}  // namespace korvex
