#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ValueDump.h"
#include "database/Engine.h"
#include "tests/database/DataFolder.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvex::db;

using korvex::test::kData;

std::unique_ptr<Database> openXls(const std::filesystem::path& file) {
    std::string error;
    auto db = openDatabase(kConnectExcel, file, false, error);
    EXPECT_TRUE(db) << error;
    return db;
}

std::unique_ptr<RecordSet> run(Database& db, const std::string& sql) {
    std::string error;
    auto records = db.query(sql, error);
    EXPECT_TRUE(records) << sql << ": " << error;
    return records;
}

TEST(ExcelEngineTest, TypesAndValuesOfAWorkbookFromACalc) {
    auto db = openXls(kData / "freqs.xls");
    ASSERT_TRUE(db);
    EXPECT_EQ(db->tableNames(), std::vector<std::string>{"freqs"});
    auto records = run(*db, "SELECT * FROM [FREQS]");
    ASSERT_TRUE(records);
    const auto& fields = records->fields();
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0].name, "FREQ");
    EXPECT_EQ(fields[0].type, kDouble);
    EXPECT_EQ(fields[1].type, kText);
    EXPECT_EQ(fields[2].type, kText);
    EXPECT_EQ(fields[4].name, "HEARD");
    EXPECT_EQ(fields[4].type, kDateTime);
    EXPECT_EQ(records->recordCount(), 20u);
    EXPECT_FALSE(records->canAppend());

    ASSERT_TRUE(records->next());
    EXPECT_EQ(records->value(0).kind, Value::Kind::Number);
    EXPECT_DOUBLE_EQ(records->value(0).number, 118.1);
    EXPECT_EQ(records->value(1).text, "AM");
    const Value heard = records->value(4);
    ASSERT_EQ(heard.kind, Value::Kind::Date);
    EXPECT_EQ(heard.date.year, 2024);
    EXPECT_EQ(heard.date.month, 3);
    EXPECT_EQ(heard.date.day, 15);
    EXPECT_EQ(heard.date.hour, 0);

    // Row 3 has no date; an integer cell (row 13, "10") is a number too.
    std::size_t rows = 1;
    int nullDates = 0;
    std::vector<double> freqs{118.1};
    while (records->next()) {
        ++rows;
        freqs.push_back(records->value(0).number);
        nullDates += records->value(4).kind == Value::Kind::Null ? 1 : 0;
    }
    EXPECT_EQ(rows, 20u);
    EXPECT_GT(nullDates, 5);
    EXPECT_DOUBLE_EQ(freqs[12], 10.0);
    EXPECT_DOUBLE_EQ(freqs[19], 1296.2);
    EXPECT_FALSE(records->next());
    EXPECT_EQ(records->value(0).kind, Value::Kind::Null);  // past the end
}

TEST(ExcelEngineTest, SelectedFieldsInQueryOrderAndUtf8Text) {
    auto db = openXls(kData / "freqs_khz.xls");
    ASSERT_TRUE(db);
    auto records = run(*db, "SELECT descr, FreqKhz FROM [freqs_khz]");
    ASSERT_TRUE(records);
    ASSERT_EQ(records->fields().size(), 2u);
    EXPECT_EQ(records->fields()[0].name, "DESCR");
    EXPECT_EQ(records->fields()[1].type, kDouble);
    ASSERT_TRUE(records->next());
    // The workbook's writer read its Windows-1252 source as UTF-8: the cell
    // holds U+FFFD where "Zürich" had its "ü". It must arrive as that
    // character in UTF-8, not as raw UTF-16 or a dropped byte.
    EXPECT_EQ(records->value(0).text, "Tower Z\xEF\xBF\xBDrich");
    EXPECT_DOUBLE_EQ(records->value(1).number, 118100.0);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(records->next());
    }
    EXPECT_DOUBLE_EQ(records->value(1).number, 145762.5);
}

TEST(ExcelEngineTest, BigSheetAllRows) {
    auto db = openXls(kData / "big.xls");
    ASSERT_TRUE(db);
    auto records = run(*db, "SELECT FREQ,MODE,NAME FROM [big]");
    ASSERT_TRUE(records);
    EXPECT_EQ(records->recordCount(), 20000u);
    std::size_t rows = 0;
    std::string last;
    while (records->next()) {
        ++rows;
        last = records->value(2).text;
    }
    EXPECT_EQ(rows, 20000u);
    EXPECT_EQ(last, "Station 19999");
}

TEST(ExcelEngineTest, RefusesWhatItCannotServe) {
    auto db = openXls(kData / "freqs.xls");
    ASSERT_TRUE(db);
    std::string error;
    EXPECT_FALSE(db->query("SELECT * FROM [nosuchsheet]", error));
    EXPECT_NE(error.find("nosuchsheet"), std::string::npos);
    error.clear();
    EXPECT_FALSE(db->query("SELECT FREQ, CALLSIGN FROM [freqs]", error));
    EXPECT_NE(error.find("CALLSIGN"), std::string::npos);
    error.clear();
    EXPECT_FALSE(db->query("SELECT * FROM freqs", error));
    EXPECT_FALSE(error.empty());

    auto records = run(*db, "SELECT * FROM [freqs]");
    ASSERT_TRUE(records);
    const auto refused = records->append({Value::ofNumber(1.0)});
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->message.find("read only"), std::string::npos);
}

TEST(ExcelEngineTest, FilesThatAreNoWorkbookGiveAnError) {
    korvex::test::TempDir folder;
    const auto full = korvex::test::readBytes(kData / "freqs.xls");
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty.xls", ""},
        {"text.xls", "FREQ,MODE\n1,AM\n"},
        {"half.xls", full.substr(0, full.size() / 2)},
        {"header.xls", full.substr(0, 512)},
    };
    for (const Case& c : cases) {
        korvex::test::writeBytes(folder.file(c.name), c.bytes);
        std::string error;
        auto db = openDatabase(kConnectExcel, folder.file(c.name), true, error);
        if (db) {
            // A truncated file may still open; its sheets then read or fail
            // cleanly.
            for (const auto& sheet : db->tableNames()) {
                auto records = db->query("SELECT * FROM [" + sheet + "]", error);
                while (records && records->next()) {
                }
            }
        } else {
            EXPECT_FALSE(error.empty()) << c.name;
        }
    }
    std::string error;
    EXPECT_FALSE(openDatabase(kConnectExcel, folder.file("missing.xls"), true, error));
    EXPECT_NE(error.find("missing.xls"), std::string::npos);
}

// Found by fuzzing: a string record whose length makes the workbook library
// read far past its own buffer (AddressSanitizer stops the reading child).
// The child is all it can harm: the engine reports the file as damaged, or,
// where the child survived, serves what it read; the program goes on.
TEST(ExcelEngineTest, AWorkbookThatMakesTheLibraryOverreadHarmsOnlyTheReadingChild) {
    std::string error;
    auto db = openDatabase(kConnectExcel, kData / "overread.xls", true, error);
    if (!db) {
        EXPECT_NE(error.find("cannot be read: it is damaged"), std::string::npos) << error;
        return;
    }
    for (const auto& sheet : db->tableNames()) {
        auto records = db->query("SELECT * FROM [" + sheet + "]", error);
        while (records && records->next()) {
        }
    }
}

}  // namespace

namespace {

using korvex::test::dumpRecords;
using korvex::test::fieldTypes;

TEST(ExcelEngineTest, GuessesTypesFromTheFirstEightDataRows) {
    auto db = openXls(kData / "typed.xls");
    ASSERT_TRUE(db);
    EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"Types",
                                                          "\xC3\x9C"
                                                          "bersicht 2",
                                                          "Empty"}));
    auto records = run(*db, "SELECT * FROM [types]");
    ASSERT_TRUE(records);
    std::vector<std::string> names;
    for (const Field& f : records->fields()) {
        names.push_back(f.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"NUM", "WHEN", "MIXED", "F4", "LATE", "TEXTNUM"}));
    // LATE has its only value after the eighth row; TEXTNUM holds digits as
    // text cells.
    EXPECT_EQ(fieldTypes(*records),
              (std::vector<int>{kDouble, kDateTime, kText, kText, kText, kText}));
    // Formatted but empty rows at the end are no records; the empty row
    // between records is one.
    EXPECT_EQ(records->recordCount(), 11u);
    const auto rows = dumpRecords(*records);
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "#1|@2024-03-15 00:00:00|7|a|-|1",
                        "#2.5|@2024-03-15 10:30:00|text|b|-|2",
                        "-|@1899-12-30 14:05:00|145.5|-|-|-",
                        "#-3|-|2024-03-15|d|-|-",
                        "-|-|-|-|-|-",
                        "#1000000|-|2024-03-15 10:30:00|f|-|-",
                        "#0.1|-|-|-|-|-",
                        "#8|-|-|-|-|-",
                        "#123.5|@2024-01-02 00:00:00|-|-|42|-",
                        "-|!junk|-|-|-|-",
                        "-|@2023-03-15 06:00:00|-|-|-|-",
                    }));
}

TEST(ExcelEngineTest, OtherSheetsByName) {
    auto db = openXls(kData / "typed.xls");
    ASSERT_TRUE(db);
    auto second = run(*db,
                      "SELECT 2024, stra\xC3\x9F"
                      "e FROM [\xC3\x9C"
                      "bersicht 2]");
    ASSERT_TRUE(second);
    EXPECT_EQ(fieldTypes(*second), (std::vector<int>{kDouble, kText}));
    EXPECT_EQ(dumpRecords(*second), std::vector<std::string>{"#1|K\xC3\xB6ln \xE2\x82\xAC"});
    auto empty = run(*db, "SELECT * FROM [EMPTY]");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->fields().empty());
    EXPECT_EQ(empty->recordCount(), 0u);
    EXPECT_FALSE(empty->next());
}

}  // namespace
