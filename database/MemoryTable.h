#pragma once

// A table held in memory, as the Excel and CSV engines read it: the fields
// with their guessed types and the values row by row. Also the record set
// that walks the selected fields of such a table.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "database/Engine.h"

namespace korvex::db {

// What a table read into memory may hold; a file beyond these is refused.
inline constexpr std::size_t kTableCellLimit = 4'000'000;  // rows x fields, all sheets together
inline constexpr std::size_t kTableFieldLimit = 1024;
inline constexpr std::size_t kCellByteLimit = 128 * 1024;
inline constexpr std::size_t kCsvFileLimit = std::size_t{64} * 1024 * 1024;

struct MemoryTable {
    std::vector<Field> fields;
    // Row-major: record r, field f at values[r * fields.size() + f].
    std::vector<Value> values;

    std::size_t rowCount() const { return fields.empty() ? 0 : values.size() / fields.size(); }
};

// The table's field indices the query selects, in query order ("*": all).
// Names match without regard to ASCII case; a missing one gives nothing and a
// message in `error`.
std::optional<std::vector<std::size_t>> selectFields(const std::vector<Field>& fields,
                                                     const Query& query, std::string& error);

// Walks the selected columns of a table it owns. Appends are refused; an
// engine that writes derives from it.
class MemoryRecordSet : public RecordSet {
public:
    MemoryRecordSet(MemoryTable table, std::vector<std::size_t> selected);

    const std::vector<Field>& fields() const override { return m_fields; }
    bool next() override;
    Value value(std::size_t field) const override;
    std::size_t recordCount() const override { return m_table.rowCount(); }
    bool canAppend() const override { return false; }
    std::optional<AppendError> append(const std::vector<Value>& values) override;

protected:
    const MemoryTable& table() const { return m_table; }
    const std::vector<std::size_t>& selected() const { return m_selected; }
    // Adds a record (one value per table field) at the end; the cursor stays.
    void addRow(std::vector<Value> row);
    // The text append() gives when the record set is read only.
    virtual std::string readOnlyMessage() const;

private:
    MemoryTable m_table;
    std::vector<std::size_t> m_selected;
    std::vector<Field> m_fields;
    std::size_t m_row = 0;  // 1-based; 0 before the first next()
};

}  // namespace korvex::db
