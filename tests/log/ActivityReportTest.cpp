// The activity report's rules: grouping per frequency, hour and day, the
// range's ends, transmissions across midnight, unknown fields, the order of
// the rows, and the CSV and text the command line prints.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "log/ActivityReport.h"
#include "log/LogFile.h"
#include "log/ReportCommand.h"
#include "model/Records.h"

namespace korvex::test {
namespace {

LogEntry entry(std::string date, std::string time, std::string duration, std::string frequency,
               std::string level, std::string audio = std::string(EMPTY_FIELD)) {
    return {std::move(date),      std::move(time),  std::move(duration),
            std::move(frequency), std::move(level), std::move(audio)};
}

const FrequencyActivity* rowOf(const ActivityReport& report, std::string_view frequency) {
    for (const FrequencyActivity& row : report.frequencies) {
        if (row.frequency == frequency) {
            return &row;
        }
    }
    return nullptr;
}

TEST(ActivityReportTest, GroupsEntriesByTheirFrequencyText) {
    const std::vector<LogEntry> log = {
        entry("2026-03-01", "10:00:05", "00:00:12", "145.500000", "040", "a.wav"),
        entry("2026-03-01", "09:59:00", "00:01:00", "145.500000", "070"),
        entry("2026-03-02", "08:00:00", "00:00:30", "145.500000", "051", "b.wav"),
        entry("2026-03-01", "11:00:00", "00:00:07", "118.100000", "100", "-gone.wav"),
        // Another text for the same value is another row: the report shows
        // what the log wrote.
        entry("2026-03-01", "12:00:00", "00:00:01", "145.5", "010"),
    };
    const ActivityReport report = buildActivityReport(log, {});
    ASSERT_EQ(report.frequencies.size(), 3u);
    EXPECT_EQ(report.entriesCounted, 5u);

    const FrequencyActivity* busy = rowOf(report, "145.500000");
    ASSERT_NE(busy, nullptr);
    EXPECT_EQ(busy->hits, 3);
    EXPECT_EQ(busy->airtimeSeconds, 12 + 60 + 30);
    EXPECT_EQ(busy->longestSeconds, 60);
    EXPECT_EQ(busy->firstHeard, "2026-03-01 09:59:00") << "earliest, not the first line";
    EXPECT_EQ(busy->lastHeard, "2026-03-02 08:00:00");
    ASSERT_TRUE(busy->meanLevel().has_value());
    EXPECT_DOUBLE_EQ(*busy->meanLevel(), (40 + 70 + 51) / 3.0);
    EXPECT_EQ(busy->maxLevel, 70);
    EXPECT_EQ(busy->audioFiles, 2) << "°°° is no recording";

    const FrequencyActivity* air = rowOf(report, "118.100000");
    ASSERT_NE(air, nullptr);
    EXPECT_EQ(air->audioFiles, 0) << "a name beginning with '-' is no recording";
    EXPECT_NE(rowOf(report, "145.5"), nullptr);

    EXPECT_EQ(report.hours[9].hits, 1);
    EXPECT_EQ(report.hours[10].hits, 1);
    EXPECT_EQ(report.hours[10].airtimeSeconds, 12);
    EXPECT_EQ(report.hours[8].airtimeSeconds, 30);
    ASSERT_EQ(report.days.size(), 2u);
    EXPECT_EQ(report.days[0].date, "2026-03-01");
    EXPECT_EQ(report.days[0].activity.hits, 4);
    EXPECT_EQ(report.days[0].activity.airtimeSeconds, 12 + 60 + 7 + 1);
    EXPECT_EQ(report.days[1].activity.hits, 1);
}

TEST(ActivityReportTest, SortsByHitsThenAirtimeThenTheLowerFrequencyAsANumber) {
    const std::vector<LogEntry> log = {
        entry("2026-03-01", "10:00:00", "00:00:10", "145.500000", "1"),
        entry("2026-03-01", "10:00:00", "00:00:10", "99.500000", "1"),
        entry("2026-03-01", "10:00:00", "00:00:20", "430.000000", "1"),
        entry("2026-03-01", "10:00:00", "00:00:01", "2.000000", "1"),
        entry("2026-03-01", "10:00:01", "00:00:01", "2.000000", "1"),
        entry("2026-03-01", "10:00:00", "00:00:10", "noise", "1"),
    };
    const ActivityReport report = buildActivityReport(log, {});
    std::vector<std::string> order;
    for (const auto& row : report.frequencies) {
        order.push_back(row.frequency);
    }
    // 2.0 has the most hits; 430 the most airtime of the rest; 99.5 sorts
    // before 145.5 by value though not by text; a text that is no number last.
    EXPECT_EQ(order, (std::vector<std::string>{"2.000000", "430.000000", "99.500000", "145.500000",
                                               "noise"}));
}

TEST(ActivityReportTest, TheRangeIncludesBothEndDaysWholly) {
    const std::vector<LogEntry> log = {
        entry("2026-02-28", "23:59:59", "00:00:05", "1.0", "1"),
        entry("2026-03-01", "00:00:00", "00:00:05", "1.0", "1"),
        entry("2026-03-03", "23:59:59", "00:00:05", "1.0", "1"),
        entry("2026-03-04", "00:00:00", "00:00:05", "1.0", "1"),
    };
    const ActivityReport report = buildActivityReport(log, {"2026-03-01", "2026-03-03"});
    EXPECT_EQ(report.entriesCounted, 2u);
    ASSERT_EQ(report.frequencies.size(), 1u);
    EXPECT_EQ(report.frequencies[0].firstHeard, "2026-03-01 00:00:00");
    EXPECT_EQ(report.frequencies[0].lastHeard, "2026-03-03 23:59:59");
    ASSERT_EQ(report.days.size(), 3u) << "the quiet day between is listed";
    EXPECT_EQ(report.days[1].date, "2026-03-02");
    EXPECT_EQ(report.days[1].activity.hits, 0);
    // The log's own days stay known, for a window's default range.
    EXPECT_EQ(report.firstDay, "2026-02-28");
    EXPECT_EQ(report.lastDay, "2026-03-04");

    const ActivityReport openStart = buildActivityReport(log, {"", "2026-02-28"});
    EXPECT_EQ(openStart.entriesCounted, 1u);
    const ActivityReport openEnd = buildActivityReport(log, {"2026-03-04", ""});
    EXPECT_EQ(openEnd.entriesCounted, 1u);
    const ActivityReport nothing = buildActivityReport(log, {"2026-03-05", "2026-03-09"});
    EXPECT_TRUE(nothing.frequencies.empty());
    EXPECT_TRUE(nothing.days.empty());
}

TEST(ActivityReportTest, ATransmissionAcrossMidnightBelongsToTheHourAndDayItBegan) {
    const std::vector<LogEntry> log = {
        entry("2026-03-01", "23:58:00", "00:05:00", "145.5", "50"),
        entry("2026-03-02", "00:01:00", "00:00:10", "145.5", "50"),
    };
    const ActivityReport report = buildActivityReport(log, {"2026-03-01", "2026-03-01"});
    EXPECT_EQ(report.hours[23].hits, 1);
    EXPECT_EQ(report.hours[23].airtimeSeconds, 300);
    EXPECT_EQ(report.hours[0].hits, 0);
    ASSERT_EQ(report.days.size(), 1u);
    EXPECT_EQ(report.days[0].activity.airtimeSeconds, 300);
    ASSERT_EQ(report.frequencies.size(), 1u);
    EXPECT_EQ(report.frequencies[0].lastHeard, "2026-03-01 23:58:00");
}

TEST(ActivityReportTest, UnknownDurationsAndLevelsCountAsHitsButNotAsValues) {
    const std::vector<LogEntry> log = {
        entry("2026-03-01", "10:00:00", "-", "145.5", "-"),
        entry("2026-03-01", "10:00:00", "", "145.5", "   "),
        entry("2026-03-01", "10:00:00", "00:61:00", "145.5", "1234"),
        entry("2026-03-01", "11:00:00", "-", "118.1", "-"),
        entry("2026-03-01", "11:00:00", "00:00:04", "118.1", "007"),
    };
    const ActivityReport report = buildActivityReport(log, {});
    const FrequencyActivity* unknown = rowOf(report, "145.5");
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->hits, 3);
    EXPECT_EQ(unknown->airtimeSeconds, 0);
    EXPECT_FALSE(unknown->longestSeconds.has_value());
    EXPECT_FALSE(unknown->meanLevel().has_value());
    EXPECT_FALSE(unknown->maxLevel.has_value());

    const FrequencyActivity* mixed = rowOf(report, "118.1");
    ASSERT_NE(mixed, nullptr);
    EXPECT_EQ(mixed->airtimeSeconds, 4);
    EXPECT_EQ(mixed->longestSeconds, 4);
    EXPECT_DOUBLE_EQ(mixed->meanLevel().value_or(-1), 7.0) << "the mean of the known levels";
    EXPECT_EQ(report.hours[10].hits, 3);

    const std::string csv = reportCsv(report);
    EXPECT_NE(csv.find("\n145.5,3,0,,2026-03-01 10:00:00,2026-03-01 10:00:00,,,0\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(reportText(report).find("145.5  "), std::string::npos);
}

TEST(ActivityReportTest, EntriesWithoutAReadableDateOrTimeAreLeftOutAndCounted) {
    const std::vector<LogEntry> log = {
        entry("----------", "10:00:00", "00:00:01", "1.0", "1"),  // the reader's dash date
        entry("2026-02-30", "10:00:00", "00:00:01", "1.0", "1"),
        entry("2026-03-01", "24:00:00", "00:00:01", "1.0", "1"),
        entry("2026-03-01", "9:00:00", "00:00:01", "1.0", "1"),
        entry("2026-03-01", "09:00:00", "00:00:01", "1.0", "1"),
    };
    const ActivityReport report = buildActivityReport(log, {});
    EXPECT_EQ(report.unreadableEntries, 4u);
    EXPECT_EQ(report.entriesCounted, 1u);
    EXPECT_EQ(report.firstDay, "2026-03-01");
    EXPECT_EQ(report.hours[9].hits, 1);
}

TEST(ActivityReportTest, DaysAreFilledOnlyOverAPlausibleSpan) {
    const std::vector<LogEntry> far = {
        entry("0001-01-01", "10:00:00", "00:00:01", "1.0", "1"),
        entry("9999-12-31", "10:00:00", "00:00:01", "1.0", "1"),
    };
    const ActivityReport report = buildActivityReport(far, {});
    ASSERT_EQ(report.days.size(), 2u) << "a mistyped year must not make millions of days";
    EXPECT_EQ(report.days[0].date, "0001-01-01");
    EXPECT_EQ(report.days[1].date, "9999-12-31");

    const std::vector<LogEntry> leap = {
        entry("2028-02-28", "10:00:00", "00:00:01", "1.0", "1"),
        entry("2028-03-01", "10:00:00", "00:00:01", "1.0", "1"),
    };
    const ActivityReport filled = buildActivityReport(leap, {});
    ASSERT_EQ(filled.days.size(), 3u);
    EXPECT_EQ(filled.days[1].date, "2028-02-29");
}

TEST(ActivityReportTest, ReadsDurationsDatesAndLevels) {
    EXPECT_EQ(durationSeconds("00:00:00"), 0);
    EXPECT_EQ(durationSeconds("01:02:03"), 3723);
    EXPECT_EQ(durationSeconds("123:00:01"), 123 * 3600 + 1) << "hours of any width";
    EXPECT_FALSE(durationSeconds("-"));
    EXPECT_FALSE(durationSeconds("00:60:00"));
    EXPECT_FALSE(durationSeconds("00:00"));
    EXPECT_FALSE(durationSeconds("00:00:1x"));
    EXPECT_FALSE(durationSeconds(":00:00"));
    EXPECT_FALSE(durationSeconds("99999999999:00:00")) << "no overflow";

    EXPECT_TRUE(isReportDate("2028-02-29"));
    EXPECT_FALSE(isReportDate("2027-02-29"));
    EXPECT_FALSE(isReportDate("2026-13-01"));
    EXPECT_FALSE(isReportDate("2026-1-011"));
    EXPECT_FALSE(isReportDate("2026-01-01 "));

    EXPECT_EQ(levelValue("000"), 0);
    EXPECT_EQ(levelValue("255"), 255);
    EXPECT_FALSE(levelValue("-"));
    EXPECT_FALSE(levelValue(""));
    EXPECT_FALSE(levelValue("12a"));
}

// A small log as the log thread and a rewrite leave it: a title line, CR LF
// and LF lines, a line with four TABs.
const char* const kSmallLog =
    "Night of 1 March\n"
    "2026-03-01\t22:10:00\t00:00:12\t145.500000\t040\tn_260301_221000.wav\r\n"
    "2026-03-01\t23:59:30\t00:01:00\t145.500000\t061\t\xB0\xB0\xB0\r\n"
    "2026-03-02\t00:15:00\t00:00:05\t118,100000\t100\t\xB0\xB0\xB0\n"
    "2026-03-02\t01:00:00\t-\t433.125000\t-\n";

TEST(ActivityReportTest, CsvOfASmallLogIsExact) {
    const ActivityReport report = buildActivityReport(parseLogText(kSmallLog), {});
    EXPECT_EQ(reportCsv(report),
              "frequency_mhz,hits,airtime_s,longest_s,first_heard,last_heard,mean_level,"
              "max_level,audio_files\n"
              "145.500000,2,72,60,2026-03-01 22:10:00,2026-03-01 23:59:30,50.5,61,1\n"
              "\"118,100000\",1,5,5,2026-03-02 00:15:00,2026-03-02 00:15:00,100.0,100,0\n"
              "433.125000,1,0,,2026-03-02 01:00:00,2026-03-02 01:00:00,,,0\n");
}

TEST(ActivityReportTest, TextOfASmallLogIsAligned) {
    const ActivityReport report = buildActivityReport(parseLogText(kSmallLog), {"2026-03-01", ""});
    EXPECT_EQ(reportText(report),
              "FREQUENCY   HITS  AIRTIME  LONGEST  FIRST HEARD          LAST HEARD            "
              "MEAN  MAX  AUDIO\n"
              "145.500000     2  0:01:12  0:01:00  2026-03-01 22:10:00  2026-03-01 23:59:30   "
              "50.5   61      1\n"
              "118,100000     1  0:00:05  0:00:05  2026-03-02 00:15:00  2026-03-02 00:15:00  "
              "100.0  100      0\n"
              "433.125000     1  0:00:00        -  2026-03-02 01:00:00  2026-03-02 01:00:00      "
              "-    -      0\n");
}

class ReportCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("korvex-report-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        logFile = (dir / "night.log").string();
        std::ofstream(logFile, std::ios::binary) << kSmallLog;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    int run(std::vector<std::string_view> arguments) {
        out.str({});
        err.str({});
        return runReportCommand(arguments, out, err);
    }

    std::filesystem::path dir;
    std::string logFile;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ReportCommandTest, PrintsTheTableOrCsvForARange) {
    EXPECT_EQ(run({"--report", logFile, "--csv"}), kReportDone);
    EXPECT_EQ(out.str(), reportCsv(buildActivityReport(parseLogText(kSmallLog), {})));
    EXPECT_EQ(err.str(), "");

    EXPECT_EQ(run({"--report=" + logFile, "--from", "2026-03-02", "--to=2026-03-02", "--csv"}),
              kReportDone);
    EXPECT_EQ(out.str().find("145.500000"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("433.125000"), std::string::npos);

    EXPECT_EQ(run({"--report", logFile}), kReportDone);
    EXPECT_EQ(out.str().substr(0, 9), "FREQUENCY");
}

TEST_F(ReportCommandTest, AMissingOrUnreadableFileExitsOneWithTheReason) {
    EXPECT_EQ(run({"--report", (dir / "none.log").string()}), kReportFileError);
    EXPECT_NE(err.str().find("none.log: No such file or directory"), std::string::npos)
        << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(run({"--report", dir.string()}), kReportFileError);
    EXPECT_NE(err.str().find("Is a directory"), std::string::npos) << err.str();
}

TEST_F(ReportCommandTest, WrongOptionsExitTwoWithTheUsage) {
    for (const std::vector<std::string_view>& args : std::vector<std::vector<std::string_view>>{
             {"--report"},
             {"--csv"},
             {"--report", logFile, "--from"},
             {"--report", logFile, "--from", "2026-3-1"},
             {"--report", logFile, "--to", "2026-02-30"},
             {"--report", logFile, "--from", "2026-03-02", "--to", "2026-03-01"},
             {"--report", logFile, "--verbose"},
             {"--report", logFile, "--tox=1"}}) {
        EXPECT_EQ(run(args), kReportUsageError) << args.back();
        EXPECT_NE(err.str().find("usage: korvex --report"), std::string::npos);
        EXPECT_EQ(out.str(), "");
    }
}

TEST(ReportCommandOptionsTest, AReportIsAskedForByAnyOfItsOptionsBeforeADoubleDash) {
    using Args = std::vector<std::string_view>;
    EXPECT_TRUE(asksForReport(Args{"--report", "x.log"}));
    EXPECT_TRUE(asksForReport(Args{"--report=x.log"}));
    EXPECT_TRUE(asksForReport(Args{"--csv"}));
    EXPECT_TRUE(asksForReport(Args{"--no-splash", "--from", "2026-03-01"}));
    EXPECT_FALSE(asksForReport(Args{"--simulate", "--port", "/dev/ttyS0"}));
    EXPECT_FALSE(asksForReport(Args{"--", "--report"}));
    EXPECT_FALSE(asksForReport(Args{"--reporting"}));
}

}  // namespace
}  // namespace korvex::test
