#pragma once

#include <QAbstractTableModel>

#include "ui/ZelViewLayout.h"
#include "ui/ZelViewRows.h"

namespace korvex {

// The list view's rows and columns for Qt: byte texts kept as they are,
// shown through the Windows-1252 conversion.
class CZelViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Always ascending; selections and other persistent indexes follow their rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    void setLayout(const ListLayout& layout);
    const ListLayout& layout() const { return m_layout; }
    void setRows(ListRows rows);
    void clearRows();
    const ListRows& rows() const { return m_rows; }
    // An empty text for a cell outside the rows.
    const std::string& cell(int row, int column) const;

    // The database's first column sorts by its leading integer.
    void setFirstColumnNumeric(bool numeric) { m_firstColumnNumeric = numeric; }

private:
    ListLayout m_layout{};
    ListRows m_rows;
    bool m_firstColumnNumeric = false;
};

}  // namespace korvex
