// CDbDao against an in-memory table: the query it builds, what each role
// reads as, starting over, appending and the column widths. Read-only slots
// and failed connects are tested on real files (DbDaoFilesTest).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "database/DbDao.h"
#include "tests/database/FakeDatabase.h"
#include "tests/support/TempDir.h"

namespace korvex::db {
namespace {

using test::FakeDatabase;
using test::FakeTable;

// FREQ (number), MODE (text), HEARD (date), FLAG (unsupported), NOTE (text).
FakeTable stations() {
    FakeTable t;
    t.fields = {{"FREQ", kNumeric},
                {"MODE", kText},
                {"HEARD", kDateTime},
                {"FLAG", kBoolean},
                {"NOTE", kText}};
    t.rows = {
        {Value::ofNumber(145.5), Value::ofText("nfm"), Value::ofDate({2024, 3, 7, 14, 5, 0}),
         Value::ofText("T"), Value::ofText("Z\xC3\xBCrich \xE2\x82\xAC")},
        {Value::ofNumber(118.1), Value::null(), Value::null(), Value::null(),
         Value::ofText("  Tower  ")},
    };
    return t;
}

DbSlotConfig slotConfig(const std::string& file, std::array<std::string, kRoleCount> fields) {
    DbSlotConfig config;
    config.slot = 1;
    config.file = file;
    config.type = std::string(kConnectDbase3);
    config.fields = std::move(fields);
    config.readOnly = false;
    config.columnWidths.fill(50);
    return config;
}

struct Attached {
    CDbDao dao;
    FakeDatabase* database = nullptr;  // owned by dao
    std::shared_ptr<FakeTable> table;
    std::optional<DbMessage> message;
    bool connected = false;
};

void attach(Attached& a, const DbSlotConfig& config, FakeTable table, bool readOnly = false) {
    auto database = std::make_unique<FakeDatabase>(readOnly);
    a.database = database.get();
    a.table = database->add("stations.dbf", std::move(table));
    a.connected = a.dao.attach("/nowhere/dbconf.ini", config, std::move(database), a.message);
}

TEST(DbDao, QuerySelectsMappedFieldsInRoleOrderAndReadsEachType) {
    Attached a;
    attach(a, slotConfig("/data/stations.dbf", {"FREQ", "MODE", "", "FLAG", "", "note", "HEARD"}),
           stations());
    ASSERT_TRUE(a.connected);
    EXPECT_FALSE(a.message);
    EXPECT_EQ(a.dao.queryText(), "SELECT FREQ,MODE,FLAG,note,HEARD FROM [stations.dbf]");
    EXPECT_EQ(a.dao.fieldUsed(),
              (std::array{true, true, false, true, false, true, true, false, false}));
    const std::array<int, kRoleCount> types = {kNumeric,  kText,       kRoleUnused,
                                               kBoolean,  kRoleUnused, kText,
                                               kDateTime, kRoleUnused, kRoleUnused};
    EXPECT_EQ(a.dao.fieldTypes(), types);
    EXPECT_EQ(a.dao.recordCount(), 2u);

    RecordTexts texts;
    ASSERT_TRUE(a.dao.readRecord(false, texts));
    // The list holds Windows-1252: "ü" is 0xFC, "€" 0x80.
    EXPECT_EQ(texts, (RecordTexts{"145.500000", "nfm", "", "?!?", "", "Z\xFCrich \x80",
                                  "2024-03-07 14:05", "", ""}));
    ASSERT_TRUE(a.dao.readRecord(true, texts));
    EXPECT_EQ(texts, (RecordTexts{"118.100000", "", "", "", "", "Tower", "", "", ""}));
    EXPECT_FALSE(a.dao.readRecord(true, texts));
    EXPECT_FALSE(a.dao.readRecord(true, texts));
}

TEST(DbDao, ExcelSheetIsTheTable) {
    Attached a;
    DbSlotConfig config = slotConfig("/data/book.xls", {"FREQ"});
    config.type = std::string(kConnectExcel);
    config.sheet = "stations.dbf";  // the fake's only table
    attach(a, config, stations());
    ASSERT_TRUE(a.connected);
    EXPECT_EQ(a.dao.queryText(), "SELECT FREQ FROM [stations.dbf]");
}

TEST(DbDao, FirstReadIsTheFirstRecordAndAReadWithoutAdvanceStartsOver) {
    Attached a;
    attach(a, slotConfig("/d/stations.dbf", {"FREQ"}), stations());
    ASSERT_TRUE(a.connected);
    RecordTexts texts;
    ASSERT_TRUE(a.dao.readRecord(true, texts));  // first read: no move yet
    EXPECT_EQ(texts[0], "145.500000");
    EXPECT_EQ(a.database->queries.size(), 1u);
    ASSERT_TRUE(a.dao.readRecord(true, texts));
    EXPECT_EQ(texts[0], "118.100000");

    // A refill starts from the top and sees records added since.
    a.table->rows.push_back(
        {Value::ofNumber(430), Value::null(), Value::null(), Value::null(), Value::null()});
    ASSERT_TRUE(a.dao.readRecord(false, texts));
    EXPECT_EQ(texts[0], "145.500000");
    EXPECT_EQ(a.database->queries.size(), 2u);
    ASSERT_TRUE(a.dao.readRecord(true, texts));
    ASSERT_TRUE(a.dao.readRecord(true, texts));
    EXPECT_EQ(texts[0], "430.000000");
    EXPECT_FALSE(a.dao.readRecord(true, texts));
}

TEST(DbDao, EmptyTableFailsSilentlyAndAMissingFieldSaysWhy) {
    Attached empty;
    FakeTable none = stations();
    none.rows.clear();
    attach(empty, slotConfig("/d/stations.dbf", {"FREQ"}), none);
    EXPECT_FALSE(empty.connected);
    EXPECT_FALSE(empty.message);
    EXPECT_FALSE(empty.dao.connected());
    RecordTexts texts;
    EXPECT_FALSE(empty.dao.readRecord(false, texts));

    Attached missing;
    attach(missing, slotConfig("/d/stations.dbf", {"FREQ", "MODUS"}), stations());
    EXPECT_FALSE(missing.connected);
    ASSERT_TRUE(missing.message);
    EXPECT_EQ(missing.message->text, "Could not open database.\nCause: No field MODUS.");
    EXPECT_EQ(missing.message->caption, "Open database failed");
    EXPECT_EQ(missing.message->icon, DbMessage::Icon::Error);

    Attached otherTable;
    attach(otherTable, slotConfig("/d/other.dbf", {"FREQ"}), stations());
    EXPECT_FALSE(otherTable.connected);
    ASSERT_TRUE(otherTable.message);
    EXPECT_EQ(otherTable.message->text, "Could not open database.\nCause: No table other.dbf.");
}

TEST(DbDao, AddRecordConvertsEachTypeAndScalesKhz) {
    Attached a;
    DbSlotConfig config = slotConfig("/d/stations.dbf", {"FREQ", "MODE", "HEARD", "NOTE"});
    config.inKhz = true;
    attach(a, config, stations());
    ASSERT_TRUE(a.connected);
    ASSERT_TRUE(a.dao.canWrite());

    EXPECT_FALSE(a.dao.addRecord(
        {"145,525", "NFM", "2024-03-07", " Z\xFCrich ", "", "", "", "", "ignored: role unused"}));
    ASSERT_EQ(a.table->rows.size(), 3u);
    const auto& row = a.table->rows.back();
    EXPECT_EQ(row[0].kind, Value::Kind::Number);
    EXPECT_DOUBLE_EQ(row[0].number, 145525.0);
    EXPECT_EQ(row[1].text, "NFM");
    EXPECT_EQ(row[2].kind, Value::Kind::Date);
    EXPECT_EQ((std::array{row[2].date.year, row[2].date.month, row[2].date.day}),
              (std::array{2024, 3, 7}));
    EXPECT_EQ(row[3].kind, Value::Kind::Null);  // FLAG: not mapped
    EXPECT_EQ(row[4].text, " Z\xC3\xBCrich ");  // as entered, in UTF-8

    // Date forms: a time alone lies on 1899-12-30; any other form stays empty.
    EXPECT_FALSE(a.dao.addRecord({"7025", "", "09:15", "", "", "", "", "", ""}));
    EXPECT_EQ(a.table->rows.back()[2].date.year, 1899);
    EXPECT_EQ(a.table->rows.back()[2].date.hour, 9);
    EXPECT_FALSE(a.dao.addRecord({"7025", "", "2024-3-7", "", "", "", "", "", ""}));
    EXPECT_EQ(a.table->rows.back()[2].kind, Value::Kind::Null);
    EXPECT_EQ(a.table->rows.size(), 5u);
}

TEST(DbDao, AKhzTableWithTextFrequenciesStoresTheEntryInKhz) {
    FakeTable table;
    table.fields = {{"FREQ", kText}, {"MODE", kText}};
    table.rows = {{Value::ofText("7055,5"), Value::ofText("lsb")}};
    Attached a;
    DbSlotConfig config = slotConfig("/d/stations.dbf", {"FREQ", "MODE"});
    config.inKhz = true;
    attach(a, config, table);
    ASSERT_TRUE(a.connected);

    EXPECT_FALSE(a.dao.addRecord({"145,500000", "NFM", "", "", "", "", "", "", ""}));
    EXPECT_EQ(a.table->rows.back()[0].text, "145500");
    EXPECT_FALSE(a.dao.addRecord({"7.0555", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(a.table->rows.back()[0].text, "7055.5");
    EXPECT_FALSE(a.dao.addRecord({"unknown", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(a.table->rows.back()[0].text, "unknown");
    // The list reads the stored text back as the kHz it is.
    EXPECT_EQ(recordText(Value::ofText("145500"), kText, 0, true), "145500.000");

    // Other text roles, and a MHz table's text FREQ, keep what was entered.
    Attached mhz;
    config.inKhz = false;
    attach(mhz, config, table);
    EXPECT_FALSE(mhz.dao.addRecord({"145,5", "nfm", "", "", "", "", "", "", ""}));
    EXPECT_EQ(mhz.table->rows.back()[0].text, "145,5");
    EXPECT_EQ(mhz.table->rows.back()[1].text, "nfm");
}

TEST(DbDao, AddRecordRefusesWhatItCannotStoreAndNamesTheRole) {
    Attached a;
    attach(a, slotConfig("/d/stations.dbf", {"FREQ", "MODE", "HEARD"}), stations());
    ASSERT_TRUE(a.connected);

    auto refused = a.dao.addRecord({"abc", "", "", "", "", "", "", "", ""});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, "Error in field No. 0:\nCause: \"abc\" is no number.");
    EXPECT_EQ(refused->caption, "Write failed");
    EXPECT_EQ(refused->icon, DbMessage::Icon::Error);
    for (const char* notANumber : {"145.5.1", "1,2,3", "nan", "inf", "145.5 MHz", "-"}) {
        EXPECT_TRUE(a.dao.addRecord({notANumber, "", "", "", "", "", "", "", ""})) << notANumber;
    }
    refused = a.dao.addRecord({"145", "", "2024-02-30", "", "", "", "", "", ""});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text,
              "Error in field No. 2:\nCause: \"2024-02-30\" is no valid date or time.");
    EXPECT_EQ(a.table->rows.size(), 2u);

    a.table->refuse = AppendError{1, "Text too long."};
    refused = a.dao.addRecord({"145", "NFMNFMNFM", "", "", "", "", "", "", ""});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, "Error in field No. 1:\nCause: Text too long.");
    EXPECT_EQ(a.table->rows.size(), 2u);
}

TEST(DbDao, ColumnWidthsGoToTheSlotsKeys) {
    korvex::test::TempDir folder;
    const auto ini = folder.file("dbconf.ini");
    ASSERT_TRUE(ensureDbConf(ini));
    Attached a;
    DbSlotConfig config = slotConfig("/d/stations.dbf", {"FREQ"});
    config.slot = 3;
    auto database = std::make_unique<FakeDatabase>();
    database->add("stations.dbf", stations());
    ASSERT_TRUE(a.dao.attach(ini, config, std::move(database), a.message));
    a.dao.columnWidths = {120, 80, 5, 50, 50, 50, 50, 50, 61};
    ASSERT_TRUE(a.dao.saveColumnWidths());
    EXPECT_EQ(readSlotConfig(ini, 3).columnWidths, a.dao.columnWidths);
    EXPECT_EQ(readSlotConfig(ini, 1).columnWidths[0], kDefaultColumnWidth);
}

}  // namespace
}  // namespace korvex::db
