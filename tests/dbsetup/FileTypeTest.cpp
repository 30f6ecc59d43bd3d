#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "database/Engine.h"
#include "database/FileType.h"
#include "tests/support/TempDir.h"

namespace korvex::db {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

const std::filesystem::path kData = KORVEX_DB_DATA;

// A copy of a fixture table under a new name, with its first byte replaced
// when `firstByte` is not negative.
std::string copyTable(const TempDir& folder, const char* fixture, const char* name,
                      int firstByte = -1) {
    std::string bytes = readBytes(kData / fixture);
    if (firstByte >= 0) {
        bytes[0] = static_cast<char>(firstByte);
    }
    const std::filesystem::path to = folder.file(name);
    writeBytes(to, bytes);
    return to.string();
}

TEST(FileTypeTest, DbaseTypeComesFromTheLowThreeBitsOfTheFirstByte) {
    struct Case {
        unsigned char byte;
        const char* type;  // nullptr: refused
    };
    const Case cases[] = {
        {0x02, nullptr},      {0x03, "dBASE III;"}, {0x04, "dBASE IV;"},  {0x05, "dBASE 5.0;"},
        {0x06, nullptr},      {0x30, nullptr},      {0x83, "dBASE III;"}, {0x8B, "dBASE III;"},
        {0xF5, "dBASE 5.0;"}, {0x00, nullptr},      {0xFF, nullptr},
    };
    for (const Case& c : cases) {
        const auto type = dbaseTypeOfFirstByte(c.byte);
        if (c.type == nullptr) {
            EXPECT_FALSE(type) << int{c.byte};
        } else {
            ASSERT_TRUE(type) << int{c.byte};
            EXPECT_EQ(*type, c.type) << int{c.byte};
        }
    }
}

TEST(FileTypeTest, RealTablesGetTheirConnectPrefix) {
    TempDir folder;
    struct Case {
        const char* fixture;
        const char* name;
        int firstByte;
        const char* type;
    };
    const Case cases[] = {
        {"freqs.dbf", "freqs.dbf", -1, "dBASE III;"},
        {"freqs.dbf", "memo.dbf", 0x83, "dBASE III;"},  // dBASE III with memo
        {"freqs.dbf", "FREQS.DBF", -1, "dBASE III;"},
        {"pyfreqs.dbf", "pyfreqs.dbf", -1, "dBASE III;"},
        {"freqs.xls", "freqs.xls", -1, "Excel 5.0;"},
        {"freqs.xls", "Book.XLS", -1, "Excel 5.0;"},
        {"freqs.csv", "freqs.csv", -1, "Text;"},
    };
    for (const Case& c : cases) {
        const std::string path = copyTable(folder, c.fixture, c.name, c.firstByte);
        const FileTypeResult result = detectFileType(path);
        EXPECT_TRUE(result.ok) << c.name;
        EXPECT_FALSE(result.message) << c.name;
        EXPECT_EQ(result.type, c.type) << c.name;
        EXPECT_EQ(result.parts.folder, folder.path()) << c.name;
        EXPECT_EQ(result.parts.fileName, c.name);
    }
}

TEST(FileTypeTest, VisualFoxProTableIsRefusedAsUnknownDbase) {
    const FileTypeResult result = detectFileType((kData / "vfp.dbf").string());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.type.empty());
    ASSERT_TRUE(result.message);
    EXPECT_EQ(result.message->text, "unknown dBASE format");
    EXPECT_EQ(result.message->caption, "Error");
    EXPECT_EQ(result.message->icon, DbMessage::Icon::Warning);
}

TEST(FileTypeTest, FileShorterThanTenBytesIsInvalid) {
    TempDir folder;
    for (std::size_t size : {0u, 5u, 9u, 10u}) {
        const std::filesystem::path file = folder.file("short" + std::to_string(size) + ".dbf");
        writeBytes(file, std::string(size, '\x03'));
        const FileTypeResult result = detectFileType(file.string());
        if (size == 10) {
            EXPECT_TRUE(result.ok);
            EXPECT_EQ(result.type, "dBASE III;");
            continue;
        }
        EXPECT_FALSE(result.ok) << size;
        ASSERT_TRUE(result.message) << size;
        EXPECT_EQ(result.message->text, "Invalid file.");
        EXPECT_EQ(result.message->caption, "File open error");
        EXPECT_EQ(result.message->icon, DbMessage::Icon::Error);
    }
}

TEST(FileTypeTest, UnreadablePathGivesTheCauseNumber) {
    TempDir folder;
    const FileTypeResult missing = detectFileType(folder.file("gone.dbf").string());
    EXPECT_FALSE(missing.ok);
    ASSERT_TRUE(missing.message);
    EXPECT_EQ(missing.message->text, "Could not open file. Cause: " + std::to_string(ENOENT));
    EXPECT_EQ(missing.message->caption, "File open error");
    EXPECT_EQ(missing.message->icon, DbMessage::Icon::Error);

    std::filesystem::create_directory(folder.file("dir.dbf"));
    const FileTypeResult directory = detectFileType(folder.file("dir.dbf").string());
    EXPECT_FALSE(directory.ok);
    ASSERT_TRUE(directory.message);
    EXPECT_EQ(directory.message->text, "Could not open file. Cause: " + std::to_string(EISDIR));
}

TEST(FileTypeTest, OtherExtensionHasNoTypeAndTheEngineSaysWhy) {
    TempDir folder;
    const std::string path = copyTable(folder, "freqs.dbf", "freqs.mdb");
    const FileTypeResult result = detectFileType(path);
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.message);
    EXPECT_TRUE(result.type.empty());
    std::string error;
    EXPECT_EQ(openDatabase(result.type, databaseLocation(result.type, path), true, error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST(FileTypeTest, PathSplitsAtTheLastSlashAndLowersTheExtension) {
    struct Case {
        const char* path;
        const char* folder;
        const char* fileName;
        const char* extension;
    };
    const Case cases[] = {
        {"/data/lists/Freqs.DbF", "/data/lists", "Freqs.DbF", "dbf"},
        {"/data/v1.2/list", "/data/v1.2", "list", ""},
        {"/data/archive.tar.XLS", "/data", "archive.tar.XLS", "xls"},
        {"/air.csv", "", "air.csv", "csv"},
        {"air.csv", "", "air.csv", "csv"},
        {"/data/.dbf", "/data", ".dbf", "dbf"},
        {"/data/trailing.", "/data", "trailing.", ""},
    };
    for (const Case& c : cases) {
        const PathParts parts = splitDatabasePath(c.path);
        EXPECT_EQ(parts.folder, c.folder) << c.path;
        EXPECT_EQ(parts.fileName, c.fileName) << c.path;
        EXPECT_EQ(parts.extension, c.extension) << c.path;
    }
}

TEST(FileTypeTest, WorkbookIsOpenedItselfAndOtherTablesByTheirFolder) {
    EXPECT_EQ(databaseLocation("Excel 5.0;", "/d/book.xls"), "/d/book.xls");
    EXPECT_EQ(databaseLocation("dBASE IV;", "/d/e/t.dbf"), "/d/e");
    EXPECT_EQ(databaseLocation("Text;", "/d/t.csv"), "/d");
    EXPECT_EQ(databaseLocation("dBASE III;", "/t.dbf"), "/");
    EXPECT_EQ(tableName("Excel 5.0;", "/d/book.xls", "Sheet2"), "Sheet2");
    EXPECT_EQ(tableName("dBASE III;", "/d/Air.DBF", "Sheet2"), "Air.DBF");
    EXPECT_EQ(tableName("Text;", "/d/air.csv", ""), "air.csv");
}

}  // namespace
}  // namespace korvex::db
