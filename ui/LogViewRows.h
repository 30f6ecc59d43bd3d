#pragma once

#include <optional>

#include "log/LogEntry.h"
#include "ui/ZelViewRows.h"

namespace korvex {

class CZelDoc;
class CZelView;

// The LOG VIEW's rows: one per entry, its six fields in the first columns.
ListRows logRows(const CZelDoc& doc, const RowProgress& progress = {});

// The entry a log row shows, and the row's index.
struct ShownLogEntry {
    LogEntry entry;
    int row = -1;
};
std::optional<ShownLogEntry> selectedLogEntry(const CZelView& view);

}  // namespace korvex
