#pragma once

// An in-memory table behind the engine interface, for testing what CDbDao
// makes of typed values without any file format in the way. It answers the
// query shapes the way the real engines do: names matched without regard to
// ASCII case, a missing table or field refused with a message.

#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "database/Engine.h"

namespace korvex::db::test {

struct FakeTable {
    std::vector<Field> fields;
    std::vector<std::vector<Value>> rows;
    bool appendable = true;
    // Refuse appends with this message for this field index.
    std::optional<AppendError> refuse;
};

inline bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

class FakeRecordSet : public RecordSet {
public:
    FakeRecordSet(std::shared_ptr<FakeTable> table, std::vector<std::size_t> columns, bool readOnly)
        : m_table(std::move(table)), m_columns(std::move(columns)), m_readOnly(readOnly) {
        for (std::size_t column : m_columns) {
            m_fields.push_back(m_table->fields[column]);
        }
        m_rows = m_table->rows;  // a snapshot, as a query result is
    }

    const std::vector<Field>& fields() const override { return m_fields; }
    bool next() override { return ++m_row < static_cast<long>(m_rows.size()); }
    Value value(std::size_t field) const override {
        return m_rows.at(static_cast<std::size_t>(m_row)).at(m_columns.at(field));
    }
    std::size_t recordCount() const override { return m_rows.size(); }
    bool canAppend() const override { return !m_readOnly && m_table->appendable; }
    std::optional<AppendError> append(const std::vector<Value>& values) override {
        if (m_table->refuse) {
            return m_table->refuse;
        }
        std::vector<Value> row(m_table->fields.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            row[m_columns.at(i)] = values[i];
        }
        m_table->rows.push_back(row);
        return std::nullopt;
    }

private:
    std::shared_ptr<FakeTable> m_table;
    std::vector<std::size_t> m_columns;
    std::vector<Field> m_fields;
    std::vector<std::vector<Value>> m_rows;
    long m_row = -1;
    bool m_readOnly;
};

class FakeDatabase : public Database {
public:
    explicit FakeDatabase(bool readOnly = false) : m_readOnly(readOnly) {}

    std::shared_ptr<FakeTable> add(const std::string& name, FakeTable table) {
        auto shared = std::make_shared<FakeTable>(std::move(table));
        m_tables[name] = shared;
        return shared;
    }

    std::vector<std::string> tableNames() const override {
        std::vector<std::string> names;
        for (const auto& [name, table] : m_tables) {
            names.push_back(name);
        }
        return names;
    }

    std::unique_ptr<RecordSet> query(std::string_view sql, std::string& error) override {
        queries.emplace_back(sql);
        const auto q = parseQuery(sql);
        if (!q) {
            error = "Syntax error in query.";
            return nullptr;
        }
        std::shared_ptr<FakeTable> table;
        for (const auto& [name, t] : m_tables) {
            if (sameName(name, q->table)) {
                table = t;
            }
        }
        if (!table) {
            error = "No table " + q->table + ".";
            return nullptr;
        }
        std::vector<std::size_t> columns;
        if (q->fields.empty()) {
            for (std::size_t i = 0; i < table->fields.size(); ++i) {
                columns.push_back(i);
            }
        }
        for (const std::string& name : q->fields) {
            std::size_t i = 0;
            while (i < table->fields.size() && !sameName(table->fields[i].name, name)) {
                ++i;
            }
            if (i == table->fields.size()) {
                error = "No field " + name + ".";
                return nullptr;
            }
            columns.push_back(i);
        }
        return std::make_unique<FakeRecordSet>(table, columns, m_readOnly);
    }

    std::vector<std::string> queries;

private:
    std::map<std::string, std::shared_ptr<FakeTable>> m_tables;
    bool m_readOnly;
};

}  // namespace korvex::db::test
