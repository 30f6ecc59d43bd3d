// CDbDao on tables written by other programs: connect through dbconf.ini,
// the list's texts, Tune, Jump and appends read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/DbDao.h"
#include "tests/database/DataFolder.h"
#include "tests/support/TempDir.h"

namespace korvex::db {
namespace {

using korvex::test::kData;

// A copy of a fixture and a dbconf.ini whose DB1 maps it.
class Slot {
public:
    Slot(const std::string& fixture, std::string_view type,
         std::array<std::string, kRoleCount> fields, std::string sheet = {}) {
        std::filesystem::copy_file(kData / fixture, m_folder.file(fixture));
        m_ini = m_folder.file("dbconf.ini");
        EXPECT_TRUE(ensureDbConf(m_ini));
        config.slot = 1;
        config.file = m_folder.file(fixture).string();
        config.type = std::string(type);
        config.sheet = std::move(sheet);
        config.fields = std::move(fields);
        config.readOnly = false;
    }

    bool connect(CDbDao& dao) {
        EXPECT_TRUE(writeSlotSetup(m_ini, config));
        message.reset();
        return dao.connect(m_ini, 1, message);
    }

    // Every record's texts, from the first.
    static std::vector<RecordTexts> readAll(CDbDao& dao) {
        std::vector<RecordTexts> rows;
        RecordTexts texts;
        for (bool more = dao.readRecord(false, texts); more; more = dao.readRecord(true, texts)) {
            rows.push_back(texts);
        }
        return rows;
    }

    DbSlotConfig config;
    std::optional<DbMessage> message;
    const korvex::test::TempDir& folder() const { return m_folder; }

private:
    korvex::test::TempDir m_folder;
    std::filesystem::path m_ini;
};

TEST(DbDaoFiles, DbaseNumbersTextsAndDates) {
    Slot slot("pyfreqs.dbf", kConnectDbase3, {"FREQ", "MODE", "", "NAME", "", "", "", "", "HEARD"});
    CDbDao dao;
    ASSERT_TRUE(slot.connect(dao)) << (slot.message ? slot.message->text : "");
    EXPECT_EQ(dao.queryText(), "SELECT FREQ,MODE,NAME,HEARD FROM [pyfreqs.dbf]");
    EXPECT_TRUE(dao.fieldTypes()[0] == kNumeric || dao.fieldTypes()[0] == kDouble);
    EXPECT_EQ(dao.fieldTypes()[8], kDateTime);
    const auto rows = Slot::readAll(dao);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0],
              (RecordTexts{"118.100000", "AM", "", "Tower", "", "", "", "", "2024-03-15"}));
    EXPECT_EQ(rows[2][8], "");  // no date
    EXPECT_EQ(rows[7][0], "446.006250");
    EXPECT_EQ(rows[13][0], "3.560500");
    EXPECT_EQ(rows[19][0], "1296.200000");
}

TEST(DbDaoFiles, DecimalCommaTextsReadAsFrequencies) {
    Slot slot("textfreq.dbf", kConnectDbase3, {"FREQ", "MODE", "NAME"});
    CDbDao dao;
    ASSERT_TRUE(slot.connect(dao));
    EXPECT_EQ(dao.fieldTypes()[0], kText);
    const auto rows = Slot::readAll(dao);
    ASSERT_EQ(rows.size(), 10u);
    std::vector<std::string> freqs;
    for (const auto& row : rows) {
        freqs.push_back(row[0]);
    }
    EXPECT_EQ(freqs, (std::vector<std::string>{
                         "118.100000", "121.500000", "124.850000", "145.500000", "145.762500",
                         "156.800000", "433.500000", "446.006250", "88.500000", "100.100000"}));
    EXPECT_EQ(tuneCommands(rows[7][0], rows[7][1], false, false).substr(0, 13), "RF0446006250\r");
}

TEST(DbDaoFiles, ExcelSheetInKhzShowsThreeDecimalsAndTunesAsKhz) {
    Slot slot("freqs_khz.xls", kConnectExcel, {"FREQKHZ", "MODUL", "DESCR"}, "freqs_khz");
    slot.config.inKhz = true;
    CDbDao dao;
    ASSERT_TRUE(slot.connect(dao)) << (slot.message ? slot.message->text : "");
    EXPECT_FALSE(dao.canWrite());  // a workbook is read only
    const auto rows = Slot::readAll(dao);
    ASSERT_FALSE(rows.empty());
    for (const auto& row : rows) {
        const std::string& freq = row[0];
        ASSERT_GE(freq.size(), 5u);
        EXPECT_EQ(freq[freq.size() - 4], '.') << freq;
        // The hertz Jump reads are the kHz value times 1000, as Tune sends.
        const std::string tune = tuneCommands(freq, row[1], true, true);
        ASSERT_FALSE(tune.empty()) << freq;
        const auto hertz = frequencyDigits(freq);
        ASSERT_TRUE(hertz);
        std::string expected = std::to_string(*hertz / 50 * 50);
        expected.insert(0, 10 - expected.size(), '0');
        EXPECT_EQ(tune.substr(0, 12), "RF" + expected);
        if (!modeInText(row[1]).empty()) {
            EXPECT_NE(tune.find("MD"), std::string::npos);
        }
    }
}

TEST(DbDaoFiles, ExcelDatesAndNumbers) {
    Slot slot("freqs.xls", kConnectExcel, {"FREQ", "MODE", "HEARD"}, "freqs");
    CDbDao dao;
    ASSERT_TRUE(slot.connect(dao));
    EXPECT_EQ(dao.queryText(), "SELECT FREQ,MODE,HEARD FROM [freqs]");
    const auto rows = Slot::readAll(dao);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0][0], "118.100000");
    EXPECT_EQ(rows[0][2], "2024-03-15");
    EXPECT_EQ(rows[2][2], "");
    EXPECT_EQ(rows[12][0], "10.000000");
}

TEST(DbDaoFiles, BigTableReadsEveryRecordAndJumpFindsNoneAboveAll) {
    Slot slot("big.dbf", kConnectDbase3, {"FREQ", "MODE", "NAME"});
    CDbDao dao;
    ASSERT_TRUE(slot.connect(dao));
    EXPECT_EQ(dao.recordCount(), 20000u);
    const auto rows = Slot::readAll(dao);
    ASSERT_EQ(rows.size(), 20000u);

    std::vector<std::string_view> freqs;
    std::int64_t highest = 0;
    for (const auto& row : rows) {
        freqs.push_back(row[0]);
        highest = std::max(highest, frequencyDigits(row[0]).value_or(0));
    }
    EXPECT_EQ(jumpRow(freqs, highest + 1), -1);
    EXPECT_GE(jumpRow(freqs, highest), 0);
}

TEST(DbDaoFiles, AppendToDbaseLandsAndReadsBack) {
    Slot slot("pyfreqs.dbf", kConnectDbase3, {"FREQ", "MODE", "NAME", "", "HEARD"});
    CDbDao dao;
    ASSERT_TRUE(slot.connect(dao));
    ASSERT_TRUE(dao.canWrite());
    EXPECT_FALSE(dao.addRecord({"145,525", "NFM", "Relais Z\xFCrich", "", "2024-06-01"}));
    // A value the field cannot hold names its role and adds nothing.
    const auto refused = dao.addRecord({"123456789", "", "", "", ""});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text.rfind("Error in field No. 0:\nCause: ", 0), 0u) << refused->text;

    auto rows = Slot::readAll(dao);
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows.back(), (RecordTexts{"145.525000", "NFM", "Relais Z\xFCrich", "", "2024-06-01",
                                        "", "", "", ""}));

    // Connected again from the file: the record is really there.
    CDbDao again;
    ASSERT_TRUE(slot.connect(again));
    rows = Slot::readAll(again);
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows.back()[0], "145.525000");
}

TEST(DbDaoFiles, CsvTableConnectsAndAppends) {
    Slot slot("freqs.csv", kConnectText, {"FREQ", "MODE", "NAME", "HEARD"});
    CDbDao dao;
    ASSERT_TRUE(slot.connect(dao)) << (slot.message ? slot.message->text : "");
    EXPECT_EQ(dao.queryText(), "SELECT FREQ,MODE,NAME,HEARD FROM [freqs.csv]");
    auto rows = Slot::readAll(dao);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[4], (RecordTexts{"145.762500", "NFM", "Repeater DB0XX", "2024-02-29"}));
    const auto refused = dao.addRecord({"430,1", "FM", "new", "2024-13-01 10:00"});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text,
              "Error in field No. 3:\nCause: \"2024-13-01 10:00\" is no valid date or time.");
    EXPECT_FALSE(dao.addRecord({"430,1", "NFM", "new", "12:00"}));
    rows = Slot::readAll(dao);
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows.back()[0], "430.100000");
}

TEST(DbDaoFiles, ReadOnlySlotRefusesWrites) {
    Slot slot("freqs.dbf", kConnectDbase3, {"FREQ", "MODE"});
    slot.config.readOnly = true;
    CDbDao dao;
    ASSERT_TRUE(slot.connect(dao));
    EXPECT_FALSE(dao.canWrite());
    const auto refused = dao.addRecord({"145.5", "NFM"});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, "Sorry. Unable to write to database.");
    EXPECT_EQ(Slot::readAll(dao).size(), 20u);

    // Nor does a DAO that was never connected.
    CDbDao never;
    EXPECT_FALSE(never.canWrite());
    EXPECT_TRUE(never.addRecord({"145", "", "", "", "", "", "", "", ""}));
}

TEST(DbDaoFiles, ConnectFailuresSayWhy) {
    // A missing field's message is pinned on the in-memory table (DbDaoTest).
    Slot slot("pyfreqs.dbf", kConnectDbase3, {"FREQ", "MODE"});
    CDbDao dao;
    slot.config.type = "Excel 5.0;";
    slot.config.sheet = "Sheet1";  // a .dbf is no workbook
    EXPECT_FALSE(slot.connect(dao));
    ASSERT_TRUE(slot.message);
    EXPECT_EQ(slot.message->caption, "Open database failed");

    // A file that opens, with a type no engine knows.
    korvex::test::writeBytes(slot.folder().file("x.dbf"), "0123456789abcdef");
    slot.config.file = slot.folder().file("x.dbf").string();
    slot.config.type = "Paradox 3.X;";
    slot.config.sheet.clear();
    EXPECT_FALSE(slot.connect(dao));
    ASSERT_TRUE(slot.message);
    EXPECT_EQ(slot.message->text.rfind("Could not open database.\nCause: ", 0), 0u)
        << slot.message->text;
    EXPECT_GT(slot.message->text.size(), 33u);
    EXPECT_EQ(slot.message->caption, "Open database failed");

    slot.config.file = slot.folder().file("gone.dbf").string();
    slot.config.type = std::string(kConnectDbase3);
    EXPECT_FALSE(slot.connect(dao));
    ASSERT_TRUE(slot.message);
    EXPECT_EQ(slot.message->text, "Could not open file. Cause: 2");
    EXPECT_EQ(slot.message->caption, "File open failed");
    EXPECT_EQ(slot.message->icon, DbMessage::Icon::Error);
    EXPECT_FALSE(dao.connected());
}

}  // namespace
}  // namespace korvex::db
