#include "ui/ZelViewModel.h"

#include "ui/Cp1252.h"

namespace korvex {

namespace {
const std::string kNoText;
}

int CZelViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CZelViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount;
}

QVariant CZelViewModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    return fromCp1252(cell(index.row(), index.column()));
}

QVariant CZelViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kListColumnCount) {
        return {};
    }
    return fromCp1252(m_layout[static_cast<std::size_t>(section)].caption);
}

const std::string& CZelViewModel::cell(int row, int column) const {
    if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= m_rows.size() ||
        column >= kListColumnCount) {
        return kNoText;
    }
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void CZelViewModel::setLayout(const ListLayout& layout) {
    m_layout = layout;
    emit headerDataChanged(Qt::Horizontal, 0, kListColumnCount - 1);
}

void CZelViewModel::setRows(ListRows rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CZelViewModel::clearRows() {
    setRows({});
}

void CZelViewModel::sort(int column, Qt::SortOrder) {
    if (column < 0 || column >= kListColumnCount || m_rows.size() < 2) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<std::size_t> order =
        sortOrder(m_rows, column, column == 0 && m_firstColumnNumeric);
    std::vector<int> newPosition(order.size());
    ListRows sorted;
    sorted.reserve(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(m_rows[order[i]]));
        newPosition[order[i]] = static_cast<int>(i);
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.append(
            this->index(newPosition[static_cast<std::size_t>(index.row())], index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace korvex
