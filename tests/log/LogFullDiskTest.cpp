// The log file on a real full disk, a read-only file system and a folder that
// is gone: no line is lost, torn or glued to the next, and a rewrite that
// fails changes neither the file nor the recordings.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "link/CommandQueue.h"
#include "log/LogActions.h"
#include "log/LogFakes.h"
#include "log/LogFile.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "support/SmallTmpfs.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

LogEntry entry(int n) {
    return LogEntry{"2026-12-02", "15:18:" + std::to_string(10 + n), "00:00:04", "145.5",
                    "123",        std::string(EMPTY_FIELD)};
}

class LogFullDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!disk.ok()) {
            GTEST_SKIP() << "no tmpfs can be mounted here";
        }
        doc.resetLog();
    }

    // A log file that ends 20 bytes before a page of the disk is full, so
    // that a line fits only in part once the disk is full.
    void startLogNearAPageEnd() { writeBytes(log, std::string(4096 - 20 - 1, '#') + "\n"); }

    TempDir folder;
    SmallTmpfs disk{folder.folder(), 64 * 1024};
    const std::string log = (folder.folder() / "air.log").string();
    CZelDoc doc;
};

TEST_F(LogFullDiskTest, LinesWaitForSpaceAndThenFollowInOrder) {
    startLogNearAPageEnd();
    disk.fill("filler");

    const AppendOutcome first = doc.appendAndWrite(entry(1), log);
    EXPECT_EQ(first.entry, AppendResult::Appended);
    EXPECT_EQ(first.fileError, ENOSPC);
    EXPECT_EQ(first.unwrittenLines, 1u);
    EXPECT_EQ(fs::file_size(log), 4096u - 20u) << "no part of the line stays";
    EXPECT_EQ(doc.appendAndWrite(entry(2), log).unwrittenLines, 2u);

    fs::remove(folder.folder() / "filler");
    const AppendOutcome third = doc.appendAndWrite(entry(3), log);
    EXPECT_EQ(third.fileError, 0);
    EXPECT_EQ(third.unwrittenLines, 0u);
    EXPECT_EQ(doc.entryCount(), 3u);
    EXPECT_EQ(parseLogText(readBytes(log)), doc.entries());
}

TEST_F(LogFullDiskTest, AReadOnlyFileSystemAndAGoneFolderKeepTheLinesToo) {
    const std::string inFolder = (folder.folder() / "sub" / "air.log").string();
    EXPECT_EQ(doc.appendAndWrite(entry(1), inFolder).fileError, ENOENT);
    fs::create_directory(folder.folder() / "sub");
    ASSERT_TRUE(disk.setReadOnly(true));
    EXPECT_EQ(doc.appendAndWrite(entry(2), inFolder).fileError, EROFS);
    ASSERT_TRUE(disk.setReadOnly(false));
    EXPECT_EQ(doc.appendAndWrite(entry(3), inFolder).fileError, 0);
    EXPECT_EQ(parseLogText(readBytes(inFolder)), doc.entries());
}

TEST_F(LogFullDiskTest, ARewriteWritesTheWaitingLines) {
    startLogNearAPageEnd();
    disk.fill("filler");
    doc.appendAndWrite(entry(1), log);
    fs::remove(folder.folder() / "filler");
    ASSERT_TRUE(doc.writeLogFile(log));
    EXPECT_EQ(doc.unwrittenLines(), 0u);
    EXPECT_EQ(doc.appendAndWrite(entry(2), log).fileError, 0);
    EXPECT_EQ(parseLogText(readBytes(log)), doc.entries()) << "each line once";
}

class LogDeleteOnFullDiskTest : public LogFullDiskTest {
protected:
    void SetUp() override {
        LogFullDiskTest::SetUp();
        settings.logFilePath = log;
        for (const char* name : {"a.wav", "b.wav"}) {
            LogEntry e = entry(static_cast<int>(doc.entryCount()));
            e.audioFile = name;
            doc.appendAndWrite(e, log);
            FakeSound::writeWav((folder.folder() / name).string(), 2000);
        }
        before = readBytes(log);
        disk.fill("filler");
    }

    void expectNothingChanged() {
        EXPECT_EQ(doc.entryCount(), 2u);
        EXPECT_EQ(readBytes(log), before);
        EXPECT_TRUE(fs::exists(folder.folder() / "a.wav"));
        EXPECT_TRUE(fs::exists(folder.folder() / "b.wav"));
        ASSERT_FALSE(host.messages.empty());
        EXPECT_EQ(host.messages.back().rfind("Error: Unable to write the log file", 0), 0u)
            << host.messages.back();
    }

    std::string before;
    CReceiver rx;
    CommandQueue queue;
    FakeSound sound;
    KorvSettings settings;
    FakeLogHost host;
    CLogActions actions{doc, rx, queue, sound, settings, host};
};

TEST_F(LogDeleteOnFullDiskTest, AFailedRewriteKeepsTheEntryAndItsRecording) {
    EXPECT_FALSE(actions.deleteEntry(doc.entries()[1], 1));
    expectNothingChanged();
}

// An empty log fits on a full disk; a read-only one takes nothing.
TEST_F(LogDeleteOnFullDiskTest, AFailedRewriteKeepsEveryEntryAndRecording) {
    fs::remove(folder.folder() / "filler");
    ASSERT_TRUE(disk.setReadOnly(true));
    EXPECT_FALSE(actions.deleteAll());
    expectNothingChanged();
}

TEST_F(LogDeleteOnFullDiskTest, AFailedRewriteKeepsTheRecordingOfDeleteAudio) {
    EXPECT_FALSE(actions.deleteAudio(doc.entries()[0], 0));
    expectNothingChanged();
    EXPECT_EQ(doc.entries()[0].audioFile, "a.wav");
}

}  // namespace
}  // namespace korvex::test
