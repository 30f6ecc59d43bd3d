// The list's text rules, the mode search, Tune's commands, Jump and the entry
// date forms, without any table behind them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "database/DbDao.h"
#include "tests/database/CommaLocale.h"

namespace korvex::db {
namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0) {
    return {y, mo, d, h, mi, 0};
}

struct TextCase {
    const char* what;
    Value value;
    int type;
    std::size_t role;
    bool inKhz;
    const char* expected;
};

TEST(RecordText, EveryTypeReadsAsTheListShowsIt) {
    const TextCase cases[] = {
        {"FREQ number, MHz", Value::ofNumber(145.5), kNumeric, 0, false, "145.500000"},
        {"FREQ double, MHz", Value::ofNumber(0.1), kDouble, 0, false, "0.100000"},
        {"FREQ number, kHz", Value::ofNumber(145500), kDouble, 0, true, "145500.000"},
        {"short kHz, padded then trimmed", Value::ofNumber(7.5), kNumeric, 0, true, "7.500"},
        {"FREQ rounding to six places", Value::ofNumber(118.1234567), kDouble, 0, false,
         "118.123457"},
        {"other role number", Value::ofNumber(3), kNumeric, 4, false, "3.000000"},
        {"other role number, kHz slot", Value::ofNumber(2.5), kDouble, 2, true, "2.500000"},
        {"negative number", Value::ofNumber(-1.25), kDouble, 3, false, "-1.250000"},
        {"FREQ text with a comma", Value::ofText(" 145,5 "), kText, 0, false, "145.500000"},
        {"FREQ text in kHz", Value::ofText("7025,25"), kText, 0, true, "7025.250"},
        {"FREQ text with a unit", Value::ofText("145.5 MHz"), kText, 0, false, "145.500000"},
        {"FREQ text that is no number", Value::ofText("unknown"), kText, 0, false, "unknown"},
        {"FREQ text blank", Value::ofText("   "), kText, 0, false, ""},
        {"other text trimmed, comma kept", Value::ofText("\t Tower, 1 \r\n"), kText, 2, false,
         "Tower, 1"},
        {"null", Value::null(), kText, 1, false, ""},
        {"null of an unsupported type", Value::null(), kMemo, 1, false, ""},
        {"empty text", Value::ofText(""), kText, 1, false, ""},
        {"date and time", Value::ofDate(at(2024, 3, 7, 14, 5)), kDateTime, 5, false,
         "2024-03-07 14:05"},
        {"date only", Value::ofDate(at(1999, 12, 31)), kDateTime, 5, false, "1999-12-31"},
        {"time at a full hour counts", Value::ofDate(at(2024, 3, 7, 12, 0)), kDateTime, 5, false,
         "2024-03-07 12:00"},
        {"time in the first hour counts", Value::ofDate(at(2024, 3, 7, 0, 30)), kDateTime, 5, false,
         "2024-03-07 00:30"},
        {"time alone on day zero", Value::ofDate(at(1899, 12, 30, 9, 15)), kDateTime, 5, false,
         "09:15"},
        {"first and last counting years", Value::ofDate(at(1901, 1, 1)), kDateTime, 5, false,
         "1901-01-01"},
        {"", Value::ofDate(at(2999, 12, 31, 23, 59)), kDateTime, 5, false, "2999-12-31 23:59"},
        {"year 1900 does not count", Value::ofDate(at(1900, 6, 1, 8, 0)), kDateTime, 5, false,
         "08:00"},
        {"year 3000 does not count", Value::ofDate(at(3000, 1, 1, 0, 1)), kDateTime, 5, false,
         "00:01"},
        {"neither date nor time", Value::ofDate(at(1899, 12, 30)), kDateTime, 5, false, ""},
        {"bad date", {Value::Kind::BadDate, 0, "2024-13-01", {}}, kDateTime, 5, false, "?date?"},
        {"month zero", Value::ofDate(at(2024, 0, 10)), kDateTime, 5, false, "?date?"},
        {"30 February", Value::ofDate(at(2024, 2, 30)), kDateTime, 5, false, "?date?"},
        {"29 February of a leap year", Value::ofDate(at(2024, 2, 29)), kDateTime, 5, false,
         "2024-02-29"},
        {"29 February otherwise", Value::ofDate(at(2100, 2, 29)), kDateTime, 5, false, "?date?"},
        {"unsupported type", Value::ofText("yes"), kBoolean, 3, false, "?!?"},
        {"memo", Value::ofText("long"), kMemo, 0, false, "?!?"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(recordText(c.value, c.type, c.role, c.inKhz), c.expected) << c.what;
    }
}

TEST(RecordText, PreviewKeepsTheSignColumnOfItsNumbers) {
    EXPECT_EQ(previewText(Value::ofNumber(145.5), kNumeric), " 145.500000");
    EXPECT_EQ(previewText(Value::ofNumber(-2), kDouble), "-2.000000");
    EXPECT_EQ(previewText(Value::ofText(" 145,5 "), kText), "145,5");
    EXPECT_EQ(previewText(Value::ofNumber(1), kLong), "?!?");
    EXPECT_EQ(previewText(Value::ofDate(at(2024, 3, 7)), kDateTime), "2024-03-07");
}

TEST(RecordText, ACommaLocaleChangesNeitherWritingNorReading) {
    test::CLocaleAtEnd restore;
    if (!test::switchToCommaLocale()) {
        GTEST_SKIP() << "no German locale could be made here";
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the locale is not in force";

    EXPECT_EQ(recordText(Value::ofNumber(145.5), kNumeric, 0, false), "145.500000");
    EXPECT_EQ(recordText(Value::ofNumber(7025.25), kNumeric, 0, true), "7025.250");
    EXPECT_EQ(recordText(Value::ofNumber(2), kDouble, 3, false), "2.000000");
    EXPECT_EQ(recordText(Value::ofText("145.5"), kText, 0, false), "145.500000");
    EXPECT_EQ(recordText(Value::ofText("145,5"), kText, 0, false), "145.500000");
    EXPECT_EQ(previewText(Value::ofNumber(1.5), kDouble), " 1.500000");
}

TEST(ModeInText, FirstNameInOrderWithAmNotInsideWamOrNam) {
    const std::pair<const char*, const char*> cases[] = {
        {"WAM", "WAM"},
        {"NAM", "NAM"},
        {"AM", "AM"},
        {"am broadcast", "AM"},
        {"Broadcast AM", "AM"},
        {"NAM then AM", "AM"},
        {"nfm", "NFM"},
        {"FM", ""},
        {"", ""},
        {"voice", ""},
        {"WFM stereo", "WFM"},
        {"usb", "USB"},
        {"LSB", "LSB"},
        {"cw beacon", "CW"},
        {"SFM", "SFM"},
        {"NFM or AM", "NFM"},
        {"CW/USB", "USB"},
        {"xwam", "WAM"},
        {"DAMPED", "AM"},
    };
    for (const auto& [text, mode] : cases) {
        EXPECT_EQ(modeInText(text), mode) << '"' << text << '"';
    }
}

TEST(TuneCommands, FrequencyThenModeFromTheFixedTable) {
    const std::string refresh = "RX\rAF\rNL\rDB\rSB\rXB\r";
    EXPECT_EQ(tuneCommands("145.500000", "nfm voice", false, false),
              "RF0145500000\r" + refresh + "MD1\rRX\r");
    EXPECT_EQ(tuneCommands("7025.250", "AM", true, false),
              "RF0007025250\r" + refresh + "MD2\rRX\r");
    // kHz text read as MHz would be far above the receiver's range.
    EXPECT_EQ(tuneCommands("7025.250", "AM", false, false), "");
    EXPECT_EQ(tuneCommands("145.500000", "FM", false, false), "RF0145500000\r" + refresh);
    EXPECT_EQ(tuneCommands("2500.000000", "NAM", false, false), "");
    EXPECT_EQ(tuneCommands("2500.000000", "NAM", false, true),
              "RF2500000000\r" + refresh + "MD8\rRX\r");
    EXPECT_EQ(tuneCommands("", "AM", false, false), "");
    EXPECT_EQ(tuneCommands("?date?", "AM", false, false), "");
}

TEST(Jump, FirstRowAtOrAboveTheReceiver) {
    const std::vector<std::string_view> rows = {"118.100000", "145.500000", "145,525000",
                                                "?!?",        "",           "430.000000"};
    EXPECT_EQ(jumpRow(rows, 100000000), 0);
    EXPECT_EQ(jumpRow(rows, 118100000), 0);
    EXPECT_EQ(jumpRow(rows, 118100050), 1);
    EXPECT_EQ(jumpRow(rows, 145500001), 2);
    EXPECT_EQ(jumpRow(rows, 145525001), 5);
    EXPECT_EQ(jumpRow(rows, 430000001), -1);
    EXPECT_EQ(jumpRow({}, 1), -1);
    // A kHz list gives hertz the same way.
    EXPECT_EQ(jumpRow({"7025.250", "14200.000"}, 7025300), 1);
}

TEST(Jump, FrequencyDigitsAreTheTextWithoutSeparators) {
    EXPECT_EQ(frequencyDigits("145.500000"), 145500000);
    EXPECT_EQ(frequencyDigits("1.234,5"), 12345);
    EXPECT_EQ(frequencyDigits("7025.250"), 7025250);
    EXPECT_EQ(frequencyDigits(""), std::nullopt);
    EXPECT_EQ(frequencyDigits("."), std::nullopt);
    EXPECT_EQ(frequencyDigits("145.5 MHz"), std::nullopt);
    EXPECT_EQ(frequencyDigits("99999999999999999999"), std::nullopt);
}

TEST(EntryDate, TheThreeFormsExactly) {
    EXPECT_EQ(parseEntryDate("2024-03-07 14:05")->minute, 5);
    const auto full = parseEntryDate("2024-03-07 14:05");
    EXPECT_EQ((std::array{full->year, full->month, full->day, full->hour}),
              (std::array{2024, 3, 7, 14}));
    const auto date = parseEntryDate("2024-12-31");
    ASSERT_TRUE(date);
    EXPECT_EQ((std::array{date->year, date->month, date->day, date->hour, date->minute}),
              (std::array{2024, 12, 31, 0, 0}));
    const auto time = parseEntryDate("00:30");
    ASSERT_TRUE(time);
    EXPECT_EQ((std::array{time->year, time->month, time->day, time->hour, time->minute}),
              (std::array{1899, 12, 30, 0, 30}));

    for (const char* refused :
         {"2024-3-7", "2024-3-07", "2024-03-7", "24-03-07", "2024/03/07", "2024-03-07 1:05",
          "2024-03-07T14:05", "9:15", "09.15", "0915", "", "2024-03-07 14:05:00", "2024-0a-07",
          "2024-03-07  4:05", "2024-02-30", "2024-13-01", "24:00", "12:60"}) {
        EXPECT_FALSE(parseEntryDate(refused)) << '"' << refused << '"';
    }
}

}  // namespace
}  // namespace korvex::db
