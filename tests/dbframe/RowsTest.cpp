// The DATABASE list's rows and columns: the fill with its progress, the
// slots' rows while none is active, and widths back to 8-point pixels.
#include <gtest/gtest.h>

#include "database/DatabaseSlots.h"
#include "tests/dbframe/DbFrameFixture.h"
#include "ui/DatabaseRows.h"

namespace korvex::test {
namespace {

class RecordingWatcher : public FillWatcher {
public:
    void start(std::size_t r) override {
        range = r;
        ++starts;
    }
    void position(std::size_t rows) override { positions.push_back(rows); }
    void finish() override { ++finishes; }

    std::size_t range = 0;
    int starts = 0;
    int finishes = 0;
    std::vector<std::size_t> positions;
};

class NoQuestions : public db::SlotHost {
public:
    bool confirm(const std::string&, const std::string&) override { return true; }
    void tell(const db::DbMessage& m) override { ADD_FAILURE() << m.text; }
};

class DatabaseRows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.dir().empty());
        db::ensureDbConf(folder.ini());
        dbSlots.setIniPath(folder.ini());
    }

    DbFolder folder;
    NoQuestions host;
    db::DatabaseSlots dbSlots{host};
};

TEST_F(DatabaseRows, ABigTableFillsFifteenThousandRowsWithProgressEveryHundred) {
    folder.configure(1, folder.copy("big.dbf"), "dBASE III;", kFreqFields);
    ASSERT_TRUE(dbSlots.connectSlot(1));
    db::CDbDao& dao = *dbSlots.rewoundActive();
    RecordingWatcher watcher;
    const ListRows rows = readDatabaseRows(dao, watcher, 15000);
    ASSERT_EQ(rows.size(), 15000u);
    EXPECT_EQ(watcher.range, 20000u);
    EXPECT_EQ(watcher.starts, 1);
    EXPECT_EQ(watcher.finishes, 1);
    ASSERT_EQ(watcher.positions.size(), 150u);
    EXPECT_EQ(watcher.positions.front(), 100u);
    EXPECT_EQ(watcher.positions.back(), 15000u);
    // Every row is a record of the table: a frequency first, the rest mapped.
    for (const std::size_t i : {std::size_t{0}, std::size_t{7499}, std::size_t{14999}}) {
        EXPECT_NE(rows[i][0].find('.'), std::string::npos) << i;
        EXPECT_FALSE(rows[i][2].empty()) << i;
        EXPECT_TRUE(rows[i][3].empty()) << i;
    }
    EXPECT_NE(rows[0][0], rows[1][0]);
}

TEST_F(DatabaseRows, ASmallTableIsReadWholeFromItsFirstRecord) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    ASSERT_TRUE(dbSlots.connectSlot(1));
    RecordingWatcher watcher;
    const ListRows rows = readDatabaseRows(*dbSlots.rewoundActive(), watcher, 15000);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0][0], "118.100000");
    EXPECT_EQ(rows[0][1], "AM");
    EXPECT_EQ(rows[0][2], "Tower");
    EXPECT_TRUE(watcher.positions.empty());
    // The same again after a refill's rewind.
    const ListRows again = readDatabaseRows(*dbSlots.rewoundActive(), watcher, 15000);
    EXPECT_EQ(again, rows);
}

TEST_F(DatabaseRows, TheLayoutTakesTheMappedNamesAndStoredWidths) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", {"FREQ", "MODE", "", "NAME"});
    std::string text = folder.read(folder.ini());
    text.replace(text.find("cw0="), 4, "cw0=120");
    text.replace(text.find("cw3="), 4, "cw3=2");
    std::ofstream(folder.ini(), std::ios::binary | std::ios::trunc) << text;
    ASSERT_TRUE(dbSlots.connectSlot(1));
    const ListLayout layout = databaseLayout(*dbSlots.activeDb());
    EXPECT_EQ(layout[0], (ListColumn{"FREQ", 120}));
    EXPECT_EQ(layout[1], (ListColumn{"MODE", 50}));
    EXPECT_EQ(layout[2], (ListColumn{"", 50}));
    EXPECT_EQ(layout[3], (ListColumn{"NAME", 5}));
}

TEST_F(DatabaseRows, WithoutAnActiveDatabaseTheRowsShowTheSlots) {
    folder.configure(2, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    folder.configure(3, folder.copy("pyfreqs.dbf"), "dBASE III;", kFreqFields);
    ASSERT_TRUE(dbSlots.connectSlot(3));
    ASSERT_TRUE(dbSlots.connectSlot(2));
    ASSERT_TRUE(dbSlots.connectSlot(2));  // DB2 disconnected, DB3 connected but not active
    ASSERT_EQ(dbSlots.activeDb(), nullptr);
    const ListRows rows = slotStatusRows(dbSlots);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1], "1");
    EXPECT_EQ(rows[0][2], "(not configured)");
    EXPECT_EQ(rows[1][2], "freqs.dbf");
    EXPECT_EQ(rows[1][3], "not connected");
    EXPECT_EQ(rows[2][2], "pyfreqs.dbf");
    EXPECT_EQ(rows[2][3], "connected");
    // None of them is a record that Tune or Jump could use.
    for (const ListRow& row : rows) {
        EXPECT_TRUE(row[0].empty());
    }
}

TEST(DatabaseWidths, ShownWidthsGoBackToEightPointPixels) {
    const std::array<int, 9> shown = {150, 75, 8, 3, 0, 151, 149, 50, 7};
    const std::array<int, 9> expected = {100, 50, 5, 5, 5, 101, 99, 33, 5};
    EXPECT_EQ(unscaledWidths(shown, 1.5), expected);
    const std::array<int, 9> same = {150, 75, 8, 5, 5, 151, 149, 50, 7};
    EXPECT_EQ(unscaledWidths(shown, 1.0), same);
}

}  // namespace
}  // namespace korvex::test
