#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ValueDump.h"
#include "database/CsvFile.h"
#include "database/Engine.h"
#include "tests/database/DataFolder.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvex::db;
using korvex::test::readBytes;
using korvex::test::TempDir;
using korvex::test::writeBytes;

using korvex::test::kData;

class TextEngineTest : public ::testing::Test {
protected:
    // Writes a table into the folder and runs "SELECT * FROM" on it.
    std::unique_ptr<RecordSet> table(const std::string& name, std::string_view bytes,
                                     bool readOnly = false) {
        writeBytes(folder.file(name), bytes);
        return query("SELECT * FROM [" + name + "]", readOnly);
    }

    std::unique_ptr<RecordSet> query(const std::string& sql, bool readOnly = false) {
        std::string error;
        db = openDatabase(kConnectText, folder.folder(), readOnly, error);
        EXPECT_TRUE(db) << error;
        if (!db) {
            return nullptr;
        }
        auto records = db->query(sql, error);
        EXPECT_TRUE(records) << sql << ": " << error;
        return records;
    }

    static std::vector<std::string> dump(RecordSet& records) {
        return korvex::test::dumpRecords(records);
    }
    static std::vector<int> types(const RecordSet& records) {
        return korvex::test::fieldTypes(records);
    }

    TempDir folder;
    std::unique_ptr<Database> db;
};

TEST_F(TextEngineTest, ReadsTheCsvModulesFile) {
    std::filesystem::copy_file(kData / "freqs.csv", folder.file("freqs.csv"));
    writeBytes(folder.file("notes.txt"), "a,b\n1,2\n");
    auto records = query("select freq, Heard, NAME from [FREQS.CSV]");
    ASSERT_TRUE(records);
    EXPECT_EQ(db->tableNames(), std::vector<std::string>{"freqs.csv"});
    EXPECT_EQ(types(*records), (std::vector<int>{kDouble, kDateTime, kText}));
    EXPECT_EQ(records->fields()[1].name, "HEARD");
    EXPECT_EQ(records->recordCount(), 20u);
    const auto rows = dump(*records);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0], "#118.1|@2024-03-15 00:00:00|Tower");
    EXPECT_EQ(rows[2], "#124.85|-|Approach");
}

TEST_F(TextEngineTest, SeparatorQuotesLineBreaksAndEncodings) {
    // Semicolons outnumber the comma inside the quoted header name.
    auto semi = table("semi.csv",
                      "FREQ;\"NAME, LONG\";NOTE\r\n"
                      "145.5;\"Tower; \"\"east\"\"\";\"two\r\nlines\"\r\n"
                      "\r\n"
                      ";;\r\n"
                      "7.055;SSB;\r\n");
    ASSERT_TRUE(semi);
    EXPECT_EQ(semi->fields()[1].name, "NAME, LONG");
    EXPECT_EQ(dump(*semi), (std::vector<std::string>{
                               "#145.5|Tower; \"east\"|two\r\nlines",
                               "#7.055|SSB|-",
                           }));

    // A byte-order mark is no part of the first name; the text is UTF-8.
    auto bom = table("bom.csv", "\xEF\xBB\xBFNAME,CITY\nA,Z\xC3\xBCrich\n");
    ASSERT_TRUE(bom);
    EXPECT_EQ(bom->fields()[0].name, "NAME");
    EXPECT_EQ(dump(*bom), std::vector<std::string>{"A|Z\xC3\xBCrich"});

    // Bytes that are no UTF-8 are Windows-1252.
    auto cp = table("cp.csv", "NAME,PRICE\nZ\xFCrich \x80,3\n");
    ASSERT_TRUE(cp);
    EXPECT_EQ(dump(*cp), std::vector<std::string>{"Z\xC3\xBCrich \xE2\x82\xAC|#3"});

    // Unnamed columns are named by position; short records read as null.
    auto unnamed = table("unnamed.csv", "A,,C\n1\n");
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->fields()[1].name, "F2");
    EXPECT_EQ(dump(*unnamed), std::vector<std::string>{"#1|-|-"});
}

TEST_F(TextEngineTest, TypesFromTheFirstEightValues) {
    std::string csv = "N,D,T,LATE,EMPTY\n";
    // Eight values decide; blanks do not count.
    csv += "1,2024-01-02,1,5,\n";
    csv += ",,,5,\n";
    csv += "-2.5e3,2024-01-02 10:30,x,5,\n";
    for (int i = 0; i < 6; ++i) {
        csv += "+.5,2024-02-29 10:30:15,2,5,\n";
    }
    csv += "abc,2023-02-29,3,late text,\n";
    auto records = table("types.csv", csv);
    ASSERT_TRUE(records);
    EXPECT_EQ(types(*records), (std::vector<int>{kDouble, kDateTime, kText, kDouble, kText}));
    const auto rows = dump(*records);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0], "#1|@2024-01-02 00:00:00|1|#5|-");
    EXPECT_EQ(rows[2], "#-2500|@2024-01-02 10:30:00|x|#5|-");
    EXPECT_EQ(rows[3], "#0.5|@2024-02-29 10:30:15|2|#5|-");
    // Past the guessed rows: a bad number is null, a bad date is kept as one.
    EXPECT_EQ(rows[9], "-|!2023-02-29|3|-|-");

    for (const char* notNumber : {"1,5", "0x10", "inf", "nan", "1e", ".", "1.2.3", "- 1"}) {
        auto t = table("n.csv", std::string("V\n\"") + notNumber + "\"\n");
        ASSERT_TRUE(t);
        EXPECT_EQ(t->fields()[0].type, kText) << notNumber;
    }
    for (const char* notDate : {"2024-13-01", "2024-1-02", "2024-01-02T10:00", "2024-01-02 24:00",
                                "10:30", "2024-01-02 10:60"}) {
        auto t = table("d.csv", std::string("V\n") + notDate + "\n");
        ASSERT_TRUE(t);
        EXPECT_EQ(t->fields()[0].type, kText) << notDate;
    }
}

TEST_F(TextEngineTest, TablesAndErrors) {
    writeBytes(folder.file("b.csv"), "X\n1\n");
    writeBytes(folder.file("A.CSV"), "X\n1\n");
    writeBytes(folder.file(".hidden.csv"), "X\n1\n");
    writeBytes(folder.file("empty.csv"), "");
    std::filesystem::create_directory(folder.file("dir.csv"));
    auto records = query("SELECT * FROM [a.csv]");
    ASSERT_TRUE(records);
    EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"A.CSV", "b.csv", "empty.csv"}));
    std::string error;
    EXPECT_FALSE(db->query("SELECT * FROM [c.csv]", error));
    EXPECT_NE(error.find("c.csv"), std::string::npos);
    EXPECT_FALSE(db->query("SELECT Y FROM [b.csv]", error));
    EXPECT_NE(error.find("\"Y\""), std::string::npos);
    auto empty = db->query("SELECT * FROM [empty.csv]", error);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->fields().empty());
    EXPECT_FALSE(empty->next());

    EXPECT_FALSE(openDatabase(kConnectText, folder.file("nowhere"), false, error));
    EXPECT_FALSE(error.empty());
    // The file itself opens as a database with that one table.
    auto single = openDatabase(kConnectText, folder.file("b.csv"), false, error);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->tableNames(), std::vector<std::string>{"b.csv"});
}

// Names are found without regard to case, yet Linux lets two files, and a
// CSV header two fields, differ only in case: the exact name is the one meant.
TEST_F(TextEngineTest, ExactNameWinsOverOneDifferingInCase) {
    writeBytes(folder.file("A.CSV"), "X\nupper\n");
    writeBytes(folder.file("a.csv"), "X\nlower\n");
    auto lower = query("SELECT * FROM [a.csv]");
    ASSERT_TRUE(lower);
    EXPECT_EQ(dump(*lower), std::vector<std::string>{"lower"});
    auto upper = query("SELECT * FROM [A.CSV]");
    ASSERT_TRUE(upper);
    EXPECT_EQ(dump(*upper), std::vector<std::string>{"upper"});

    auto fields = table("names.csv", "Name,NAME,freq\nfirst,second,1\n");
    ASSERT_TRUE(fields);
    auto records = query("SELECT NAME,Name,FREQ FROM [names.csv]");
    ASSERT_TRUE(records);
    EXPECT_EQ(dump(*records), std::vector<std::string>{"second|first|#1"});
}

TEST_F(TextEngineTest, AppendKeepsTheFilesStyle) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;  // the bytes appended
    };
    const std::vector<Case> cases = {
        {"lf.csv", "FREQ,NAME,HEARD\n1,a,2024-01-01",
         "\n145.5,\"x, \"\"y\"\"\",2024-05-06 07:08\n"},
        {"crlf.csv", "FREQ;NAME;HEARD\r\n1;a;2024-01-01\r\n",
         "145.5;\"x, \"\"y\"\"\";2024-05-06 07:08\r\n"},
        {"bom.csv",
         "\xEF\xBB\xBF"
         "FREQ,NAME,HEARD\n1,\xC3\xBC,\n",
         "145.5,\"x, \"\"y\"\"\",2024-05-06 07:08\n"},
    };
    for (const Case& c : cases) {
        auto records = table(c.name, c.before);
        ASSERT_TRUE(records);
        ASSERT_TRUE(records->canAppend());
        DateTime when{2024, 5, 6, 7, 8, 0};
        EXPECT_FALSE(records->append(
            {Value::ofNumber(145.5), Value::ofText("x, \"y\""), Value::ofDate(when)}))
            << c.name;
        EXPECT_EQ(readBytes(folder.file(c.name)), c.before + c.after) << c.name;
        // The record set shows it at once, and the file reads back the same.
        EXPECT_EQ(records->recordCount(), 2u);
        auto again = query(std::string("SELECT * FROM [") + c.name + "]");
        ASSERT_TRUE(again);
        EXPECT_EQ(dump(*again).back(), "#145.5|x, \"y\"|@2024-05-06 07:08:00") << c.name;
    }
}

TEST_F(TextEngineTest, AppendConvertsOrRefusesEachValue) {
    auto records = table("v.csv", "FREQ,HEARD,NAME,EXTRA\n1,2024-01-01,a,z\n");
    ASSERT_TRUE(records);
    // Numbers without exponent, dates in the short form, text numbers and
    // dates normalised, null as empty.
    EXPECT_FALSE(records->append({Value::ofNumber(1234.56789012), Value::ofText("2024-02-03"),
                                  Value::ofNumber(7), Value::null()}));
    EXPECT_FALSE(records->append({Value::ofText(" 145.50 "), Value::ofText("2024-02-03 04:05"),
                                  Value::ofDate({2024, 2, 3, 0, 0, 0}), Value::ofText("q")}));
    EXPECT_FALSE(records->append({Value::ofNumber(0.0000001), Value::null(),
                                  Value::ofText("Z\xC3\xBCrich"), Value::null()}));
    EXPECT_EQ(readBytes(folder.file("v.csv")),
              "FREQ,HEARD,NAME,EXTRA\n1,2024-01-01,a,z\n"
              "1234.56789012,2024-02-03,7,\n"
              "145.5,2024-02-03 04:05,2024-02-03,q\n"
              "0.0000001,,Z\xC3\xBCrich,\n");

    const std::string before = readBytes(folder.file("v.csv"));
    const auto expectRefused = [&](std::vector<Value> values, std::size_t field) {
        const auto refused = records->append(values);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->field, field) << refused->message;
        EXPECT_FALSE(refused->message.empty());
    };
    expectRefused({Value::ofText("145,5"), Value::null(), Value::null(), Value::null()}, 0);
    expectRefused({Value::null(), Value::ofText("03.02.2024"), Value::null(), Value::null()}, 1);
    expectRefused({Value::null(), Value::ofNumber(3), Value::null(), Value::null()}, 1);
    expectRefused(
        {Value::ofDate({2024, 1, 1, 0, 0, 0}), Value::null(), Value::null(), Value::null()}, 0);
    expectRefused({Value::null()}, 0);
    EXPECT_EQ(readBytes(folder.file("v.csv")), before);

    // Selected fields in another order: the others stay empty.
    auto some = query("SELECT name, freq FROM [v.csv]");
    ASSERT_TRUE(some);
    EXPECT_FALSE(some->append({Value::ofText("n"), Value::ofNumber(2)}));
    const auto refused = some->append({Value::ofText("n"), Value::ofText("two")});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->field, 1u);
    EXPECT_EQ(readBytes(folder.file("v.csv")), before + "2,,n,\n");
}

TEST_F(TextEngineTest, AppendToWindows1252FileAndReadOnly) {
    auto records = table("cp.csv", "NAME;FREQ\r\nM\xFCnchen;1\r\n");
    ASSERT_TRUE(records);
    EXPECT_FALSE(records->append({Value::ofText("K\xC3\xB6ln \xE2\x82\xAC"), Value::null()}));
    // A character the code page lacks is refused, not stored as "?".
    const auto refused =
        records->append({Value::ofText("\xE6\x9D\xB1\xE4\xBA\xAC"), Value::null()});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->field, 0u);
    EXPECT_EQ(readBytes(folder.file("cp.csv")), "NAME;FREQ\r\nM\xFCnchen;1\r\nK\xF6ln \x80;\r\n");

    auto readOnly = table("ro.csv", "A\n1\n", true);
    ASSERT_TRUE(readOnly);
    EXPECT_FALSE(readOnly->canAppend());
    EXPECT_TRUE(readOnly->append({Value::ofNumber(2)}));
    EXPECT_EQ(readBytes(folder.file("ro.csv")), "A\n1\n");
}

TEST_F(TextEngineTest, AppendRefusesAFileThatChangedOrEndsInAQuote) {
    auto records = table("c.csv", "A,B\n1,2\n");
    ASSERT_TRUE(records);
    writeBytes(folder.file("c.csv"), "B,A\n2,1\n");
    EXPECT_TRUE(records->append({Value::ofNumber(3), Value::ofNumber(4)}));
    EXPECT_EQ(readBytes(folder.file("c.csv")), "B,A\n2,1\n");

    auto open = table("q.csv", "A,B\n1,\"unfinished\n");
    ASSERT_TRUE(open);
    EXPECT_TRUE(open->append({Value::ofNumber(3), Value::null()}));
    EXPECT_EQ(readBytes(folder.file("q.csv")), "A,B\n1,\"unfinished\n");
}

TEST_F(TextEngineTest, FailedOrKilledAppendLeavesTheFileWhole) {
    const std::string before = "FREQ,NAME\n1,a\n2,b\n";
    writeBytes(folder.file("t.csv"), before);
    const std::vector<std::string> names{"FREQ", "NAME"};

    const auto failed = appendCsvRecord(folder.file("t.csv"), names, {"3", "c"},
                                        [](const std::filesystem::path&) { return false; });
    ASSERT_TRUE(failed);
    EXPECT_NE(failed->message.find("unchanged"), std::string::npos);
    EXPECT_EQ(readBytes(folder.file("t.csv")), before);
    EXPECT_EQ(korvex::test::entryCount(folder.folder()), 1u);

    // A process killed after writing the new content but before it replaces
    // the file: the file is the old one, and what the kill left behind is no
    // table.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        appendCsvRecord(folder.file("t.csv"), names, {"3", "c"},
                        [](const std::filesystem::path&) -> bool { ::_exit(9); });
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 9);
    EXPECT_EQ(readBytes(folder.file("t.csv")), before);
    auto records = query("SELECT * FROM [t.csv]");
    ASSERT_TRUE(records);
    EXPECT_EQ(db->tableNames(), std::vector<std::string>{"t.csv"});
    EXPECT_EQ(dump(*records), (std::vector<std::string>{"#1|a", "#2|b"}));

    // And the next append still works.
    EXPECT_FALSE(records->append({Value::ofNumber(3), Value::ofText("c")}));
    EXPECT_EQ(readBytes(folder.file("t.csv")), before + "3,c\n");
}

// Two appends at once (two slots or two instances of the program) take
// turns under the table's lock: the second reads the file the first wrote,
// so neither record is lost.
TEST_F(TextEngineTest, SimultaneousAppendsKeepBothRecords) {
    writeBytes(folder.file("t.csv"), "FREQ,NAME\n1,a\n");
    const std::vector<std::string> names{"FREQ", "NAME"};
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t first = ::fork();
    if (first == 0) {
        const auto error = appendCsvRecord(folder.file("t.csv"), names, {"2", "first"},
                                           [&](const std::filesystem::path&) {
                                               // Complete but not yet renamed.
                                               ::write(ready[1], "x", 1);
                                               ::usleep(300000);
                                               return true;
                                           });
        ::_exit(error ? 1 : 0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const pid_t second = ::fork();
    if (second == 0) {
        ::_exit(appendCsvRecord(folder.file("t.csv"), names, {"3", "second"}) ? 1 : 0);
    }
    for (const pid_t child : {first, second}) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(readBytes(folder.file("t.csv")), "FREQ,NAME\n1,a\n2,first\n3,second\n");
}

}  // namespace
