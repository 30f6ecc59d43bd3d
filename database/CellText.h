#pragma once

// Text rules shared by the spreadsheet-like engines (Excel and CSV): reading
// numbers and dates out of cell texts, and writing them back the way a
// spreadsheet shows them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "database/Engine.h"

namespace korvex::db {

// ASCII case-insensitive comparison, for table and field names.
bool equalsNoCase(std::string_view a, std::string_view b);

// A number with "." as the decimal point, an optional sign and an optional
// exponent; blanks around it are ignored. Nothing for any other text, for
// infinities and for NaN.
std::optional<double> parseNumber(std::string_view text);

// Days of a month (1..12) in the Gregorian calendar.
int daysInMonth(int year, int month);

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS" (blanks around
// ignored), a real calendar date with a valid time. With `timeAlone`, also
// "HH:MM:SS" or "HH:MM", placed on 1899-12-30.
std::optional<DateTime> parseDateText(std::string_view text, bool timeAlone);

// A spreadsheet day number (days since 1899-12-30, the fraction the time of
// day) as a date; nothing outside the years 100..9999.
std::optional<DateTime> dateFromSerial(double serial);

// A number as a spreadsheet shows it: an integer without ".0", otherwise up
// to 15 significant digits.
std::string numberText(double value);

// A number for a file that other programs read back: "." decimal point, no
// exponent, the shortest digits that read back to the same value.
std::string plainNumberText(double value);

// "YYYY-MM-DD", with " HH:MM" when the time is not midnight and ":SS" when
// the seconds are not zero.
std::string dateText(const DateTime& date);

// The name of a column without a header: "F" and the 1-based column number.
std::string unnamedColumn(std::size_t index);

}  // namespace korvex::db
