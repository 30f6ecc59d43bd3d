// The log file's lines: which are entries, how fields are cut, both line ends.
#include <gtest/gtest.h>

#include "log/LogFile.h"

namespace korvex::test {
namespace {

TEST(LogFileTest, OnlyLinesWithATenCharacterDateFieldAreEntries) {
    EXPECT_TRUE(isLogEntryLine("2004-03-15\t14:02:31\t00:00:12\t145.500000\t123\tair.wav"));
    EXPECT_TRUE(isLogEntryLine("----------\tx")) << "ten dashes pass as a date";
    EXPECT_TRUE(isLogEntryLine("2004-03-15")) << "a date alone, up to the line end";
    EXPECT_FALSE(isLogEntryLine("04-3-15\t14:02:31")) << "8 characters";
    EXPECT_FALSE(isLogEntryLine("2004-03-155\tx")) << "11 characters";
    EXPECT_FALSE(isLogEntryLine("2004/03/15\tx"));
    EXPECT_FALSE(isLogEntryLine("Log of the airband"));
    EXPECT_FALSE(isLogEntryLine(""));
}

TEST(LogFileTest, CutsSixFieldsAndRepeatsTheLastOneOnShortLines) {
    const LogEntry full = parseLogLine("2004-03-15\t14:02:31\t00:00:12\t145.5\t123\tair.wav");
    EXPECT_EQ(full.date, "2004-03-15");
    EXPECT_EQ(full.time, "14:02:31");
    EXPECT_EQ(full.duration, "00:00:12");
    EXPECT_EQ(full.frequency, "145.5");
    EXPECT_EQ(full.level, "123");
    EXPECT_EQ(full.audioFile, "air.wav");

    const LogEntry fourTabs = parseLogLine("2004-03-15\t14:02:31\t00:00:12\t145.5\t123");
    EXPECT_EQ(fourTabs.level, "123");
    EXPECT_EQ(fourTabs.audioFile, "123") << "the sixth field repeats the fifth";

    const LogEntry crlf = parseLogLine("2004-03-15\t14:02:31\t00:00:12\t145.5\t123\tair.wav\r");
    EXPECT_EQ(crlf.audioFile, "air.wav") << "the CR of CR LF is not part of the field";
}

TEST(LogFileTest, ReadsBothLineEndsAndSkipsOtherText) {
    const std::string text =
        "Airband log\r\n"
        "2004-03-15\t14:02:31\t00:00:12\t145.5\t123\tair040315_140231.wav\r\n"
        "04-3-15\t14:02:31\t00:00:12\t145.5\t123\tx\n"
        "2004-03-15\t14:05:00\t00:00:03\t118.1\t088\t\xB0\xB0\xB0\n"
        "2004-03-16\r\n"
        "2004-03-16\t01:00:00\t00:01:00\t120.0\t001\tlast.wav";
    const std::vector<LogEntry> entries = parseLogText(text);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].audioFile, "2004-03-16") << "a date alone, CR LF ended";
    EXPECT_EQ(entries[0].audioFile, "air040315_140231.wav");
    EXPECT_EQ(entries[1].audioFile, "\xB0\xB0\xB0");
    EXPECT_FALSE(entries[1].hasAudio());
    EXPECT_EQ(entries[3].audioFile, "last.wav") << "a last line without a line end";
}

TEST(LogFileTest, FormatsWithTheRequestedLineEnd) {
    LogEntry e{"2004-03-15", "14:02:31", "00:00:12", "145.5", "123", "a.wav"};
    EXPECT_EQ(formatLogLine(e, "\n"), "2004-03-15\t14:02:31\t00:00:12\t145.5\t123\ta.wav\n");
    EXPECT_EQ(formatLogLine(e, "\r\n"), "2004-03-15\t14:02:31\t00:00:12\t145.5\t123\ta.wav\r\n");
}

TEST(LogFileTest, DirectoryAndBaseNameOfTheLogPath) {
    EXPECT_EQ(logDirectory("/home/op/logs/air.log"), "/home/op/logs/");
    EXPECT_EQ(logBaseName("/home/op/logs/air.log"), "air");
    EXPECT_EQ(logBaseName("/home/op/my.logs/air.2004.log"), "air") << "the name's first dot";
    EXPECT_EQ(logDirectory("air.log"), "") << "no folder: the current one";
    EXPECT_EQ(logBaseName("air.log"), "air");
    EXPECT_EQ(logBaseName("nodot"), "nodot");
}

TEST(LogFileTest, AudioNamesFromALogLineStayInTheLogsFolder) {
    EXPECT_EQ(audioFilePath("/l/air.log", "air040315_140231.wav"), "/l/air040315_140231.wav");
    EXPECT_EQ(audioFilePath("air.log", "a.wav"), "a.wav");
    for (const char* bad : {"../secret.wav", "/etc/passwd", "sub/a.wav", "..", ".", ""}) {
        EXPECT_FALSE(audioFilePath("/l/air.log", bad)) << bad;
    }
    EXPECT_FALSE(audioFilePath("/l/air.log", std::string_view("a\0b", 3)));
}

TEST(LogEntryTest, AudioIsAbsentForTheEmptyMarkerAndADash) {
    LogEntry e;
    EXPECT_FALSE(e.hasAudio()) << "a new entry has the empty marker";
    e.audioFile = "-";
    EXPECT_FALSE(e.hasAudio());
    e.audioFile = "-x.wav";
    EXPECT_FALSE(e.hasAudio());
    e.audioFile = "x.wav";
    EXPECT_TRUE(e.hasAudio());
}

}  // namespace
}  // namespace korvex::test
