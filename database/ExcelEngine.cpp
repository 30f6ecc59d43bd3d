// The Excel engine: an .xls workbook (BIFF, read through FreeXL) whose
// worksheets are the tables. The first row names the fields; each column's
// type is guessed from its first eight data rows as the classic engine did.

#include <freexl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database/CellText.h"
#include "database/Engines.h"
#include "database/MemoryTable.h"

namespace korvex::db {

namespace {

// Rows after the header that decide a column's type.
constexpr unsigned kTypeGuessRows = 8;

std::string freexlReason(int code) {
    switch (code) {
        case FREEXL_FILE_NOT_FOUND:
            return "the file does not exist or cannot be opened";
        case FREEXL_INSUFFICIENT_MEMORY:
            return "not enough memory";
        case FREEXL_INVALID_CFBF_HEADER:
        case FREEXL_CFBF_INVALID_SIGNATURE:
            return "it is no Excel workbook";
        case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
            return "it holds no workbook";
        case FREEXL_UNSUPPORTED_CHARSET:
            return "its character set is not supported";
        case FREEXL_CFBF_READ_ERROR:
        case FREEXL_CFBF_SEEK_ERROR:
            return "it is truncated or cannot be read";
        default:
            return "it is damaged (error " + std::to_string(code) + ")";
    }
}

// Closes the FreeXL handle with its owner.
struct Workbook {
    const void* handle = nullptr;
    std::vector<std::string> sheets;
    bool dates1904 = false;

    Workbook() = default;
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;
    ~Workbook() {
        if (handle != nullptr) {
            freexl_close(handle);
        }
    }
};

// One cell as the engine sees it.
struct Cell {
    enum class Kind { Empty, Number, Text, Date } kind = Kind::Empty;
    double number = 0.0;
    std::string text;  // Text: the text; Date: FreeXL's date/time text
};

Cell readCell(const void* handle, unsigned row, unsigned short column) {
    FreeXL_CellValue value{};
    Cell cell;
    if (freexl_get_cell_value(handle, row, column, &value) != FREEXL_OK) {
        return cell;
    }
    switch (value.type) {
        case FREEXL_CELL_INT:
            cell.kind = Cell::Kind::Number;
            cell.number = value.value.int_value;
            break;
        case FREEXL_CELL_DOUBLE:
            cell.kind = Cell::Kind::Number;
            cell.number = value.value.double_value;
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            if (value.value.text_value == nullptr || value.value.text_value[0] == '\0') {
                break;
            }
            cell.kind = value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT
                            ? Cell::Kind::Text
                            : Cell::Kind::Date;
            cell.text = value.value.text_value;
            break;
        default:
            break;
    }
    return cell;
}

int guessType(const std::vector<Cell>& cells, std::size_t columns, std::size_t column) {
    bool numbers = false;
    bool dates = false;
    bool other = false;
    const std::size_t rows = cells.size() / columns;
    for (std::size_t r = 0; r < rows && r < kTypeGuessRows; ++r) {
        switch (cells[r * columns + column].kind) {
            case Cell::Kind::Empty:
                break;
            case Cell::Kind::Number:
                numbers = true;
                break;
            case Cell::Kind::Date:
                dates = true;
                break;
            case Cell::Kind::Text:
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

Value toValue(const Cell& cell, int type, bool dates1904) {
    if (cell.kind == Cell::Kind::Empty) {
        return Value::null();
    }
    if (type == kDouble) {
        if (cell.kind == Cell::Kind::Number) {
            return Value::ofNumber(cell.number);
        }
        if (cell.kind == Cell::Kind::Text) {
            if (const auto number = parseNumber(cell.text)) {
                return Value::ofNumber(*number);
            }
        }
        return Value::null();
    }
    if (type == kDateTime) {
        if (cell.kind == Cell::Kind::Date || cell.kind == Cell::Kind::Text) {
            if (const auto date = parseDateText(cell.text, true)) {
                return Value::ofDate(*date);
            }
        } else if (const auto date = dateFromSerial(cell.number + (dates1904 ? 1462.0 : 0.0))) {
            return Value::ofDate(*date);
        }
        Value bad;
        bad.kind = Value::Kind::BadDate;
        bad.text = cell.kind == Cell::Kind::Number ? numberText(cell.number) : cell.text;
        return bad;
    }
    if (cell.kind == Cell::Kind::Number) {
        return Value::ofText(numberText(cell.number));
    }
    if (cell.kind == Cell::Kind::Date) {
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

class ExcelDatabase : public Database {
public:
    explicit ExcelDatabase(std::shared_ptr<Workbook> workbook) : m_workbook(std::move(workbook)) {}

    std::vector<std::string> tableNames() const override { return m_workbook->sheets; }

    std::unique_ptr<RecordSet> query(std::string_view sql, std::string& error) override {
        const auto parsed = parseQuery(sql);
        if (!parsed) {
            error = "The query \"" + std::string(sql) + "\" is not understood.";
            return nullptr;
        }
        std::size_t sheet = m_workbook->sheets.size();
        for (std::size_t i = 0; i < m_workbook->sheets.size(); ++i) {
            if (equalsNoCase(m_workbook->sheets[i], parsed->table)) {
                sheet = i;
                break;
            }
        }
        if (sheet == m_workbook->sheets.size()) {
            error = "The sheet \"" + parsed->table + "\" does not exist in the workbook.";
            return nullptr;
        }
        auto table = readSheet(static_cast<unsigned short>(sheet), error);
        if (!table) {
            return nullptr;
        }
        auto selected = selectFields(table->fields, *parsed, error);
        if (!selected) {
            return nullptr;
        }
        return std::make_unique<ExcelRecordSet>(std::move(*table), std::move(*selected));
    }

private:
    class ExcelRecordSet : public MemoryRecordSet {
    public:
        using MemoryRecordSet::MemoryRecordSet;

    protected:
        std::string readOnlyMessage() const override {
            return "Excel workbooks are read only: records cannot be added.";
        }
    };

    std::optional<MemoryTable> readSheet(unsigned short sheet, std::string& error) const {
        const void* handle = m_workbook->handle;
        unsigned int rows = 0;
        unsigned short columns = 0;
        int code = freexl_select_active_worksheet(handle, sheet);
        if (code == FREEXL_OK) {
            code = freexl_worksheet_dimensions(handle, &rows, &columns);
        }
        if (code != FREEXL_OK) {
            error = "The sheet \"" + m_workbook->sheets[sheet] +
                    "\" cannot be read: " + freexlReason(code) + ".";
            return std::nullopt;
        }
        MemoryTable table;
        if (rows == 0 || columns == 0) {
            return table;
        }
        for (unsigned short c = 0; c < columns; ++c) {
            const Cell header = readCell(handle, 0, c);
            Field field;
            field.name = header.kind == Cell::Kind::Empty    ? unnamedColumn(c)
                         : header.kind == Cell::Kind::Number ? numberText(header.number)
                                                             : header.text;
            table.fields.push_back(std::move(field));
        }
        // The data rows up to the last one holding anything: blank rows at
        // the end are no records.
        std::vector<Cell> cells;
        std::size_t usedRows = 0;
        for (unsigned int r = 1; r < rows; ++r) {
            bool any = false;
            for (unsigned short c = 0; c < columns; ++c) {
                cells.push_back(readCell(handle, r, c));
                any = any || cells.back().kind != Cell::Kind::Empty;
            }
            if (any) {
                usedRows = r;
            }
        }
        cells.resize(usedRows * columns);
        for (unsigned short c = 0; c < columns; ++c) {
            table.fields[c].type = guessType(cells, columns, c);
        }
        table.values.reserve(cells.size());
        for (std::size_t i = 0; i < cells.size(); ++i) {
            table.values.push_back(
                toValue(cells[i], table.fields[i % columns].type, m_workbook->dates1904));
        }
        return table;
    }

    std::shared_ptr<Workbook> m_workbook;
};

}  // namespace

std::unique_ptr<Database> openExcel(const std::filesystem::path& file, std::string& error) {
    auto workbook = std::make_shared<Workbook>();
    const std::string shown = file.string();
    int code = freexl_open(shown.c_str(), &workbook->handle);
    if (code != FREEXL_OK) {
        // FreeXL wants its handle closed even after a failed open.
        error = "The file \"" + shown + "\" cannot be opened: " + freexlReason(code) + ".";
        return nullptr;
    }
    unsigned int info = 0;
    if (freexl_get_info(workbook->handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        error = "The workbook \"" + shown + "\" is password protected.";
        return nullptr;
    }
    if (freexl_get_info(workbook->handle, FREEXL_BIFF_DATEMODE, &info) == FREEXL_OK) {
        workbook->dates1904 = info == FREEXL_BIFF_DATEMODE_1904;
    }
    unsigned int sheets = 0;
    code = freexl_get_info(workbook->handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    if (code != FREEXL_OK) {
        error = "The file \"" + shown + "\" cannot be read: " + freexlReason(code) + ".";
        return nullptr;
    }
    for (unsigned int i = 0; i < sheets && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        code = freexl_get_worksheet_name(workbook->handle, static_cast<unsigned short>(i), &name);
        if (code != FREEXL_OK || name == nullptr) {
            error = "The file \"" + shown + "\" cannot be read: " + freexlReason(code) + ".";
            return nullptr;
        }
        workbook->sheets.emplace_back(name);
    }
    return std::make_unique<ExcelDatabase>(std::move(workbook));
}

}  // namespace korvex::db
