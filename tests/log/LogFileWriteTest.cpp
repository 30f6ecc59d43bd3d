// Appending to the log file, the line end of a rewrite and the check of an
// entry's recording, on real files.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>

#include "log/LogFakes.h"
#include "log/LogFile.h"
#include "log/LogFileWrite.h"
#include "log/ZelDoc.h"
#include "support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

const std::string kLine = "2026-12-02\t15:18:30\t00:00:04\t145.5\t123\t\xB0\xB0\xB0\r\n";

TEST(LogAppendTest, AWriteThatFailsPartWayLeavesNoFragment) {
    TempDir folder;
    const std::string log = folder.file("air.log").string();
    writeBytes(log, kLine);
    {
        FileSizeLimit limit(kLine.size() + 9);
        EXPECT_EQ(appendLogText(log, kLine), EFBIG);
    }
    EXPECT_EQ(readBytes(log), kLine);
    EXPECT_EQ(appendLogText(log, kLine), 0);
    EXPECT_EQ(readBytes(log), kLine + kLine);
}

TEST(LogAppendTest, ALineTornByAKillIsEndedBeforeTheNextOne) {
    TempDir folder;
    const std::string log = folder.file("air.log").string();
    writeBytes(log, kLine + "2026-12-0");
    EXPECT_EQ(appendLogText(log, kLine), 0);
    EXPECT_EQ(readBytes(log), kLine + "2026-12-0\r\n" + kLine);
}

// Appends wrote CR LF into every file, so a log of LF lines got mixed ends.
TEST(LogAppendTest, LinesEndAsTheFilesLastLineEnds) {
    TempDir folder;
    const std::string log = folder.file("air.log").string();
    const auto line = [](std::string_view end) { return "e" + std::string(end); };
    const struct {
        std::string before;
        std::string after;
    } cases[] = {
        {"", "e\r\n"},
        {"title\n", "title\ne\n"},
        {"a\r\nb\n", "a\r\nb\ne\n"},
        {"a\nb\r\n", "a\nb\r\ne\r\n"},
        {"a\n2026-12-0", "a\n2026-12-0\ne\n"},
        {"a\n" + std::string(9000, 'x'), "a\n" + std::string(9000, 'x') + "\r\ne\r\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(log);
        if (!c.before.empty()) {
            writeBytes(log, c.before);
        }
        EXPECT_EQ(appendLogLines(log, line), 0);
        EXPECT_EQ(readBytes(log), c.after) << c.before.substr(0, 20);
    }

    // The document's appends, with a line that waited for the file.
    writeBytes(log, "title\n");
    CZelDoc doc;
    const LogEntry entry{"2026-12-02", "15:18:30", "00:00:04", "145.5", "123", "-"};
    EXPECT_NE(doc.appendAndWrite(entry, folder.file("gone/air.log").string()).fileError, 0);
    EXPECT_EQ(doc.appendAndWrite(entry, log).fileError, 0);
    const std::string lf = formatLogLine(entry, "\n");
    EXPECT_EQ(readBytes(log), "title\n" + lf + lf);
}

TEST(LogAppendTest, FailuresAreReturnedNotSwallowed) {
    TempDir folder;
    EXPECT_EQ(appendLogText("/dev/full", kLine), ENOSPC);
    EXPECT_EQ(appendLogText(folder.file("gone/air.log").string(), kLine), ENOENT);
    EXPECT_EQ(probeLogFile(folder.file("gone/air.log").string()), ENOENT);
    EXPECT_EQ(probeLogFile(folder.file("new.log").string()), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.file("new.log"))) << "created when missing";
}

TEST(LogLineEndTest, ARewriteKeepsTheLineEndMostLinesHave) {
    TempDir folder;
    const std::string log = folder.file("air.log").string();
    EXPECT_EQ(logLineEndOf(log), "\r\n") << "a missing file takes the appends' line end";
    const struct {
        const char* text;
        const char* lineEnd;
    } cases[] = {
        {"", "\r\n"},          {"a\nb\n", "\n"},     {"a\r\nb\r\n", "\r\n"},
        {"a\nb\nc\r\n", "\n"}, {"a\nb\r\n", "\r\n"}, {"title without line end", "\r\n"},
    };
    for (const auto& c : cases) {
        writeBytes(log, c.text);
        EXPECT_EQ(logLineEndOf(log), c.lineEnd) << c.text;
    }
}

TEST(UsableRecordingTest, OnlyAFileWithSamplesAsItsHeaderSaysIsUsable) {
    TempDir folder;
    const std::string wav = folder.file("a.wav").string();
    EXPECT_FALSE(usableRecording(wav)) << "missing";
    writeBytes(wav, "");
    EXPECT_FALSE(usableRecording(wav)) << "empty";
    FakeSound::writeWav(wav, 0);
    EXPECT_FALSE(usableRecording(wav)) << "header only";
    FakeSound::writeWav(wav, 2000);
    EXPECT_TRUE(usableRecording(wav));
    std::filesystem::resize_file(wav, 46 + 1000);
    EXPECT_FALSE(usableRecording(wav)) << "fewer samples than the header claims";
    writeBytes(wav, std::string(100, 'x'));
    EXPECT_FALSE(usableRecording(wav)) << "not a WAV file";
    EXPECT_FALSE(usableRecording(folder.path())) << "a folder";
}

}  // namespace
}  // namespace korvex::test
