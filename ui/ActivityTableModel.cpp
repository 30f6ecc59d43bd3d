#include "ui/ActivityTableModel.h"

#include <charconv>

#include "ui/Cp1252.h"

namespace korvex {

namespace {

QString orDash(const std::optional<std::int64_t>& value, bool asTime) {
    if (!value) {
        return QStringLiteral("-");
    }
    return asTime ? QString::fromStdString(formatSeconds(*value)) : QString::number(*value);
}

// The frequency's value for sorting; a text that is none sorts last.
double frequencyValue(const std::string& text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : 1e300;
}

QVariant shown(const FrequencyActivity& r, int column) {
    using C = CActivityTableModel;
    switch (column) {
        case C::Frequency:
            return fromCp1252(r.frequency);
        case C::Hits:
            return QString::number(r.hits);
        case C::Airtime:
            return QString::fromStdString(formatSeconds(r.airtimeSeconds));
        case C::Longest:
            return orDash(r.longestSeconds, true);
        case C::FirstHeard:
            return QString::fromStdString(r.firstHeard);
        case C::LastHeard:
            return QString::fromStdString(r.lastHeard);
        case C::MeanLevel:
            return r.meanLevel() ? QString::number(*r.meanLevel(), 'f', 1) : QStringLiteral("-");
        case C::MaxLevel:
            return r.maxLevel ? QString::number(*r.maxLevel) : QStringLiteral("-");
        case C::AudioFiles:
            return QString::number(r.audioFiles);
        default:
            return {};
    }
}

// Unknown values sort below every known one.
QVariant sortKey(const FrequencyActivity& r, int column) {
    using C = CActivityTableModel;
    switch (column) {
        case C::Frequency:
            return frequencyValue(r.frequency);
        case C::Hits:
            return static_cast<qlonglong>(r.hits);
        case C::Airtime:
            return static_cast<qlonglong>(r.airtimeSeconds);
        case C::Longest:
            return static_cast<qlonglong>(r.longestSeconds.value_or(-1));
        case C::FirstHeard:
            return QString::fromStdString(r.firstHeard);
        case C::LastHeard:
            return QString::fromStdString(r.lastHeard);
        case C::MeanLevel:
            return r.meanLevel().value_or(-1.0);
        case C::MaxLevel:
            return r.maxLevel.value_or(-1);
        case C::AudioFiles:
            return static_cast<qlonglong>(r.audioFiles);
        default:
            return {};
    }
}

}  // namespace

void CActivityTableModel::setRows(std::vector<FrequencyActivity> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int CActivityTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CActivityTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CActivityTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const FrequencyActivity& r = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return shown(r, index.column());
        case kSortRole:
            return sortKey(r, index.column());
        case Qt::TextAlignmentRole: {
            const bool text = index.column() == FirstHeard || index.column() == LastHeard;
            return int(Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight));
        }
        default:
            return {};
    }
}

QVariant CActivityTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const kTitles[ColumnCount] = {
        "Frequency (MHz)", "Hits",       "Airtime",   "Longest",    "First heard",
        "Last heard",      "Mean level", "Max level", "Audio files"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section])
                                                 : QVariant();
}

}  // namespace korvex
