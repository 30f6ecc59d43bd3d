// The Text engine: a folder whose .csv files are the tables. The first row
// names the fields; each column's type is guessed from its first values.
// Records are appended in the file's own style, whole or not at all.

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "database/CellText.h"
#include "database/CsvFile.h"
#include "database/Engines.h"
#include "database/MemoryTable.h"
#include "model/BoundedFile.h"

namespace korvex::db {

namespace {

// Values of a column that decide its type.
constexpr std::size_t kTypeGuessValues = 8;

bool isCsvFile(const std::filesystem::directory_entry& entry) {
    std::error_code ec;
    const std::string name = entry.path().filename().string();
    const std::string extension = entry.path().extension().string();
    return !name.empty() && name.front() != '.' && equalsNoCase(extension, ".csv") &&
           entry.is_regular_file(ec);
}

bool isBlankText(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

int guessType(const std::vector<std::vector<std::string>>& records, std::size_t column) {
    std::size_t seen = 0;
    bool numbers = true;
    bool dates = true;
    for (std::size_t r = 1; r < records.size() && seen < kTypeGuessValues; ++r) {
        if (column >= records[r].size() || isBlankText(records[r][column])) {
            continue;
        }
        ++seen;
        const std::string& text = records[r][column];
        numbers = numbers && parseNumber(text).has_value();
        dates = dates && parseDateText(text, false).has_value();
    }
    if (seen == 0) {
        return kText;
    }
    return numbers ? kDouble : dates ? kDateTime : kText;
}

Value readValue(const std::string& text, int type) {
    if (isBlankText(text)) {
        return Value::null();
    }
    if (type == kDouble) {
        const auto number = parseNumber(text);
        return number ? Value::ofNumber(*number) : Value::null();
    }
    if (type == kDateTime) {
        if (const auto date = parseDateText(text, false)) {
            return Value::ofDate(*date);
        }
        Value bad;
        bad.kind = Value::Kind::BadDate;
        bad.text = text;
        return bad;
    }
    return Value::ofText(text);
}

// The text a value takes in a field of the given type; nothing with a
// message when the field cannot hold it.
std::optional<std::string> cellText(const Value& value, int type, std::string& why) {
    switch (value.kind) {
        case Value::Kind::Null:
            return std::string();
        case Value::Kind::Number:
            if (type == kDateTime) {
                why = "A number cannot be stored in a date field.";
                return std::nullopt;
            }
            return plainNumberText(value.number);
        case Value::Kind::Date:
            if (type == kDouble) {
                why = "A date cannot be stored in a number field.";
                return std::nullopt;
            }
            return dateText(value.date);
        case Value::Kind::Text:
            if (type == kDouble && !isBlankText(value.text)) {
                const auto number = parseNumber(value.text);
                if (!number) {
                    why = "\"" + value.text + "\" is no number.";
                    return std::nullopt;
                }
                return plainNumberText(*number);
            }
            if (type == kDateTime && !isBlankText(value.text)) {
                const auto date = parseDateText(value.text, false);
                if (!date) {
                    why = "\"" + value.text + "\" is no date (YYYY-MM-DD or YYYY-MM-DD HH:MM).";
                    return std::nullopt;
                }
                return dateText(*date);
            }
            return value.text;
        case Value::Kind::BadDate:
            why = "The date is not valid.";
            return std::nullopt;
    }
    return std::nullopt;
}

class TextRecordSet : public MemoryRecordSet {
public:
    TextRecordSet(MemoryTable table, std::vector<std::size_t> selected, std::filesystem::path file,
                  bool readOnly)
        : MemoryRecordSet(std::move(table), std::move(selected)),
          m_file(std::move(file)),
          m_readOnly(readOnly) {}

    bool canAppend() const override { return !m_readOnly; }

    std::optional<AppendError> append(const std::vector<Value>& values) override {
        if (m_readOnly) {
            return AppendError{0, readOnlyMessage()};
        }
        if (values.size() != fields().size()) {
            return AppendError{0, "The record has " + std::to_string(values.size()) +
                                      " values for " + std::to_string(fields().size()) +
                                      " fields."};
        }
        const std::vector<Field>& all = table().fields;
        std::vector<std::string> cells(all.size());
        std::vector<Value> row(all.size());
        std::vector<std::size_t> selectedAt(all.size(), values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::size_t column = selected()[i];
            std::string why;
            auto text = cellText(values[i], all[column].type, why);
            if (!text) {
                return AppendError{i, why};
            }
            cells[column] = std::move(*text);
            row[column] = readValue(cells[column], all[column].type);
            selectedAt[column] = i;
        }
        std::vector<std::string> names;
        for (const Field& field : all) {
            names.push_back(field.name);
        }
        if (auto error = appendCsvRecord(m_file, names, cells)) {
            if (error->field < selectedAt.size() && selectedAt[error->field] < values.size()) {
                error->field = selectedAt[error->field];
            } else {
                error->field = 0;
            }
            return error;
        }
        // The record set shows the new record at its end, as read back.
        addRow(std::move(row));
        return std::nullopt;
    }

protected:
    std::string readOnlyMessage() const override {
        return "The database is open read only: records cannot be added.";
    }

private:
    std::filesystem::path m_file;
    bool m_readOnly;
};

class TextDatabase : public Database {
public:
    // `onlyFile`: the one table when the database was opened on a file.
    TextDatabase(std::filesystem::path folder, std::string onlyFile, bool readOnly)
        : m_folder(std::move(folder)), m_onlyFile(std::move(onlyFile)), m_readOnly(readOnly) {}

    std::vector<std::string> tableNames() const override {
        if (!m_onlyFile.empty()) {
            return {m_onlyFile};
        }
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder, ec)) {
            if (isCsvFile(entry)) {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<RecordSet> query(std::string_view sql, std::string& error) override {
        const auto parsed = parseQuery(sql);
        if (!parsed) {
            error = "The query \"" + std::string(sql) + "\" is not understood.";
            return nullptr;
        }
        // Without regard to case, but "A.CSV" and "a.csv" may both be in
        // the folder: the exact name wins.
        const std::vector<std::string> names = tableNames();
        std::string tableName;
        if (std::find(names.begin(), names.end(), parsed->table) != names.end()) {
            tableName = parsed->table;
        }
        for (std::size_t i = 0; i < names.size() && tableName.empty(); ++i) {
            if (equalsNoCase(names[i], parsed->table)) {
                tableName = names[i];
            }
        }
        if (tableName.empty()) {
            error = "The table \"" + parsed->table + "\" does not exist in the folder.";
            return nullptr;
        }
        const std::filesystem::path file = m_folder / tableName;
        const BoundedFile read = readFileBounded(file, kCsvFileLimit);
        if (read.failure == ReadFailure::TooLarge) {
            error = "The file \"" + tableName + "\" cannot be read: it is larger than " +
                    byteCountText(kCsvFileLimit) + ".";
            return nullptr;
        }
        if (!read) {
            error = "The file \"" + tableName + "\" cannot be read.";
            return nullptr;
        }
        std::string beyond;
        auto table = readTable(read.bytes, beyond);
        if (!table) {
            error = "The file \"" + tableName + "\" cannot be read: " + beyond;
            return nullptr;
        }
        auto selected = selectFields(table->fields, *parsed, error);
        if (!selected) {
            return nullptr;
        }
        return std::make_unique<TextRecordSet>(std::move(*table), std::move(*selected), file,
                                               m_readOnly);
    }

private:
    static std::optional<MemoryTable> readTable(std::string_view bytes, std::string& beyond) {
        const CsvStyle style = detectStyle(bytes);
        const auto read = readCsvRecords(bytes, style, beyond);
        if (!read) {
            return std::nullopt;
        }
        const auto& records = *read;
        MemoryTable table;
        if (records.empty()) {
            return table;
        }
        for (const std::string& name : csvFieldNames(records.front())) {
            table.fields.push_back({name, kText});
        }
        const std::size_t columns = table.fields.size();
        for (std::size_t c = 0; c < columns; ++c) {
            table.fields[c].type = guessType(records, c);
        }
        table.values.reserve((records.size() - 1) * columns);
        static const std::string kEmpty;
        for (std::size_t r = 1; r < records.size(); ++r) {
            for (std::size_t c = 0; c < columns; ++c) {
                const std::string& text = c < records[r].size() ? records[r][c] : kEmpty;
                table.values.push_back(readValue(text, table.fields[c].type));
            }
        }
        return table;
    }

    std::filesystem::path m_folder;
    std::string m_onlyFile;
    bool m_readOnly;
};

}  // namespace

std::unique_ptr<Database> openText(const std::filesystem::path& folder, bool readOnly,
                                   std::string& error) {
    std::error_code ec;
    // A .csv file itself is also taken: then it is the one table.
    if (std::filesystem::is_regular_file(folder, ec) &&
        equalsNoCase(folder.extension().string(), ".csv")) {
        return std::make_unique<TextDatabase>(folder.parent_path(), folder.filename().string(),
                                              readOnly);
    }
    if (!std::filesystem::is_directory(folder, ec)) {
        error = "The folder \"" + folder.string() + "\" does not exist.";
        return nullptr;
    }
    return std::make_unique<TextDatabase>(folder, std::string(), readOnly);
}

}  // namespace korvex::db
