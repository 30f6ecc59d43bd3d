// The Excel engine: an .xls workbook (BIFF, read through FreeXL) whose
// worksheets are the tables. The first row names the fields; each column's
// type is guessed from its first eight data rows as the classic engine did.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database/CellText.h"
#include "database/Engines.h"
#include "database/ExcelWorkbook.h"
#include "database/MemoryTable.h"

namespace korvex::db {

namespace {

// Rows after the header that decide a column's type.
constexpr unsigned kTypeGuessRows = 8;

int guessType(const XlsSheet& sheet, std::size_t column) {
    bool numbers = false;
    bool dates = false;
    bool other = false;
    for (std::size_t r = 1; r < sheet.rows && r <= kTypeGuessRows; ++r) {
        switch (sheet.at(r, column).kind) {
            case XlsCell::Kind::Empty:
                break;
            case XlsCell::Kind::Number:
                numbers = true;
                break;
            case XlsCell::Kind::Date:
                dates = true;
                break;
            case XlsCell::Kind::Text:
                other = true;
                break;
        }
    }
    if (numbers && !dates && !other) {
        return kDouble;
    }
    if (dates && !numbers && !other) {
        return kDateTime;
    }
    return kText;
}

Value toValue(const XlsCell& cell, int type, bool dates1904) {
    if (cell.kind == XlsCell::Kind::Empty) {
        return Value::null();
    }
    if (type == kDouble) {
        if (cell.kind == XlsCell::Kind::Number) {
            return Value::ofNumber(cell.number);
        }
        if (cell.kind == XlsCell::Kind::Text) {
            if (const auto number = parseNumber(cell.text)) {
                return Value::ofNumber(*number);
            }
        }
        return Value::null();
    }
    if (type == kDateTime) {
        if (cell.kind == XlsCell::Kind::Date || cell.kind == XlsCell::Kind::Text) {
            if (const auto date = parseDateText(cell.text, true)) {
                return Value::ofDate(*date);
            }
        } else if (const auto date = dateFromSerial(cell.number + (dates1904 ? 1462.0 : 0.0))) {
            return Value::ofDate(*date);
        }
        Value bad;
        bad.kind = Value::Kind::BadDate;
        bad.text = cell.kind == XlsCell::Kind::Number ? numberText(cell.number) : cell.text;
        return bad;
    }
    if (cell.kind == XlsCell::Kind::Number) {
        return Value::ofText(numberText(cell.number));
    }
    if (cell.kind == XlsCell::Kind::Date) {
        // A date shows as its date alone; a time or a date with a time as
        // FreeXL gives it.
        const auto date = parseDateText(cell.text, true);
        if (date && cell.text.size() > 10 && date->hour == 0 && date->minute == 0 &&
            date->second == 0 && cell.text.find(' ') != std::string::npos) {
            return Value::ofText(cell.text.substr(0, 10));
        }
    }
    return Value::ofText(cell.text);
}

class ExcelRecordSet : public MemoryRecordSet {
public:
    using MemoryRecordSet::MemoryRecordSet;

protected:
    std::string readOnlyMessage() const override {
        return "Excel workbooks are read only: records cannot be added.";
    }
};

// The sheet as a table: the first row names the fields, the rows after it up
// to the last one holding anything are the records.
MemoryTable sheetTable(const XlsSheet& sheet, bool dates1904) {
    MemoryTable table;
    if (sheet.rows == 0 || sheet.columns == 0) {
        return table;
    }
    for (std::size_t c = 0; c < sheet.columns; ++c) {
        const XlsCell& header = sheet.at(0, c);
        Field field;
        field.name = header.kind == XlsCell::Kind::Empty    ? unnamedColumn(c)
                     : header.kind == XlsCell::Kind::Number ? numberText(header.number)
                                                            : header.text;
        field.type = guessType(sheet, c);
        table.fields.push_back(std::move(field));
    }
    std::size_t usedRows = 1;
    for (std::size_t r = 1; r < sheet.rows; ++r) {
        for (std::size_t c = 0; c < sheet.columns; ++c) {
            if (sheet.at(r, c).kind != XlsCell::Kind::Empty) {
                usedRows = r + 1;
                break;
            }
        }
    }
    table.values.reserve((usedRows - 1) * sheet.columns);
    for (std::size_t r = 1; r < usedRows; ++r) {
        for (std::size_t c = 0; c < sheet.columns; ++c) {
            table.values.push_back(toValue(sheet.at(r, c), table.fields[c].type, dates1904));
        }
    }
    return table;
}

class ExcelDatabase : public Database {
public:
    explicit ExcelDatabase(XlsWorkbook workbook) : m_workbook(std::move(workbook)) {}

    std::vector<std::string> tableNames() const override {
        std::vector<std::string> names;
        for (const XlsSheet& sheet : m_workbook.sheets) {
            names.push_back(sheet.name);
        }
        return names;
    }

    std::unique_ptr<RecordSet> query(std::string_view sql, std::string& error) override {
        const auto parsed = parseQuery(sql);
        if (!parsed) {
            error = "The query \"" + std::string(sql) + "\" is not understood.";
            return nullptr;
        }
        const XlsSheet* sheet = nullptr;
        for (const XlsSheet& candidate : m_workbook.sheets) {
            if (equalsNoCase(candidate.name, parsed->table)) {
                sheet = &candidate;
                break;
            }
        }
        if (sheet == nullptr) {
            error = "The sheet \"" + parsed->table + "\" does not exist in the workbook.";
            return nullptr;
        }
        if (!sheet->error.empty()) {
            error = "The sheet \"" + sheet->name + "\" cannot be read: " + sheet->error + ".";
            return nullptr;
        }
        MemoryTable table = sheetTable(*sheet, m_workbook.dates1904);
        auto selected = selectFields(table.fields, *parsed, error);
        if (!selected) {
            return nullptr;
        }
        return std::make_unique<ExcelRecordSet>(std::move(table), std::move(*selected));
    }

private:
    XlsWorkbook m_workbook;
};

}  // namespace

std::unique_ptr<Database> openExcel(const std::filesystem::path& file, std::string& error) {
    auto workbook = readWorkbook(file, error);
    if (!workbook) {
        return nullptr;
    }
    return std::make_unique<ExcelDatabase>(std::move(*workbook));
}

}  // namespace korvex::db
