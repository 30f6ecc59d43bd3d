// Reading dBASE tables written by LibreOffice and python-dbf.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/database/DbaseTestSupport.h"

namespace korvex::test {
namespace {

using db::Value;

// pyfreqs.dbf: header 193 bytes, records of 77: FREQ at 1 (12), MODE at 13
// (6), NAME at 19 (30), LOCATION at 49 (20), HEARD at 69 (8).
constexpr std::size_t kPyHeader = 193;
constexpr std::size_t kPyRecord = 77;
constexpr std::size_t kPyName = 19;
constexpr std::size_t kPyHeard = 69;

void patch(const std::filesystem::path& file, std::size_t offset, std::string_view bytes) {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string padded(std::string_view text, std::size_t width) {
    std::string s(text);
    s.resize(width, ' ');
    return s;
}

struct Opened {
    TempDir folder;
    std::unique_ptr<db::Database> database;
};

std::unique_ptr<Opened> openFolderWith(const std::vector<std::string>& fixtures,
                                       bool readOnly = true) {
    auto o = std::make_unique<Opened>();
    for (const auto& name : fixtures) {
        copyFixture(o->folder, name);
    }
    std::string error;
    o->database = db::openDbase(o->folder.folder(), readOnly, error);
    EXPECT_TRUE(o->database) << error;
    return o;
}

std::vector<std::vector<std::string>> readCsv(const std::string& name) {
    std::ifstream in(dbData(name));
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line);  // field names
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<std::string> row;
        std::stringstream s(line);
        std::string cell;
        while (std::getline(s, cell, ',')) {
            row.push_back(cell);
        }
        row.resize(5);
        rows.push_back(row);
    }
    return rows;
}

TEST(DbaseEngineTest, LibreOfficeTableMatchesTheCsvItWasMadeFrom) {
    auto o = openFolderWith({"freqs.dbf"});
    auto rs = queryOrFail(*o->database, "SELECT FREQ,MODE,NAME,LOCATION,HEARD FROM [freqs.dbf]");
    ASSERT_TRUE(rs);
    const std::vector<int> types = {db::kDouble, db::kText, db::kText, db::kText, db::kDateTime};
    ASSERT_EQ(rs->fields().size(), types.size());
    for (std::size_t i = 0; i < types.size(); ++i) {
        EXPECT_EQ(rs->fields()[i].type, types[i]) << rs->fields()[i].name;
    }
    EXPECT_EQ(rs->recordCount(), 20u);
    const auto csv = readCsv("freqs.csv");
    ASSERT_EQ(csv.size(), 20u);
    std::size_t row = 0;
    while (rs->next()) {
        ASSERT_LT(row, csv.size());
        const auto& want = csv[row];
        const Value freq = rs->value(0);
        ASSERT_EQ(freq.kind, Value::Kind::Number);
        EXPECT_DOUBLE_EQ(freq.number, std::stod(want[0])) << "row " << row;
        EXPECT_EQ(rs->value(1).text, want[1]);
        EXPECT_EQ(rs->value(2).text, want[2]);
        EXPECT_EQ(rs->value(3).text, want[3]);
        const Value heard = rs->value(4);
        if (want[4].empty()) {
            EXPECT_EQ(heard.kind, Value::Kind::Null) << "row " << row;
        } else {
            ASSERT_EQ(heard.kind, Value::Kind::Date) << "row " << row;
            char text[16];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", heard.date.year, heard.date.month,
                          heard.date.day);
            EXPECT_EQ(text, want[4]);
        }
        ++row;
    }
    EXPECT_EQ(row, 20u);
    EXPECT_FALSE(rs->next());
}

TEST(DbaseEngineTest, PythonDbfTableWithEmptyDatesAndTrailingBlanks) {
    auto o = openFolderWith({"pyfreqs.dbf"});
    auto rs = queryOrFail(*o->database, "SELECT * FROM [pyfreqs.dbf]");
    ASSERT_TRUE(rs);
    std::vector<std::string> names;
    for (const auto& f : rs->fields()) {
        names.push_back(f.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"FREQ", "MODE", "NAME", "LOCATION", "HEARD"}));
    const auto rows = readAll(*rs);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"118.1", "AM", "Tower", "EDDF", "D:2024-03-15"}));
    EXPECT_EQ(rows[2][4], "");              // blank date
    EXPECT_EQ(rows[4][4], "D:2024-02-29");  // leap day
    EXPECT_EQ(rows[4][0], "145.7625");
    EXPECT_EQ(rows[19][2], "23cm beacon");
}

TEST(DbaseEngineTest, TextFieldWithDecimalCommaStaysText) {
    auto o = openFolderWith({"textfreq.dbf"});
    auto rs = queryOrFail(*o->database, "SELECT FREQ, NAME FROM [textfreq.dbf]");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->fields()[0].type, db::kText);
    EXPECT_EQ(rs->recordCount(), 10u);
    const auto rows = readAll(*rs);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[3], (std::vector<std::string>{"145,5", "Calling S20"}));
}

TEST(DbaseEngineTest, BigTableStreamsEveryRecord) {
    auto o = openFolderWith({"big.dbf"});
    auto rs = queryOrFail(*o->database, "SELECT FREQ,MODE,NAME FROM [big.dbf]");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->recordCount(), 20000u);
    std::size_t n = 0;
    std::string last;
    while (rs->next()) {
        if (n == 0) {
            EXPECT_DOUBLE_EQ(rs->value(0).number, 226.99945);
            EXPECT_EQ(rs->value(1).text, "NFM");
        }
        last = rs->value(2).text;
        ++n;
    }
    EXPECT_EQ(n, 20000u);
    EXPECT_EQ(last, "Station 19999");
    EXPECT_FALSE(rs->next());
}

TEST(DbaseEngineTest, NamesMatchWithoutRegardToCase) {
    TempDir folder;
    copyFixture(folder, "freqs.dbf", "Freqs.DBF");
    copyFixture(folder, "textfreq.dbf", "a.Dbf");
    writeBytes(folder.file("notes.txt"), "not a table");
    std::string error;
    auto database = db::openDbase(folder.folder(), true, error);
    ASSERT_TRUE(database) << error;
    EXPECT_EQ(database->tableNames(), (std::vector<std::string>{"Freqs.DBF", "a.Dbf"}));

    auto rs = queryOrFail(*database, "select name, Freq from [FREQS.dbf]");
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->fields().size(), 2u);
    EXPECT_EQ(rs->fields()[0].name, "NAME");
    EXPECT_EQ(rs->fields()[1].name, "FREQ");
    ASSERT_TRUE(rs->next());
    EXPECT_EQ(rs->value(0).text, "Tower");
    EXPECT_DOUBLE_EQ(rs->value(1).number, 118.1);
    EXPECT_TRUE(queryOrFail(*database, "SELECT * FROM [a.dbf]"));
}

TEST(DbaseEngineTest, ErrorsNameWhatIsMissing) {
    auto o = openFolderWith({"freqs.dbf"});
    std::string error;
    EXPECT_FALSE(o->database->query("SELECT FREQ,CALLSIGN FROM [freqs.dbf]", error));
    EXPECT_NE(error.find("CALLSIGN"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(o->database->query("SELECT * FROM [other.dbf]", error));
    EXPECT_NE(error.find("other.dbf"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(o->database->query("SELECT * FROM freqs.dbf", error));
    EXPECT_FALSE(error.empty());

    error.clear();
    EXPECT_FALSE(db::openDbase(o->folder.file("no such folder"), true, error));
    EXPECT_FALSE(error.empty());
}

TEST(DbaseEngineTest, FirstByteDecidesTheFormat) {
    auto o = openFolderWith({"vfp.dbf", "pyfreqs.dbf"});
    std::string error;
    EXPECT_FALSE(o->database->query("SELECT * FROM [vfp.dbf]", error));
    EXPECT_NE(error.find("unknown dBASE format"), std::string::npos) << error;

    // dBASE III with a memo file reads like dBASE III.
    patch(o->folder.file("pyfreqs.dbf"), 0, "\x83");
    auto rs = queryOrFail(*o->database, "SELECT NAME FROM [pyfreqs.dbf]");
    ASSERT_TRUE(rs);
    EXPECT_EQ(readAll(*rs).size(), 20u);
}

TEST(DbaseEngineTest, TextsComeFromTheTablesCodePage) {
    struct Case {
        std::string ldid;
        std::string cpg;  // content of pyfreqs.cpg, none when empty
        std::string stored;
        std::string utf8;
    };
    const std::vector<Case> cases = {
        {"\x03", "",
         "Z\xFC"
         "rich B\xE4r",
         "Zürich Bär"},                                      // Windows-1252
        {"\x57", "", "\xC4\xD6\xDC", "ÄÖÜ"},                 // Windows-1252 (ANSI)
        {"\x02", "", "Z\x81rich B\x84r", "Zürich Bär"},      // code page 850
        {"\x01", "", "\x9A\x8E", "ÜÄ"},                      // code page 437
        {"\x65", "", "\x8C\xAE\xE1\xAA\xA2\xA0", "Москва"},  // code page 866
        {"\xC9", "", "\xCC\xEE\xF1\xEA\xE2\xE0", "Москва"},  // Windows-1251
        {"\xC8", "",
         "\xA3\xF3"
         "d\x9F",
         "Łódź"},                                          // Windows-1250
        {std::string(1, '\0'), "1251", "\xCC\xEE", "Мо"},  // .cpg file
        {std::string(1, '\0'), "UTF-8", "Z\xC3\xBCrich", "Zürich"},
        {std::string(1, '\0'), "", "Z\xFCrich", "Zürich"},  // default Windows-1252
        {"\xEE", "", "Z\xFCrich", "Zürich"},                // unknown byte: default
    };
    for (const auto& c : cases) {
        TempDir folder;
        copyFixture(folder, "pyfreqs.dbf");
        const auto file = folder.file("pyfreqs.dbf");
        patch(file, 29, c.ldid);
        patch(file, kPyHeader + kPyName, padded(c.stored, 30));
        if (!c.cpg.empty()) {
            writeBytes(folder.file("pyfreqs.CPG"), c.cpg + "\n");
        }
        std::string error;
        auto database = db::openDbase(folder.folder(), true, error);
        ASSERT_TRUE(database) << error;
        auto rs = queryOrFail(*database, "SELECT NAME FROM [pyfreqs.dbf]");
        ASSERT_TRUE(rs);
        ASSERT_TRUE(rs->next());
        EXPECT_EQ(rs->value(0).text, c.utf8) << "ldid " << int(c.ldid[0]) << " cpg " << c.cpg;
    }
}

TEST(DbaseEngineTest, UnusualFieldContents) {
    TempDir folder;
    copyFixture(folder, "pyfreqs.dbf");
    const auto file = folder.file("pyfreqs.dbf");
    patch(file, kPyHeader + 1, "            ");                     // blank number
    patch(file, kPyHeader + kPyRecord + 1, "************");         // overflowed number
    patch(file, kPyHeader + 2 * kPyRecord + 1, "      -0,25 ");     // comma, blank after
    patch(file, kPyHeader + kPyHeard, "2024-3-1");                  // no YYYYMMDD date
    patch(file, kPyHeader + kPyRecord + kPyHeard, "20230229");      // no leap year
    patch(file, kPyHeader + 2 * kPyRecord + kPyHeard, "00000000");  // empty date
    patch(file, kPyHeader + 3 * kPyRecord + kPyName, "  leading");  // leading blanks stay
    std::string error;
    auto database = db::openDbase(folder.folder(), true, error);
    ASSERT_TRUE(database) << error;
    auto rs = queryOrFail(*database, "SELECT FREQ, HEARD, NAME FROM [pyfreqs.dbf]");
    ASSERT_TRUE(rs);
    const auto rows = readAll(*rs);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0][0], "");
    EXPECT_EQ(rows[1][0], "");
    EXPECT_EQ(rows[2][0], "-0.25");
    EXPECT_EQ(rows[0][1], "BAD:2024-3-1");
    EXPECT_EQ(rows[1][1], "BAD:20230229");
    EXPECT_EQ(rows[2][1], "");
    EXPECT_EQ(rows[3][2], "  leading20");
}

TEST(DbaseEngineTest, DeletedRecordsAreHidden) {
    TempDir folder;
    copyFixture(folder, "pyfreqs.dbf");
    patch(folder.file("pyfreqs.dbf"), kPyHeader + kPyRecord, "*");
    patch(folder.file("pyfreqs.dbf"), kPyHeader + 19 * kPyRecord, "*");
    std::string error;
    auto database = db::openDbase(folder.folder(), true, error);
    ASSERT_TRUE(database) << error;
    auto rs = queryOrFail(*database, "SELECT NAME FROM [pyfreqs.dbf]");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->recordCount(), 18u);
    const auto rows = readAll(*rs);
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[0][0], "Tower");
    EXPECT_EQ(rows[1][0], "Approach");
    EXPECT_EQ(rows[17][0], "NOAA-19 APT");
}

}  // namespace
}  // namespace korvex::test
