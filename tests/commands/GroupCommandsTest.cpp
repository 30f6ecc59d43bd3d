#include "link/GroupCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/OptionCommands.h"

namespace korvex {
namespace {

// Links A and a of a scan group.
const std::string kAandA = "A---------a---------";

TEST(LinkChangeMask, NamesEachBankWhoseLinkChanged) {
    std::string linkC = kAandA;
    linkC[12] = 'c';
    EXPECT_EQ(linkChangeMask(kScanLinkOrder, kAandA, linkC),
              std::string(12, '-') + "c" + "-------");
    std::string unlinkA = kAandA;
    unlinkA[0] = '-';
    EXPECT_EQ(linkChangeMask(kScanLinkOrder, kAandA, unlinkA), "A" + std::string(19, '-'));
    EXPECT_EQ(linkChangeMask(kScanLinkOrder, kAandA, kAandA), std::string(20, '-'));
    // A group never read (empty or marked empty) counts as linking nothing.
    EXPECT_EQ(linkChangeMask(kSearchLinkOrder, "", "\xB0\xB0\xB0"), std::string(40, '-'));
    EXPECT_EQ(linkChangeMask(kSearchLinkOrder, "", "-B"), "-B" + std::string(38, '-'));
}

TEST(InsertPosition, KeepsCharacterOrderWithUpperCaseFirst) {
    const std::vector<std::string> list = {"B", "J", "a", "d"};
    const auto first = [](const std::string& s) { return s.front(); };
    EXPECT_EQ(insertPosition(list, 'A', first), 0u);
    EXPECT_EQ(insertPosition(list, 'C', first), 1u);
    EXPECT_EQ(insertPosition(list, 'b', first), 3u);
    EXPECT_EQ(insertPosition(list, 'j', first), 4u);
    EXPECT_EQ(insertPosition(std::vector<std::string>{}, 'c', first), 0u);
}

TEST(GroupFields, ReadAsTheSlidersTakeThem) {
    EXPECT_EQ(groupNumber("025", 0, 255), 25);
    EXPECT_EQ(groupNumber("300", 0, 255), 255);
    EXPECT_EQ(groupNumber("\xB0\xB0\xB0", 0, 255), 0);
    EXPECT_EQ(groupNumber("", 0, 99), 0);
    EXPECT_EQ(scanModePosition("0"), 0);
    EXPECT_EQ(scanModePosition("8"), 8);
    EXPECT_EQ(scanModePosition("9"), 9);
    EXPECT_EQ(scanModePosition("F"), 9);
    EXPECT_EQ(scanModePosition(""), 0);
}

TEST(ScanGroupSettingsText, SetsEveryValueThenReadsTheGroupBack) {
    GroupSettings s{7, 120, 25, 5, 1, kAandA};
    s.links[12] = 'c';
    EXPECT_EQ(scanGroupSettingsText(s, kAandA),
              "XA007\rXB120\rXD25\rXP05\rXM1\rBM ------------c-------\rGM\rBM\r");
    s.option = 9;
    s.links = kAandA;
    EXPECT_EQ(scanGroupSettingsText(s, kAandA),
              "XA007\rXB120\rXD25\rXP05\rXMF\rBM --------------------\rGM\rBM\r");
}

TEST(SearchGroupSettingsText, UsesTheSearchWordsOrTheVfoSearchWords) {
    GroupSettings s{255, 0, 99, 60, 2, "-B" + std::string(38, '-')};
    EXPECT_EQ(searchGroupSettingsText(3, s, std::string(40, '-')),
              "SA255\rSB000\rSD99\rSP60\rBS -B--------------------------------------\r"
              "AS2\rGS\rBS\r");
    EXPECT_EQ(searchGroupSettingsText(kVfoSearchGroup, s, std::string(40, '-')),
              "DA255\rDB000\rDD99\rDP60\rVT2\rGV\r");
}

TEST(SearchBankWrite, MarksALowerLimitOffTheStepGrid) {
    EXPECT_TRUE(needsStepOffset(145012500, 25000));
    EXPECT_FALSE(needsStepOffset(145000000, 25000));
    EXPECT_TRUE(needsStepOffset(145000000, 8330));
    EXPECT_FALSE(needsStepOffset(145000000, 0));

    SearchBankSettings b{'c',      "0145012500", "0146000000", false,    true,
                         "025000", '1',          true,         "Airband"};
    EXPECT_EQ(searchBankWrite(b),
              "SEc SL0145012500 SU0146000000 AU0 ST+025000 MD1 AT1 TTAirband\r");
    b.stepOffset = false;
    b.lowerDigits = "0145000000";
    EXPECT_EQ(searchBankWrite(b), "SEc SL0145000000 SU0146000000 AU0 ST025000 MD1 AT1 TTAirband\r");
    b.autoMode = true;
    b.attenuator = false;
    b.name = "Air\rQP\nx";
    EXPECT_EQ(searchBankWrite(b), "SEc SL0145000000 SU0146000000 AU1 AT0 TTAirQPx\r");
}

TEST(OpeningLines, SplitFromTheLeftAndJoinPadded) {
    const OpeningLines lines = splitOpeningMessage("HELLO WORLD!SECOND");
    EXPECT_EQ(lines[0], "HELLO WORLD!");
    EXPECT_EQ(lines[1], "SECOND");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(joinOpeningLines(lines), "HELLO WORLD!SECOND" + std::string(30, ' '));
    EXPECT_EQ(joinOpeningLines({"A", "", "", "B"}).size(), 48u);
    EXPECT_EQ(openingChoiceOf('2'), kUserMessage);
    EXPECT_EQ(openingChoiceOf('\xFF'), kStandardMessage);
}

class CollectOptions : public ::testing::Test {
protected:
    ReceiverOptions opening{kUserMessage, joinOpeningLines({"KORVEX"}), "12", "3"};
    ReceiverOptions now = opening;
};

TEST_F(CollectOptions, NothingChangedGivesNothing) {
    const OptionCommands out = collectOptionCommands(opening, now, false);
    EXPECT_EQ(out.refusal, OptionRefusal::None);
    EXPECT_EQ(out.commands, "");
}

TEST_F(CollectOptions, ChangesAreCollectedInOrder) {
    now.choice = kNoMessage;
    now.contrast = "5";
    now.volume = "9";
    EXPECT_EQ(collectOptionCommands(opening, now, false).commands,
              "OM1 KORVEX" + std::string(42, ' ') + "\rOM\rLB05\rLB\rVL9\rVL\r");
}

TEST_F(CollectOptions, ContrastMustBeANumberUpTo31) {
    for (const char* good : {"0", "07", "31"}) {
        now.contrast = good;
        EXPECT_EQ(collectOptionCommands(opening, now, false).refusal, OptionRefusal::None) << good;
    }
    for (const char* bad : {"32", "99", "a", "1a", "", "-1"}) {
        now.contrast = bad;
        EXPECT_EQ(collectOptionCommands(opening, now, false).refusal, OptionRefusal::Contrast)
            << bad;
    }
}

TEST_F(CollectOptions, ARefusalSendsNothingCollectedBefore) {
    now.message = joinOpeningLines({"CHANGED"});
    now.contrast = "32";
    const OptionCommands out = collectOptionCommands(opening, now, false);
    EXPECT_EQ(out.refusal, OptionRefusal::Contrast);
    EXPECT_EQ(out.commands, "");
    now.contrast = opening.contrast;
    now.volume = "a";
    EXPECT_EQ(collectOptionCommands(opening, now, false).refusal, OptionRefusal::Volume);
    now.volume = "";
    EXPECT_EQ(collectOptionCommands(opening, now, false).refusal, OptionRefusal::Volume);
}

TEST_F(CollectOptions, AnUnknownMessageIsSentEmptyUnlessTheUserMessageWasChosen) {
    opening = {kStandardMessage, joinOpeningLines(splitOpeningMessage("unknown")), "xx", "x"};
    now = opening;
    now.choice = kNoMessage;
    EXPECT_EQ(collectOptionCommands(opening, now, true).commands, "OM1 \rOM\r");
    now.choice = kUserMessage;
    now.message = joinOpeningLines({});
    EXPECT_EQ(collectOptionCommands(opening, now, true).commands, "OM2\rOM\r");
}

}  // namespace
}  // namespace korvex
