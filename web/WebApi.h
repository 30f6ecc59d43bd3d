#pragma once

// The JSON and CSV bodies of the page's API, made from the station's state
// and the log without any network involved.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "log/ActivityReport.h"
#include "web/WebSource.h"

class QUrlQuery;

namespace korvex {

class CReceiver;
class CZelDoc;

// How the station's link stands, as the page names it.
enum class LinkCondition { Ok, Error, Closed };

// The receiver line from the model: values the receiver has not reported
// yet are left empty.
StationStatus statusFromReceiver(const CReceiver& receiver, LinkCondition link, bool recording);

// {"frequency_hz", "mode", "vfo", "channel", "squelch_open", "level",
// "log_running", "recording", "link", "log_entries"}; unknown values null.
// "log_entries" lets the page see that the log grew.
QByteArray statusJson(const StationStatus& status, std::size_t logEntries);

// One page of the log, newest first.
struct LogPageQuery {
    static constexpr std::size_t kMaxLimit = 500;
    std::size_t offset = 0;
    std::size_t limit = 50;
    std::string filter;  // Windows-1252 bytes; matched within the frequency or the date
};

// offset, limit (1..500) and q of a request; nothing when one is malformed.
std::optional<LogPageQuery> parseLogQuery(const QUrlQuery& query);

// {"total", "entries": [{"index", "date", "time", "duration", "frequency",
// "level", "audio"}]}: "total" counts the entries that pass the filter,
// "index" is the entry's place in the log (0 the oldest), "audio" the WAV
// name or null. Only the page's entries are copied out of the document.
QByteArray logPageJson(const CZelDoc& document, const LogPageQuery& query);

// The CSV of the log, in pieces: the header line, then the lines of the
// entries [first, first + count) in log order (fewer at the log's end).
// UTF-8, CR LF line ends, fields quoted where they hold a comma, a quote or
// a line end; a field a spreadsheet would take for a formula gets a leading
// apostrophe.
QByteArray logCsvHeader();
QByteArray logCsvLines(const CZelDoc& document, std::size_t first, std::size_t count);

// from/to of a report request; nothing when either is given and no real
// date "YYYY-MM-DD".
std::optional<ReportRange> parseReportQuery(const QUrlQuery& query);

// The busiest frequencies a report lists; a long log holds tens of
// thousands, and the page shows only the first of them.
inline constexpr std::size_t kReportFrequencies = 50;

// {"entries", "unreadable", "first_day", "last_day", "frequencies": [...]
// (the busiest kReportFrequencies), "frequencies_total", "hours": [{"hour",
// "hits", "airtime_s"} x 24], "days": [{"date", "hits", "airtime_s"}]}.
QByteArray reportJson(const ActivityReport& report);

}  // namespace korvex
