#include "web/WebApi.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QUrlQuery>
#include <algorithm>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "model/Tables.h"
#include "ui/Cp1252.h"

namespace korvex {

namespace {

// The page's name of an operating state; nothing while it is not known.
std::optional<std::string> vfoName(int state) {
    switch (state) {
        case kStateVfo:
            return "VFO";
        case kStateVfoA:
        case kStateVvA:
            return "A";
        case kStateVfoB:
        case kStateVvB:
            return "B";
        case kStateSearch:
        case kStateVfoSearchA:
        case kStateVfoSearchB:
            return "SEARCH";
        case kStateMemoryRead:
            return "MEMORY";
        case kStateMemoryScan:
        case kStateSelectScan:
            return "SCAN";
        default:
            return std::nullopt;
    }
}

template <typename T>
QJsonValue orNull(const std::optional<T>& value) {
    if (!value) {
        return QJsonValue(QJsonValue::Null);
    }
    if constexpr (std::is_same_v<T, std::string>) {
        return fromCp1252(*value);
    } else if constexpr (std::is_same_v<T, std::int64_t>) {
        return QJsonValue(static_cast<qint64>(*value));
    } else {
        return QJsonValue(*value);
    }
}

const char* linkName(LinkCondition link) {
    switch (link) {
        case LinkCondition::Ok:
            return "ok";
        case LinkCondition::Error:
            return "error";
        case LinkCondition::Closed:
            return "closed";
    }
    return "closed";
}

// Bytes of the filter found within the frequency text or the date.
bool passes(const LogEntry& entry, const std::string& filter) {
    return filter.empty() || entry.frequency.find(filter) != std::string::npos ||
           entry.date.find(filter) != std::string::npos;
}

QJsonObject entryJson(std::size_t index, const LogEntry& entry) {
    QJsonObject o;
    o.insert("index", static_cast<qint64>(index));
    o.insert("date", fromCp1252(entry.date));
    o.insert("time", fromCp1252(entry.time));
    o.insert("duration", fromCp1252(entry.duration));
    o.insert("frequency", fromCp1252(entry.frequency));
    o.insert("level", fromCp1252(entry.level));
    o.insert("audio", entry.hasAudio() ? QJsonValue(fromCp1252(entry.audioFile))
                                       : QJsonValue(QJsonValue::Null));
    return o;
}

std::optional<std::size_t> count(const QUrlQuery& query, const char* key, std::size_t fallback) {
    if (!query.hasQueryItem(key)) {
        return fallback;
    }
    const QString text = query.queryItemValue(key);
    bool ok = false;
    const qulonglong n = text.toULongLong(&ok);
    if (!ok || text.isEmpty() || !text.front().isDigit()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(std::min<qulonglong>(n, 1'000'000'000ULL));
}

// "-12" or "-3.5": a negative number and nothing else. A lone "-" (no
// value) is as harmless.
bool isPlainNegative(const QString& text) {
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("-([0-9]+(\\.[0-9]+)?)?")));
    return number.match(text).hasMatch();
}

void appendCsvField(QByteArray& out, const std::string& field) {
    QString text = fromCp1252(field);
    // A spreadsheet runs a cell that begins like a formula; "-2+3+..." is
    // one as well.
    if (!text.isEmpty()) {
        const QChar c = text.front();
        const bool formula = c == u'=' || c == u'+' || c == u'@' || c == u'\t' || c == u'\r' ||
                             (c == u'-' && !isPlainNegative(text));
        if (formula) {
            text.prepend(u'\'');
        }
    }
    const bool quote =
        text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r');
    if (quote) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        out += '"';
        out += text.toUtf8();
        out += '"';
    } else {
        out += text.toUtf8();
    }
}

QJsonValue optionalNumber(const std::optional<std::int64_t>& n) {
    return n ? QJsonValue(static_cast<qint64>(*n)) : QJsonValue(QJsonValue::Null);
}

QJsonObject bucketJson(const ActivityBucket& bucket) {
    QJsonObject o;
    o.insert("hits", static_cast<qint64>(bucket.hits));
    o.insert("airtime_s", static_cast<qint64>(bucket.airtimeSeconds));
    return o;
}

}  // namespace

StationStatus statusFromReceiver(const CReceiver& rx, LinkCondition link, bool recording) {
    StationStatus s;
    if (rx.tunedHz > 0) {
        s.frequencyHz = rx.tunedHz;
    }
    if (rx.statusReplies > 0 && rx.mode >= 0 &&
        rx.mode < static_cast<int>(kModeNamesByIndex.size())) {
        s.mode = std::string(kModeNamesByIndex[static_cast<std::size_t>(rx.mode)]);
    }
    s.vfo = vfoName(rx.operatingState);
    if ((rx.operatingState == kStateMemoryRead || rx.operatingState == kStateMemoryScan ||
         rx.operatingState == kStateSelectScan) &&
        !rx.memoryChannel.empty()) {
        s.channel = rx.memoryChannel;
    }
    s.squelchOpen = rx.squelchOpen;
    s.level = rx.signalLevel;
    s.logRunning = rx.logActive.load();
    s.recording = recording;
    s.link = linkName(link);
    return s;
}

QByteArray statusJson(const StationStatus& s, std::size_t logEntries) {
    QJsonObject o;
    o.insert("frequency_hz", orNull(s.frequencyHz));
    o.insert("mode", orNull(s.mode));
    o.insert("vfo", orNull(s.vfo));
    o.insert("channel", orNull(s.channel));
    o.insert("squelch_open", orNull(s.squelchOpen));
    o.insert("level", orNull(s.level));
    o.insert("log_running", s.logRunning);
    o.insert("recording", s.recording);
    o.insert("link", orNull(s.link));
    o.insert("log_entries", static_cast<qint64>(logEntries));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<LogPageQuery> parseLogQuery(const QUrlQuery& query) {
    LogPageQuery q;
    const auto offset = count(query, "offset", 0);
    const auto limit = count(query, "limit", q.limit);
    if (!offset || !limit || *limit == 0) {
        return std::nullopt;
    }
    q.offset = *offset;
    q.limit = std::min(*limit, LogPageQuery::kMaxLimit);
    const QString filter = query.queryItemValue("q", QUrl::FullyDecoded).trimmed();
    if (filter.size() > 64) {
        return std::nullopt;
    }
    q.filter = toCp1252(filter);
    return q;
}

QByteArray logPageJson(const CZelDoc& document, const LogPageQuery& query) {
    // The page's entries are picked under the document's lock, newest first;
    // only they are copied. A filter still has to look at every entry to
    // count the matches, but copies nothing else.
    std::vector<std::pair<std::size_t, LogEntry>> page;
    std::size_t total = 0;
    document.visitEntries([&](const std::vector<LogEntry>& entries) {
        page.reserve(std::min(query.limit, entries.size()));
        if (query.filter.empty()) {
            total = entries.size();
            for (std::size_t k = query.offset; k < entries.size() && page.size() < query.limit;
                 ++k) {
                const std::size_t index = entries.size() - 1 - k;
                page.emplace_back(index, entries[index]);
            }
            return;
        }
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const std::size_t index = entries.size() - 1 - k;
            if (!passes(entries[index], query.filter)) {
                continue;
            }
            if (total >= query.offset && page.size() < query.limit) {
                page.emplace_back(index, entries[index]);
            }
            ++total;
        }
    });
    QJsonArray list;
    for (const auto& [index, entry] : page) {
        list.append(entryJson(index, entry));
    }
    QJsonObject o;
    o.insert("total", static_cast<qint64>(total));
    o.insert("offset", static_cast<qint64>(query.offset));
    o.insert("entries", list);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray logCsvHeader() {
    return "index,date,time,duration,frequency,level,audio\r\n";
}

QByteArray logCsvLines(const CZelDoc& document, std::size_t first, std::size_t n) {
    QByteArray out;
    document.visitEntries([&](const std::vector<LogEntry>& entries) {
        for (std::size_t i = first; i < entries.size() && i < first + n; ++i) {
            const LogEntry& e = entries[i];
            out += QByteArray::number(static_cast<qulonglong>(i));
            for (std::size_t f = 0; f + 1 < LogEntry::kFieldCount; ++f) {
                out += ',';
                appendCsvField(out, e.field(f));
            }
            out += ',';
            if (e.hasAudio()) {
                appendCsvField(out, e.audioFile);
            }
            out += "\r\n";
        }
    });
    return out;
}

std::optional<ReportRange> parseReportQuery(const QUrlQuery& query) {
    ReportRange range;
    range.from = query.queryItemValue("from").toStdString();
    range.to = query.queryItemValue("to").toStdString();
    if ((!range.from.empty() && !isReportDate(range.from)) ||
        (!range.to.empty() && !isReportDate(range.to))) {
        return std::nullopt;
    }
    return range;
}

QByteArray reportJson(const ActivityReport& report) {
    QJsonArray frequencies;
    const std::size_t listed = std::min(report.frequencies.size(), kReportFrequencies);
    for (const FrequencyActivity& f : std::span(report.frequencies).first(listed)) {
        QJsonObject o;
        o.insert("frequency", fromCp1252(f.frequency));
        o.insert("hits", static_cast<qint64>(f.hits));
        o.insert("airtime_s", static_cast<qint64>(f.airtimeSeconds));
        o.insert("longest_s", optionalNumber(f.longestSeconds));
        o.insert("first_heard", fromCp1252(f.firstHeard));
        o.insert("last_heard", fromCp1252(f.lastHeard));
        const auto mean = f.meanLevel();
        o.insert("mean_level", mean ? QJsonValue(*mean) : QJsonValue(QJsonValue::Null));
        o.insert("max_level", f.maxLevel ? QJsonValue(*f.maxLevel) : QJsonValue(QJsonValue::Null));
        o.insert("audio_files", static_cast<qint64>(f.audioFiles));
        frequencies.append(o);
    }
    QJsonArray hours;
    for (std::size_t h = 0; h < report.hours.size(); ++h) {
        QJsonObject o = bucketJson(report.hours[h]);
        o.insert("hour", static_cast<int>(h));
        hours.append(o);
    }
    QJsonArray days;
    for (const DayActivity& d : report.days) {
        QJsonObject o = bucketJson(d.activity);
        o.insert("date", fromCp1252(d.date));
        days.append(o);
    }
    QJsonObject o;
    o.insert("entries", static_cast<qint64>(report.entriesCounted));
    o.insert("unreadable", static_cast<qint64>(report.unreadableEntries));
    o.insert("first_day", fromCp1252(report.firstDay));
    o.insert("last_day", fromCp1252(report.lastDay));
    o.insert("frequencies", frequencies);
    o.insert("frequencies_total", static_cast<qint64>(report.frequencies.size()));
    o.insert("hours", hours);
    o.insert("days", days);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

}  // namespace korvex
