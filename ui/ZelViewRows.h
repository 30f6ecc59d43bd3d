#pragma once

// The rows of the list view as byte texts, what kind of row a command sees,
// text search and the sort order. Plain C++: the Qt model only shows these.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Records.h"
#include "model/Tables.h"
#include "ui/ZelViewLayout.h"

namespace korvex {

using ListRow = std::array<std::string, kListColumnCount>;
using ListRows = std::vector<ListRow>;

// Called every 100 rows while rows are built; may show progress.
using RowProgress = std::function<void(std::size_t done, std::size_t total)>;

// Columns 0..7 are the record's eight fields unchanged, column 8 is empty.
ListRows rowsFromChannels(const std::list<ChannelRecord>& records,
                          const RowProgress& progress = {});
// Pass channel, frequency, and which search the entry belongs to.
ListRows rowsFromPassFrequencies(const std::list<PassFrequencyRecord>& records);
// Column 2 of a pass-frequency row: "- VFO -" or "SEARCH BANK - x -".
std::string passOwnerText(std::string_view passChannel);

// What a command takes the row for, decided from columns 0 and 1 alone
// (column 5 for the audio file of a log entry).
struct RowFacts {
    bool memoryChannel = false;
    bool usedMemoryChannel = false;
    bool searchBank = false;
    bool emptySearchBank = false;
    bool selectScanEntry = false;
    bool passFrequency = false;
    bool logEntry = false;
    bool logEntryWithAudio = false;
    bool databaseRecord = false;

    bool operator==(const RowFacts&) const = default;
};

RowFacts classifyRow(const ListRow& row);

// The first row at or after start in which one of the nine cells holds the
// text, or -1. Without matchCase both sides are compared in lower case. With
// wholeWord only the first occurrence in a cell counts, and only when it
// stands between the cell's ends or the delimiters " \t\n,.;".
int findRow(const ListRows& rows, std::string_view text, int start, bool matchCase, bool wholeWord);
bool cellMatches(std::string_view cell, std::string_view text, bool matchCase, bool wholeWord);

// Case-insensitive byte comparison of two cells: <0, 0, >0.
int compareCells(std::string_view a, std::string_view b);
// The value of the leading decimal digits of a cell; 0 without any.
std::int64_t leadingInteger(std::string_view cell);

// The order of rows after a header click: ascending by the column, equal
// rows keeping their order. With byLeadingInteger the column is compared as
// leadingInteger values. Returns the old row index of each new position.
std::vector<std::size_t> sortOrder(const ListRows& rows, int column, bool byLeadingInteger);

// The selection kept across a command that changes the shown list: taken
// before the command, used by the next refill of a bank or the log.
class RememberedSelection {
public:
    void remember(int selectedRow, int rowCount) {
        m_row = selectedRow;
        m_count = rowCount;
        m_active = true;
    }
    bool active() const { return m_active; }
    void forget() { m_active = false; }
    // The row to select after a refill to newCount rows, if any; the record
    // is forgotten either way.
    std::optional<int> takeFor(int newCount);

private:
    int m_row = -1;
    int m_count = 0;
    bool m_active = false;
};

}  // namespace korvex
