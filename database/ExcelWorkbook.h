#pragma once

// The cells of an .xls workbook, read through FreeXL in a child process.
// FreeXL trusts lengths and counts inside the file; a damaged file can make
// it read past its buffers. Reading in a child process keeps such a fault
// away from the program: the child's failure becomes an error text.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvex::db {

// One cell as the Excel engine sees it.
struct XlsCell {
    enum class Kind : unsigned char { Empty, Number, Text, Date } kind = Kind::Empty;
    double number = 0.0;
    std::string
        text;  // Text: the text (UTF-8); Date: "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS", "HH:MM:SS"
};

struct XlsSheet {
    std::string name;
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::vector<XlsCell> cells;  // row-major, rows * columns
    std::string error;           // why the sheet could not be read; then no cells

    const XlsCell& at(std::size_t row, std::size_t column) const {
        return cells[row * columns + column];
    }
};

struct XlsWorkbook {
    std::vector<XlsSheet> sheets;  // in workbook order
    bool dates1904 = false;        // day numbers count from 1904-01-01
};

// Reads every sheet of `file`. Nothing and a message in `error` when the file
// cannot be opened, is damaged or is password protected.
std::optional<XlsWorkbook> readWorkbook(const std::filesystem::path& file, std::string& error);

}  // namespace korvex::db
