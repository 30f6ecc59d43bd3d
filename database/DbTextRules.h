#pragma once

// Number and date helpers behind the database's texts. They never look at
// the C locale: a German LC_NUMERIC must not turn "145.500000" into
// "145,500000" or stop "145.5" from reading as a number.

#include <optional>
#include <string>
#include <string_view>

#include "database/Engine.h"

namespace korvex::db {

// The text without leading and trailing blanks, tabs and line ends.
std::string trimmed(std::string_view text);

// printf's "%<width>.<precision>f": fixed notation, padded on the left with
// blanks to `width` characters.
std::string formatFixed(double number, int precision, int width = 0);

// The decimal number at the start of the text (an optional sign, digits and
// a "." fraction, an exponent), as atof would read it; nothing when the text
// does not start with one.
std::optional<double> leadingNumber(std::string_view text);

// A real calendar date (month 1..12, day within the month, leap years) and
// a real time of day.
bool isValidDateTime(const DateTime& d);

// The three entry forms by shape alone: "YYYY-MM-DD HH:MM", "YYYY-MM-DD" and
// "HH:MM" (on 1899-12-30), digits everywhere else; the values are not
// checked against the calendar.
std::optional<DateTime> entryDateForm(std::string_view text);

}  // namespace korvex::db
