// CSV tables beyond the documented limits are refused with a message that
// names the file and the limit, before memory out of proportion is taken.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "database/Engine.h"
#include "database/MemoryTable.h"
#include "support/MemoryCap.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

using namespace korvex::db;

constexpr std::size_t kMB = 1024 * 1024;

class TableLimitsTest : public ::testing::Test {
protected:
    // "SELECT * FROM" the table in a child with `extraBytes` of room: the
    // query's error, "" when it gave a record set, or a note of how it failed.
    std::string queryCapped(const std::string& name, std::size_t extraBytes) {
        const std::string out = folder.file("error.txt").string();
        const CappedRun run = runWithMemoryCap(extraBytes, [&] {
            ::alarm(20);
            std::string error;
            auto db = openDatabase(kConnectText, folder.folder(), true, error);
            auto records = db ? db->query("SELECT * FROM [" + name + "]", error) : nullptr;
            writeBytes(out, error);
            return records != nullptr;
        });
        switch (run) {
            case CappedRun::Finished:
                return "";
            case CappedRun::Failed:
                return readBytes(out);
            case CappedRun::OutOfMemory:
                return "out of memory";
            case CappedRun::Crashed:
                return "crashed";
        }
        return "";
    }

    TempDir folder;
};

TEST_F(TableLimitsTest, AWideHeaderOverManyShortRowsIsRefused) {
    if (!kCanCapMemory) {
        GTEST_SKIP() << "no address-space limit under a sanitizer";
    }
    std::string header;
    for (int f = 0; f < 1000; ++f) {
        header += (f == 0 ? "f" : ",f") + std::to_string(f);
    }
    std::string text = header + "\n";
    for (int r = 0; r < 40'000; ++r) {
        text += "1\n";
    }
    writeBytes(folder.file("wide.csv"), text);
    EXPECT_EQ(queryCapped("wide.csv", 256 * kMB),
              "The file \"wide.csv\" cannot be read: it holds more than 4,000,000 values "
              "(records times fields).");

    writeBytes(folder.file("fields.csv"), header + "," + header + "\n1\n");
    EXPECT_EQ(queryCapped("fields.csv", 256 * kMB),
              "The file \"fields.csv\" cannot be read: it has more than 1,024 fields.");
}

TEST_F(TableLimitsTest, ALongTableOfOneFieldIsRefusedBeyondTheValueLimit) {
    if (!kCanCapMemory) {
        GTEST_SKIP() << "no address-space limit under a sanitizer";
    }
    std::string text = "f\n";
    text.reserve(2 * (kTableCellLimit + 2));
    for (std::size_t r = 0; r <= kTableCellLimit; ++r) {
        text += "a\n";
    }
    writeBytes(folder.file("long.csv"), text);
    // Up to the limit a value costs about a hundred bytes while it is read.
    EXPECT_EQ(queryCapped("long.csv", 1024 * kMB),
              "The file \"long.csv\" cannot be read: it holds more than 4,000,000 values "
              "(records times fields).");
}

TEST_F(TableLimitsTest, AFileBeyondTheSizeLimitIsRefusedUnread) {
    const auto file = folder.file("big.csv");
    writeBytes(file, "f\n1\n");
    std::filesystem::resize_file(file, kCsvFileLimit + 1);
    EXPECT_EQ(queryCapped("big.csv", 32 * kMB),
              "The file \"big.csv\" cannot be read: it is larger than 64 MB.");
}

TEST_F(TableLimitsTest, AValueBeyondTheCellLimitIsRefused) {
    writeBytes(folder.file("cell.csv"), "name,note\nx," + std::string(kCellByteLimit, 'n') + "\n");
    EXPECT_EQ(queryCapped("cell.csv", 256 * kMB), "") << "a value of exactly the limit";
    writeBytes(folder.file("cell.csv"), "name,note\nx,\"" + std::string(10 * kMB, 'n') + "\"\n");
    EXPECT_EQ(queryCapped("cell.csv", 256 * kMB),
              "The file \"cell.csv\" cannot be read: a value is longer than 128 KB.");
}

TEST_F(TableLimitsTest, AFifoAsATableIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(folder.file("pipe.csv").c_str(), 0600), 0);
    EXPECT_EQ(queryCapped("pipe.csv", 256 * kMB),
              "The table \"pipe.csv\" does not exist in the folder.");
}

}  // namespace
}  // namespace korvex::test
