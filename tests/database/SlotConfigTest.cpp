#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "database/DbDao.h"
#include "database/DbSlotConfig.h"
#include "tests/support/TempDir.h"

namespace korvex::db {
namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SlotConfigTest, CompleteFileRoundTripsASlotAndKeepsWidths) {
    test::TempDir folder;
    const auto ini = folder.folder() / "dbconf.ini";
    ASSERT_TRUE(ensureDbConf(ini));
    EXPECT_EQ(readAll(ini), defaultDbConf());

    DbSlotConfig config;
    config.slot = 2;
    config.file = "/data/freqs.dbf";
    config.type = "dBASE III;";
    config.fields[0] = "FREQ";
    config.fields[1] = "MODE";
    config.fields[5] = "NAME";
    config.readOnly = false;
    config.inKhz = true;
    ASSERT_TRUE(saveColumnWidths(ini, 2, {80, 3, 60, 50, 50, 50, 50, 50, 50}));
    ASSERT_TRUE(writeSlotSetup(ini, config));

    const DbSlotConfig read = readSlotConfig(ini, 2);
    EXPECT_EQ(read.file, config.file);
    EXPECT_EQ(read.type, config.type);
    EXPECT_EQ(read.fields, config.fields);
    EXPECT_FALSE(read.readOnly);
    EXPECT_TRUE(read.inKhz);
    EXPECT_EQ(read.columnWidths[0], 80);
    EXPECT_EQ(read.columnWidths[1], kMinColumnWidth);
    EXPECT_FALSE(readSlotConfig(ini, 1).configured());

    ASSERT_TRUE(clearSlotSetup(ini, 2));
    const DbSlotConfig cleared = readSlotConfig(ini, 2);
    EXPECT_FALSE(cleared.configured());
    EXPECT_EQ(cleared.columnWidths[0], kDefaultColumnWidth);
}

TEST(SlotConfigTest, MissingSectionOrFileChangesNothing) {
    test::TempDir folder;
    const auto ini = folder.folder() / "dbconf.ini";
    EXPECT_FALSE(readSlotConfig(ini, 3).configured());

    const std::string partial = "[DB1]\nfile=\nc0=\n";
    { std::ofstream(ini, std::ios::binary) << partial; }
    DbSlotConfig config;
    config.slot = 3;
    config.file = "/x.dbf";
    config.fields[0] = "F";
    EXPECT_TRUE(writeSlotSetup(ini, config));
    EXPECT_TRUE(clearSlotSetup(ini, 0));
    EXPECT_EQ(readAll(ini), partial);
    EXPECT_FALSE(readSlotConfig(ini, 3).configured());
}

// A field name of megabytes would go whole into the query and the error box.
TEST(SlotConfigTest, AValueBeyondTheLimitIsReadAsEmptyAndRefusesConnect) {
    test::TempDir folder;
    const auto ini = folder.folder() / "dbconf.ini";
    const auto table = folder.folder() / "freqs.csv";
    { std::ofstream(table, std::ios::binary) << "FREQ\n145.5\n"; }
    const std::string head = "[DB1]\nfile=" + table.string() + "\ntype=Text;\nc0=";
    { std::ofstream(ini, std::ios::binary) << head << std::string(kSlotValueLimit, 'F') << "\n"; }
    EXPECT_TRUE(readSlotConfig(ini, 1).problem.empty()) << "the limit itself";

    { std::ofstream(ini, std::ios::binary) << head << std::string(1024 * 1024 - 200, 'F') << "\n"; }
    const DbSlotConfig read = readSlotConfig(ini, 1);
    EXPECT_EQ(read.fields[0], "");
    EXPECT_EQ(read.problem,
              "The file\n" + ini.string() + "\nholds in [DB1] a value of \"c0\" longer than 4 KB.");
    CDbDao dao;
    std::optional<DbMessage> message;
    EXPECT_FALSE(dao.connect(ini, 1, message));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, read.problem);

    { std::ofstream(ini, std::ios::binary) << head << std::string(2 * 1024 * 1024, 'F') << "\n"; }
    EXPECT_FALSE(dao.connect(ini, 1, message));
    EXPECT_EQ(message->text,
              "The file\n" + ini.string() + "\nis larger than 1 MB and is not used.");
}

TEST(SlotConfigTest, AFifoAsTheSlotsFileIsRefusedWithoutWaiting) {
    test::TempDir folder;
    const auto ini = folder.folder() / "dbconf.ini";
    const auto fifo = folder.folder() / "freqs.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    {
        std::ofstream(ini, std::ios::binary)
            << "[DB1]\nfile=" << fifo.string() << "\ntype=Text;\nc0=F\n";
    }
    CDbDao dao;
    std::optional<DbMessage> message;
    EXPECT_FALSE(dao.connect(ini, 1, message));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "Could not open file. Cause: it is no regular file");
}

}  // namespace
}  // namespace korvex::db
