// The document's entries: capacity, appends, reading and rewriting the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "log/ZelDoc.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

LogEntry entryNumber(int n) {
    return LogEntry{"2004-03-15", "14:02:31", "00:00:12", std::to_string(n), "123", "x.wav"};
}

std::string fileText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ZelDocLogTest, StartsWithoutALogAndResetReservesRoom) {
    CZelDoc doc;
    EXPECT_EQ(doc.title(), "no log");
    EXPECT_EQ(doc.entryCount(), 0u);
    doc.entriesChanged = true;
    ASSERT_TRUE(doc.resetLog());
    EXPECT_FALSE(doc.entriesChanged);
    EXPECT_TRUE(doc.appendEnabled());
    EXPECT_GE(doc.entryCapacity(), 1000u);
}

TEST(ZelDocLogTest, TheThousandAndFirstAppendGrowsTheListWithoutLoss) {
    CZelDoc doc;
    ASSERT_TRUE(doc.resetLog());
    for (int n = 0; n < 1001; ++n) {
        ASSERT_EQ(doc.appendEntry(entryNumber(n)), AppendResult::Appended);
    }
    EXPECT_TRUE(doc.entriesChanged);
    const std::vector<LogEntry> entries = doc.entries();
    ASSERT_EQ(entries.size(), 1001u);
    for (int n = 0; n < 1001; ++n) {
        ASSERT_EQ(entries[static_cast<std::size_t>(n)].frequency, std::to_string(n));
    }
    EXPECT_GE(doc.entryCapacity(), 2000u) << "room doubles";
}

TEST(ZelDocLogTest, RewritesKeepTheFilesLineEndAndReadBackWhatTheyWrote) {
    TempDir folder;
    const auto file = folder.folder() / "air.log";
    CZelDoc doc;
    doc.resetLog();
    doc.appendEntry(entryNumber(1));
    doc.appendEntry(entryNumber(2));
    ASSERT_TRUE(doc.writeLogFile(file));
    EXPECT_EQ(fileText(file),
              "2004-03-15\t14:02:31\t00:00:12\t1\t123\tx.wav\r\n"
              "2004-03-15\t14:02:31\t00:00:12\t2\t123\tx.wav\r\n")
        << "a new file takes the appends' CR LF";
    writeBytes(file, "title\n");
    ASSERT_TRUE(doc.writeLogFile(file));
    EXPECT_EQ(fileText(file),
              "2004-03-15\t14:02:31\t00:00:12\t1\t123\tx.wav\n"
              "2004-03-15\t14:02:31\t00:00:12\t2\t123\tx.wav\n")
        << "a file of LF lines keeps them";

    CZelDoc other;
    other.resetLog();
    other.appendEntry(entryNumber(9));
    ASSERT_TRUE(other.readLogFile(file));
    EXPECT_EQ(other.entries(), doc.entries()) << "reading replaces the entries";
    EXPECT_TRUE(other.entriesChanged);
}

TEST(ZelDocLogTest, AnUnreadableFileLeavesTheEntriesAsTheyWere) {
    TempDir folder;
    CZelDoc doc;
    doc.resetLog();
    doc.appendEntry(entryNumber(1));
    EXPECT_FALSE(doc.readLogFile(folder.folder() / "missing.log"));
    EXPECT_EQ(doc.entryCount(), 1u);
}

TEST(ZelDocLogTest, RemovesAndChangesEntriesByIndex) {
    CZelDoc doc;
    doc.resetLog();
    for (int n = 0; n < 3; ++n) {
        doc.appendEntry(entryNumber(n));
    }
    EXPECT_TRUE(doc.removeEntry(1));
    EXPECT_FALSE(doc.removeEntry(5));
    EXPECT_TRUE(doc.setAudioFile(1, EMPTY_FIELD));
    const auto entries = doc.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].frequency, "0");
    EXPECT_EQ(entries[1].frequency, "2") << "later entries move up";
    EXPECT_EQ(entries[1].audioFile, EMPTY_FIELD);
}

}  // namespace
}  // namespace korvex::test
