#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "log/ActivityReport.h"

namespace korvex {

// The frequency rows of an activity report as a table: shown texts for
// display, numbers under kSortRole so that every column sorts by value.
class CActivityTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kSortRole = Qt::UserRole;
    enum Column {
        Frequency,
        Hits,
        Airtime,
        Longest,
        FirstHeard,
        LastHeard,
        MeanLevel,
        MaxLevel,
        AudioFiles,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<FrequencyActivity> rows);
    const FrequencyActivity& row(int index) const {
        return m_rows.at(static_cast<std::size_t>(index));
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<FrequencyActivity> m_rows;
};

}  // namespace korvex
