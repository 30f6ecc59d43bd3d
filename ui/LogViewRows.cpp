#include "ui/LogViewRows.h"

#include "log/ZelDoc.h"
#include "ui/ZelView.h"

namespace korvex {

ListRows logRows(const CZelDoc& doc, const RowProgress& progress) {
    ListRows rows;
    doc.visitEntries([&](const std::vector<LogEntry>& entries) {
        rows.resize(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            for (std::size_t f = 0; f < LogEntry::kFieldCount; ++f) {
                rows[i][f] = entries[i].field(f);
            }
            if (progress && i % 100 == 0) {
                progress(i, entries.size());
            }
        }
    });
    return rows;
}

std::optional<ShownLogEntry> selectedLogEntry(const CZelView& view) {
    const int row = view.selectedRow();
    if (row < 0 || row >= view.itemCount()) {
        return std::nullopt;
    }
    ShownLogEntry shown;
    shown.row = row;
    for (std::size_t f = 0; f < LogEntry::kFieldCount; ++f) {
        shown.entry.field(f) = view.itemText(row, static_cast<int>(f));
    }
    return shown;
}

}  // namespace korvex
