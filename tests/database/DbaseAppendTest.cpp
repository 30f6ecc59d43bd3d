// Appending records to dBASE tables: values, refusals, and that a failure or
// a kill in the middle leaves a table every reader opens with all earlier
// records.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>

#include <sys/wait.h>
#include <unistd.h>

#include "database/DbaseFile.h"
#include "database/DbaseLayout.h"
#include "tests/database/DbaseTestSupport.h"

namespace korvex::test {
namespace {

using db::AppendStep;
using db::Value;
using Bytes = std::string;

db::DateTime date(int y, int m, int d) {
    db::DateTime t;
    t.year = y;
    t.month = m;
    t.day = d;
    return t;
}

// The number of data lines dbfdump prints (it prints a title line first).
int dumpedRecords(const std::filesystem::path& file) {
    int status = -1;
    const std::string out = dbfdump(file, &status);
    EXPECT_EQ(status, 0) << out;
    int lines = 0;
    for (char c : out) {
        lines += c == '\n';
    }
    return lines - 1;
}

class DbaseAppendTest : public ::testing::Test {
protected:
    void SetUp() override {
        copyFixture(folder, "pyfreqs.dbf");
        file = folder.file("pyfreqs.dbf");
        original = readBytes(file);
        std::string error;
        database = db::openDbase(folder.folder(), false, error);
        ASSERT_TRUE(database) << error;
        rs = queryOrFail(*database, "SELECT FREQ,MODE,NAME,HEARD FROM [pyfreqs.dbf]");
        ASSERT_TRUE(rs);
    }
    void TearDown() override { db::setAppendFaultHookForTesting(nullptr); }

    std::vector<std::vector<std::string>> reread() {
        auto again = queryOrFail(*database, "SELECT * FROM [pyfreqs.dbf]");
        return again ? readAll(*again) : std::vector<std::vector<std::string>>{};
    }

    const std::vector<Value> kRecord = {Value::ofNumber(145.5), Value::ofText("NFM"),
                                        Value::ofText("Zürich Süd"),
                                        Value::ofDate(date(2024, 12, 9))};

    TempDir folder;
    std::filesystem::path file;
    std::string original;
    std::unique_ptr<db::Database> database;
    std::unique_ptr<db::RecordSet> rs;
};

TEST_F(DbaseAppendTest, AppendedRecordReadsBackThroughTheEngineAndDbfdump) {
    ASSERT_TRUE(rs->canAppend());
    const auto refused = rs->append(kRecord);
    ASSERT_FALSE(refused) << refused->message;
    EXPECT_EQ(rs->recordCount(), 21u);

    const auto rows = reread();
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows[20],
              (std::vector<std::string>{"145.5", "NFM", "Zürich Süd", "", "D:2024-12-09"}));
    EXPECT_EQ(rows[0][2], "Tower");

    // shapelib's own program sees 21 records and the Windows-1252 bytes.
    const std::string dump = dbfdump(file);
    EXPECT_NE(dump.find("  145.500000 NFM    Z\xFCrich S\xFC"
                        "d"),
              std::string::npos)
        << dump;
    EXPECT_EQ(dumpedRecords(file), 21);

    // The header counts it and carries today's date; the end mark follows.
    const std::string bytes = readBytes(file);
    EXPECT_EQ(bytes.size(), 193u + 21u * 77u + 1u);
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(bytes.substr(bytes.size() - 9, 8), "20241209");
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 21);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), local.tm_year % 256);
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]), local.tm_mon + 1);
}

TEST_F(DbaseAppendTest, TheStreamGoesOnToAppendedRecords) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(rs->next());
    }
    ASSERT_FALSE(rs->append(kRecord));
    ASSERT_TRUE(rs->next());
    EXPECT_EQ(rs->value(2).text, "Zürich Süd");
    EXPECT_FALSE(rs->next());
}

TEST_F(DbaseAppendTest, TwoRecordSetsOnOneTableBothLand) {
    auto other = queryOrFail(*database, "SELECT NAME FROM [pyfreqs.dbf]");
    ASSERT_TRUE(other);
    ASSERT_FALSE(rs->append(kRecord));
    ASSERT_FALSE(other->append({Value::ofText("second")}));
    const auto rows = reread();
    ASSERT_EQ(rows.size(), 22u);
    EXPECT_EQ(rows[20][2], "Zürich Süd");
    EXPECT_EQ(rows[21], (std::vector<std::string>{"", "", "second", "", ""}));
    EXPECT_EQ(dumpedRecords(file), 22);
}

TEST_F(DbaseAppendTest, NumbersMustFitTheFieldsWidthAndDecimals) {
    // freqs.dbf (LibreOffice): FREQ is N 10.5.
    copyFixture(folder, "freqs.dbf");
    auto freqs = queryOrFail(*database, "SELECT NAME, FREQ FROM [freqs.dbf]");
    ASSERT_TRUE(freqs);
    const std::string before = readBytes(folder.file("freqs.dbf"));
    struct Case {
        double value;
        std::string stored;  // empty: refused
    };
    for (const Case& c : std::vector<Case>{{9999.99999, "9999.99999"},
                                           {10000.0, ""},
                                           {-999.99999, "-999.99999"},
                                           {-1000.0, ""},
                                           {1.000004, "   1.00000"},
                                           {0.0, "   0.00000"}}) {
        const auto refused = freqs->append({Value::ofText("n"), Value::ofNumber(c.value)});
        if (c.stored.empty()) {
            ASSERT_TRUE(refused) << c.value;
            EXPECT_EQ(refused->field, 1u);
        } else {
            ASSERT_FALSE(refused) << c.value << ": " << refused->message;
            const std::string bytes = readBytes(folder.file("freqs.dbf"));
            EXPECT_EQ(bytes.substr(bytes.size() - 1 - 43 + 1, 10), c.stored) << c.value;
        }
    }
    const auto refused = freqs->append({Value::ofText("n"), Value::ofNumber(123456789)});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->message, "Value 123456789 does not fit field FREQ (N 10.5).");
    EXPECT_EQ(readBytes(folder.file("freqs.dbf")).size(), before.size() + 4u * 43u);
}

TEST_F(DbaseAppendTest, RefusedValuesNameTheirFieldAndChangeNothing) {
    struct Case {
        std::vector<Value> values;
        std::size_t field;
    };
    const std::vector<Case> cases = {
        {{Value::ofNumber(1), Value::ofText("TOOLONG"), Value::null(), Value::null()}, 1},
        {{Value::ofNumber(1), Value::null(), Value::ofText("Москва"), Value::null()}, 2},
        {{Value::ofNumber(1), Value::null(), Value::null(), Value::ofDate(date(2023, 2, 29))}, 3},
        {{Value::ofNumber(1), Value::null(), Value::null(), Value::ofText("2024-01-01")}, 3},
        {{Value::ofText("abc"), Value::null(), Value::null(), Value::null()}, 0},
        {{Value::ofNumber(1e300), Value::null(), Value::null(), Value::null()}, 0},
    };
    for (const auto& c : cases) {
        const auto refused = rs->append(c.values);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->field, c.field) << refused->message;
        EXPECT_FALSE(refused->message.empty());
    }
    EXPECT_EQ(readBytes(file), original);

    // The longest text that fits, blanks and numbers given as text.
    ASSERT_FALSE(
        rs->append({Value::ofText("7,5"), Value::ofText("ABCDEF"), Value::null(), Value::null()}));
    const auto rows = reread();
    EXPECT_EQ(rows[20], (std::vector<std::string>{"7.5", "ABCDEF", "", "", ""}));
}

TEST(DbaseAppendCodePageTest, TextIsStoredInTheTablesCodePage) {
    TempDir folder;
    copyFixture(folder, "pyfreqs.dbf");
    const auto file = folder.file("pyfreqs.dbf");
    {
        Bytes bytes = readBytes(file);
        bytes[29] = 0x02;  // code page 850
        writeBytes(file, bytes);
    }
    std::string error;
    auto database = db::openDbase(folder.folder(), false, error);
    ASSERT_TRUE(database) << error;
    auto rs = queryOrFail(*database, "SELECT NAME FROM [pyfreqs.dbf]");
    ASSERT_TRUE(rs);
    ASSERT_FALSE(rs->append({Value::ofText("Zürich Bär")}));
    const std::string bytes = readBytes(file);
    EXPECT_EQ(bytes.substr(193 + 20 * 77 + 19, 10), "Z\x81rich B\x84r");
    auto again = queryOrFail(*database, "SELECT NAME FROM [pyfreqs.dbf]");
    ASSERT_TRUE(again);
    EXPECT_EQ(readAll(*again).back(), std::vector<std::string>{"Zürich Bär"});
    // Windows-1252's € is no character of code page 850.
    const auto refused = rs->append({Value::ofText("5 €")});
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->message.find("CP850"), std::string::npos) << refused->message;
}

TEST(DbaseAppendReadOnlyTest, ReadOnlyDatabaseRefuses) {
    TempDir folder;
    copyFixture(folder, "pyfreqs.dbf");
    const std::string before = readBytes(folder.file("pyfreqs.dbf"));
    std::string error;
    auto database = db::openDbase(folder.folder(), true, error);
    ASSERT_TRUE(database) << error;
    auto rs = queryOrFail(*database, "SELECT NAME FROM [pyfreqs.dbf]");
    ASSERT_TRUE(rs);
    EXPECT_FALSE(rs->canAppend());
    const auto refused = rs->append({Value::ofText("x")});
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->message.empty());
    EXPECT_EQ(readBytes(folder.file("pyfreqs.dbf")), before);
}

bool failStep(AppendStep) {
    return false;
}

bool failHeader(AppendStep step) {
    return step != AppendStep::WriteHeader;
}

TEST_F(DbaseAppendTest, FailureAtEitherStepPutsTheOldFileBack) {
    for (const auto hook : {&failStep, &failHeader}) {
        db::setAppendFaultHookForTesting(hook);
        const auto refused = rs->append(kRecord);
        ASSERT_TRUE(refused);
        EXPECT_NE(refused->message.find("could not be written"), std::string::npos)
            << refused->message;
        EXPECT_EQ(readBytes(file), original);
        EXPECT_EQ(rs->recordCount(), 20u);
    }
    db::setAppendFaultHookForTesting(nullptr);
    ASSERT_FALSE(rs->append(kRecord));
    EXPECT_EQ(reread().size(), 21u);
}

bool killAtHeader(AppendStep step) {
    if (step == AppendStep::WriteHeader) {
        std::raise(SIGKILL);
    }
    return true;
}

TEST_F(DbaseAppendTest, KillBetweenRecordAndHeaderKeepsEveryEarlierRecord) {
    const auto rowsBefore = reread();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        db::setAppendFaultHookForTesting(&killAtHeader);
        rs->append(kRecord);
        ::_exit(3);  // not reached when the hook ends the process
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(WTERMSIG(status), SIGKILL);

    // The record's bytes are on disk, but the header still counts 20.
    const std::string bytes = readBytes(file);
    EXPECT_GT(bytes.size(), original.size());
    EXPECT_EQ(bytes.substr(0, 8), original.substr(0, 8));
    EXPECT_EQ(reread(), rowsBefore);
    EXPECT_EQ(dumpedRecords(file), 20);

    // The next append writes over the leftover bytes.
    ASSERT_FALSE(rs->append(kRecord));
    EXPECT_EQ(reread().size(), 21u);
    EXPECT_EQ(dumpedRecords(file), 21);
    EXPECT_EQ(readBytes(file).size(), 193u + 21u * 77u + 1u);
}

TEST_F(DbaseAppendTest, AppendsFromTwoProcessesAllLand) {
    constexpr int kEach = 15;
    std::vector<pid_t> children;
    for (const char* who : {"left", "right"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::string error;
            auto own = db::openDbase(folder.folder(), false, error);
            auto set = own ? own->query("SELECT NAME FROM [pyfreqs.dbf]", error) : nullptr;
            int failures = set ? 0 : 1;
            for (int i = 0; set && i < kEach; ++i) {
                failures +=
                    set->append({Value::ofText(std::string(who) + std::to_string(i))}).has_value();
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto rows = reread();
    ASSERT_EQ(rows.size(), 20u + 2 * kEach);
    std::vector<std::string> names;
    for (std::size_t i = 20; i < rows.size(); ++i) {
        names.push_back(rows[i][2]);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
    EXPECT_EQ(dumpedRecords(file), 20 + 2 * kEach);
}

}  // namespace
}  // namespace korvex::test
