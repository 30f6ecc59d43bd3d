#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "database/DbSlotConfig.h"
#include "tests/settings/TempFolder.h"

namespace korvex::db {
namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SlotConfigTest, CompleteFileRoundTripsASlotAndKeepsWidths) {
    test::TempFolder folder;
    const auto ini = folder.path() / "dbconf.ini";
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
    test::TempFolder folder;
    const auto ini = folder.path() / "dbconf.ini";
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

}  // namespace
}  // namespace korvex::db
