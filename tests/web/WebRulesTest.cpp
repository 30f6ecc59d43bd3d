// The rules under the page's answers that have edge cases of their own:
// byte ranges, Record Now names, tokens, hosts, CSV fields and the report's
// length.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "log/ZelDoc.h"
#include "web/WebApi.h"
#include "web/WebAuth.h"
#include "web/WebFiles.h"

namespace korvex {
namespace {

TEST(WebRulesTest, ByteRanges) {
    struct Case {
        const char* header;
        RangeKind kind;
        std::uint64_t first, last;
    };
    const Case cases[] = {
        {"", RangeKind::Whole, 0, 0},
        {"bytes=0-99", RangeKind::Part, 0, 99},
        {"bytes=100-", RangeKind::Part, 100, 999},
        {"bytes=900-5000", RangeKind::Part, 900, 999},  // the end is cut to the file
        {"bytes=-10", RangeKind::Part, 990, 999},
        {"bytes=-5000", RangeKind::Part, 0, 999},
        {"bytes=999-999", RangeKind::Part, 999, 999},
        {"bytes=1000-", RangeKind::Unsatisfiable, 0, 0},
        {"bytes=-0", RangeKind::Unsatisfiable, 0, 0},
        {"bytes=5-1", RangeKind::Whole, 0, 0},      // bad syntax: the whole file
        {"bytes=0-1,5-6", RangeKind::Whole, 0, 0},  // several ranges: the whole file
        {"items=0-1", RangeKind::Whole, 0, 0},
        {"bytes=a-b", RangeKind::Whole, 0, 0},
        {"bytes=-", RangeKind::Whole, 0, 0},
        {"bytes=99999999999999999999999-", RangeKind::Whole, 0, 0},  // overflows
    };
    for (const Case& c : cases) {
        const RangeRequest r = parseRange(c.header, 1000);
        EXPECT_EQ(r.kind, c.kind) << c.header;
        if (c.kind == RangeKind::Part) {
            EXPECT_EQ(r.range.first, c.first) << c.header;
            EXPECT_EQ(r.range.last, c.last) << c.header;
        }
    }
    EXPECT_EQ(parseRange("bytes=0-", 0).kind, RangeKind::Unsatisfiable);
}

TEST(WebRulesTest, RecordNowNamesAndTokens) {
    EXPECT_TRUE(isRecordNowName("m040315_140231.wav"));
    EXPECT_FALSE(isRecordNowName("m040315_140231.WAV"));
    EXPECT_FALSE(isRecordNowName("m04031a_140231.wav"));
    EXPECT_FALSE(isRecordNowName("x040315_140231.wav"));
    EXPECT_FALSE(isRecordNowName("m040315_140231.wav.lnk"));

    const std::string a = makeAccessToken();
    const std::string b = makeAccessToken();
    EXPECT_EQ(a.size(), 32u);
    EXPECT_NE(a, b);
    EXPECT_TRUE(isUsableToken(a));
    EXPECT_FALSE(isUsableToken("short"));
    EXPECT_FALSE(isUsableToken(std::string(32, 'a') + " "));
    EXPECT_TRUE(sameToken(a, a));
    EXPECT_FALSE(sameToken(a.substr(0, 31), a));
    EXPECT_FALSE(sameToken(a + "x", a));
    EXPECT_FALSE(sameToken("", ""));  // no token set: nothing matches

    EXPECT_TRUE(isLoopbackBind("127.0.0.1"));
    EXPECT_TRUE(isLoopbackBind("::1"));
    EXPECT_TRUE(isLoopbackBind("localhost"));
    EXPECT_FALSE(isLoopbackBind("0.0.0.0"));
    EXPECT_FALSE(isLoopbackBind("192.168.1.5"));
    EXPECT_FALSE(isLoopbackBind("nonsense"));

    // The Host a loopback server answers to: the usual names and its own
    // address, with or without its port.
    EXPECT_TRUE(isLoopbackHost("127.0.0.1:8600", 8600, "127.0.0.1"));
    EXPECT_TRUE(isLoopbackHost("localhost", 8600, "127.0.0.1"));
    EXPECT_TRUE(isLoopbackHost("127.0.0.2:8600", 8600, "127.0.0.2"));
    EXPECT_TRUE(isLoopbackHost("[::1]:8600", 8600, "::1"));
    EXPECT_FALSE(isLoopbackHost("127.0.0.2:8600", 8600, "127.0.0.1"));
    EXPECT_FALSE(isLoopbackHost("127.0.0.2:8601", 8600, "127.0.0.2"));
    EXPECT_FALSE(isLoopbackHost("evil.example:8600", 8600, "localhost"));
}

TEST(WebRulesTest, CsvFieldsAreQuotedAndDefused) {
    CZelDoc doc;
    LogEntry e;
    e.date = "2026-12-09";
    e.time = "10:00:00";
    e.duration = "-";
    e.frequency = "=HYPERLINK(\"x\")";
    e.level = "1,5";
    e.audioFile = "a\xE9.wav";  // Windows-1252 é
    doc.appendEntry(e);
    EXPECT_EQ(logCsvLines(doc, 0, 10).toStdString(),
              "0,2026-12-09,10:00:00,-,\"'=HYPERLINK(\"\"x\"\")\",\"1,5\",a\xC3\xA9.wav\r\n");
    EXPECT_EQ(logCsvLines(doc, 1, 10), QByteArray());

    // Only a whole negative number may begin with a minus.
    e.audioFile.clear();
    e.duration = "-12";
    e.frequency = "-2+3+cmd|' /C calc'!A0";
    e.level = "-3.5";
    doc.appendEntry(e);
    e.duration = "-1e3";
    e.frequency = "-5\n";
    e.level = "-7.";
    doc.appendEntry(e);
    EXPECT_EQ(logCsvLines(doc, 1, 2).toStdString(),
              "1,2026-12-09,10:00:00,-12,'-2+3+cmd|' /C calc'!A0,-3.5,\r\n"
              "2,2026-12-09,10:00:00,'-1e3,\"'-5\n\",'-7.,\r\n");
}

TEST(WebRulesTest, ReportListsTheBusiestFrequenciesAndCountsAll) {
    ActivityReport report;
    for (int i = 0; i < 60; ++i) {
        FrequencyActivity f;
        f.frequency = std::to_string(100 + i) + ".000000";
        f.hits = 100 - i;
        report.frequencies.push_back(f);
    }
    const QJsonObject o = QJsonDocument::fromJson(reportJson(report)).object();
    const QJsonArray listed = o.value("frequencies").toArray();
    ASSERT_EQ(listed.size(), static_cast<qsizetype>(kReportFrequencies));
    EXPECT_EQ(listed.first().toObject().value("frequency").toString(), "100.000000");
    EXPECT_EQ(o.value("frequencies_total").toInt(), 60);
    EXPECT_EQ(o.value("hours").toArray().size(), 24);
}

}  // namespace
}  // namespace korvex
