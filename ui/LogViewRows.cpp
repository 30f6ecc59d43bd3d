#include "ui/LogViewRows.h"

#include "log/ZelDoc.h"
#include "ui/ZelView.h"

namespace korvex {

ListRows logRows(const CZelDoc& doc, const RowProgress& progress) {
    // The entries are copied under the document's lock and the rows built
    // after it is let go: the progress window handles events, and a timer
    // or the idle tick that runs meanwhile asks the document too.
    const std::vector<LogEntry> entries = doc.entries();
    ListRows rows(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t f = 0; f < LogEntry::kFieldCount; ++f) {
            rows[i][f] = entries[i].field(f);
        }
        if (progress && i % 100 == 0) {
            progress(i, entries.size());
        }
    }
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
