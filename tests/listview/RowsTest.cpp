#include <gtest/gtest.h>

#include "ui/ZelViewRows.h"

namespace korvex {
namespace {

const std::string kEmpty(EMPTY_FIELD);

ListRow row(std::string c0, std::string c1, std::string c5 = {}) {
    ListRow r{};
    r[0] = std::move(c0);
    r[1] = std::move(c1);
    r[5] = std::move(c5);
    return r;
}

struct KindCase {
    const char* name;
    ListRow row;
    RowFacts facts;
};

TEST(RowKinds, DecidedFromTheFirstColumns) {
    auto f = [](auto setter) {
        RowFacts facts;
        setter(facts);
        return facts;
    };
    const KindCase cases[] = {
        {"used channel", row("A05", "0"),
         f([](RowFacts& x) { x.memoryChannel = x.usedMemoryChannel = true; })},
        {"empty slot", row("j49", kEmpty), f([](RowFacts& x) { x.memoryChannel = true; })},
        {"bank letter beyond j", row("k05", "0"), {}},
        {"channel with a letter digit", row("A0x", "0"), {}},
        {"search bank", row("C", "0145.000000"), f([](RowFacts& x) { x.searchBank = true; })},
        {"empty search bank", row("C", kEmpty), f([](RowFacts& x) { x.emptySearchBank = true; })},
        {"select-scan entry", row("03", "A05"), f([](RowFacts& x) { x.selectScanEntry = true; })},
        {"select-scan end marker", row("04", kEmpty), {}},
        {"pass frequency", row("PRA03", "0145.500000"),
         f([](RowFacts& x) { x.passFrequency = true; })},
        {"free pass entry", row("PRA04", kEmpty), {}},
        {"log entry", row("2026-12-08", "12:00:01", "-"),
         f([](RowFacts& x) { x.logEntry = true; })},
        {"log entry with audio", row("2026-12-08", "12:00:01", "0812120001.wav"),
         f([](RowFacts& x) { x.logEntry = x.logEntryWithAudio = true; })},
        {"log entry, audio marked empty", row("2026-12-08", "12:00:01", kEmpty),
         f([](RowFacts& x) { x.logEntry = true; })},
        {"database record", row("145.500", "NFM"), f([](RowFacts& x) { x.databaseRecord = true; })},
        {"database record with comma", row("145,50", "NFM"),
         f([](RowFacts& x) { x.databaseRecord = true; })},
        // Five characters make a pass frequency as well: the kinds are not exclusive.
        {"five-character frequency", row("145,5", "NFM"),
         f([](RowFacts& x) { x.databaseRecord = x.passFrequency = true; })},
        {"two digits are no database record", row("14", kEmpty), {}},
        {"nothing at all", row("", ""), {}},
        {"a cell without a first byte", row("C", ""), {}},
    };
    for (const KindCase& c : cases) {
        EXPECT_EQ(classifyRow(c.row), c.facts) << c.name;
    }
}

TEST(RowContents, ChannelFieldsUnchangedAndPassOwner) {
    std::list<ChannelRecord> records{ChannelRecord::emptySlot("A01")};
    const ListRows rows = rowsFromChannels(records);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "A01");
    for (std::size_t c = 1; c < 8; ++c) {
        EXPECT_EQ(rows[0][c], kEmpty);
    }
    EXPECT_EQ(rows[0][8], "");

    PassFrequencyRecord vfo;
    vfo[0] = "PRV00";
    vfo[1] = "0145.500000";
    PassFrequencyRecord bank;
    bank[0] = "PRC07";
    bank[1] = kEmpty;
    const ListRows pass = rowsFromPassFrequencies({vfo, bank});
    EXPECT_EQ(pass[0][2], "- VFO -");
    EXPECT_EQ(pass[1][2], "SEARCH BANK - C -");
    EXPECT_EQ(passOwnerText("P"), "SEARCH BANK -  -");
}

struct FindCase {
    const char* text;
    int start;
    bool matchCase;
    bool wholeWord;
    int expected;
};

TEST(Find, MatchCaseAndWholeWord) {
    ListRows rows(4);
    rows[0][7] = "Tower";
    rows[1][7] = "tower, ground";
    rows[2][3] = "towers";
    rows[3][8] = "ATC;tower";
    const FindCase cases[] = {
        {"tower", 0, false, false, 0},  {"tower", 0, true, false, 1},
        {"TOWER", 0, true, false, -1},  {"tower", 2, false, false, 2},
        {"tower", 2, false, true, 3},   {"ground", 0, false, true, 1},
        {"ower", 0, false, true, -1},   {"atc", 0, false, true, 3},
        {"atc", 0, true, true, -1},     {"tower", 4, false, false, -1},
        {"tower", -3, false, false, 0}, {"nothing", 0, false, false, -1},
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(findRow(rows, c.text, c.start, c.matchCase, c.wholeWord), c.expected)
            << c.text << " from " << c.start << " case " << c.matchCase << " word " << c.wholeWord;
    }
}

TEST(Find, WholeWordTestsOnlyTheFirstOccurrence) {
    // "ab" first occurs inside "xab", so the later free-standing "ab" does not count.
    EXPECT_FALSE(cellMatches("xab ab", "ab", false, true));
    EXPECT_TRUE(cellMatches("ab.x", "ab", false, true));
    EXPECT_TRUE(cellMatches("x\tab\n", "ab", false, true));
}

TEST(Sorting, CaseInsensitiveTextStable) {
    ListRows rows(4);
    rows[0][7] = "beta";
    rows[1][7] = "Alpha";
    rows[2][7] = "alpha";
    rows[3][7] = kEmpty;
    const auto order = sortOrder(rows, 7, false);
    EXPECT_EQ(order, (std::vector<std::size_t>{1, 2, 0, 3}));
}

TEST(Sorting, LeadingIntegerOrdersDatabaseFrequencies) {
    ListRows rows(4);
    rows[0][0] = "145.9";
    rows[1][0] = "100.0";
    rows[2][0] = "145.125";
    rows[3][0] = "99.5";
    EXPECT_EQ(sortOrder(rows, 0, true), (std::vector<std::size_t>{3, 1, 0, 2}));
    // As text, 100.0 would come first and 99.5 last.
    EXPECT_EQ(sortOrder(rows, 0, false), (std::vector<std::size_t>{1, 2, 0, 3}));
    EXPECT_EQ(leadingInteger("abc"), 0);
    EXPECT_EQ(leadingInteger("99999999999999999999"), 999999999999999999);
}

struct RememberCase {
    int row;
    int count;
    int newCount;
    std::optional<int> expected;
};

TEST(RememberedSelection, RestoredWhenAtMostOneRowWent) {
    const RememberCase cases[] = {
        {5, 50, 50, 5}, {5, 50, 49, 4},
        {0, 50, 49, 0}, {5, 50, 48, std::nullopt},
        {5, 50, 60, 5}, {-1, 50, 50, std::nullopt},
        {4, 5, 4, 3},   {9, 10, 3, std::nullopt},
    };
    for (const RememberCase& c : cases) {
        RememberedSelection s;
        s.remember(c.row, c.count);
        EXPECT_EQ(s.takeFor(c.newCount), c.expected)
            << c.row << "/" << c.count << "->" << c.newCount;
        EXPECT_FALSE(s.active());
        EXPECT_EQ(s.takeFor(c.newCount), std::nullopt);
    }
}

}  // namespace
}  // namespace korvex
