#include "database/MemoryTable.h"

#include <utility>

#include "database/CellText.h"

namespace korvex::db {

std::optional<std::vector<std::size_t>> selectFields(const std::vector<Field>& fields,
                                                     const Query& query, std::string& error) {
    std::vector<std::size_t> selected;
    if (query.fields.empty()) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            selected.push_back(i);
        }
        return selected;
    }
    for (const std::string& name : query.fields) {
        // A name is found without regard to case, but a file may hold two
        // fields whose names differ only in case: the exact one wins.
        std::size_t found = fields.size();
        for (std::size_t i = 0; i < fields.size() && found == fields.size(); ++i) {
            if (fields[i].name == name) {
                found = i;
            }
        }
        for (std::size_t i = 0; i < fields.size() && found == fields.size(); ++i) {
            if (equalsNoCase(fields[i].name, name)) {
                found = i;
            }
        }
        if (found == fields.size()) {
            error =
                "The field \"" + name + "\" does not exist in the table \"" + query.table + "\".";
            return std::nullopt;
        }
        selected.push_back(found);
    }
    return selected;
}

MemoryRecordSet::MemoryRecordSet(MemoryTable table, std::vector<std::size_t> selected)
    : m_table(std::move(table)), m_selected(std::move(selected)) {
    for (const std::size_t index : m_selected) {
        m_fields.push_back(m_table.fields[index]);
    }
}

bool MemoryRecordSet::next() {
    if (m_row <= m_table.rowCount()) {
        ++m_row;
    }
    return m_row <= m_table.rowCount();
}

Value MemoryRecordSet::value(std::size_t field) const {
    if (m_row == 0 || m_row > m_table.rowCount() || field >= m_selected.size()) {
        return Value::null();
    }
    return m_table.values[(m_row - 1) * m_table.fields.size() + m_selected[field]];
}

std::optional<AppendError> MemoryRecordSet::append(const std::vector<Value>&) {
    return AppendError{0, readOnlyMessage()};
}

void MemoryRecordSet::addRow(std::vector<Value> row) {
    row.resize(m_table.fields.size());
    for (Value& value : row) {
        m_table.values.push_back(std::move(value));
    }
}

std::string MemoryRecordSet::readOnlyMessage() const {
    return "The table is read only.";
}

}  // namespace korvex::db
