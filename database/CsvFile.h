#pragma once

// CSV files as tables: how a file is written (separator, encoding, byte-order
// mark, line ending), reading its records as UTF-8, and appending one record
// in the file's own style so that the file stays whole if anything fails.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/Engine.h"
#include "settings/AtomicFile.h"

namespace korvex::db {

struct CsvStyle {
    char separator = ',';
    bool bom = false;  // starts with the UTF-8 byte-order mark
    bool utf8 = true;  // else Windows-1252
    std::string lineEnd = "\r\n";
    bool endsInLineBreak = true;
    bool endsInsideQuotes = false;  // the last field's quote is never closed
};

// The style of a file's bytes: the separator is the one of "," and ";" that
// occurs more often outside quotes in the first line (a tie gives ","); the
// text is UTF-8 when the bytes after a byte-order mark are valid UTF-8; the
// line ending is that of the first line break ("\r\n" when there is none).
CsvStyle detectStyle(std::string_view bytes);

// Whether the bytes are valid UTF-8 (no overlong forms or surrogates).
bool isValidUtf8(std::string_view bytes);

// The records of a file's bytes as UTF-8 fields, the header first. Lines
// that are empty or hold only empty fields are no records. Nothing, and the
// reason in `beyond`, when the records would hold more than kTableCellLimit
// cells (each record counted at least as wide as the header), the header more
// than kTableFieldLimit fields, or a field more than kCellByteLimit bytes.
std::optional<std::vector<std::vector<std::string>>> readCsvRecords(std::string_view bytes,
                                                                    const CsvStyle& style,
                                                                    std::string& beyond);

// The field names of a header record: blanks around a name dropped, an empty
// name given as "F" and its 1-based column.
std::vector<std::string> csvFieldNames(const std::vector<std::string>& header);

// One record as a line in the file's style (encoded, quoted where a field
// holds the separator, a quote or a line break), without the line ending.
// A field the file's encoding cannot hold gives its index in `badField`.
std::optional<std::string> csvLine(const std::vector<std::string>& cells, const CsvStyle& style,
                                   std::size_t& badField);

// Appends one record (UTF-8 cells, one per header field) to `file`, whose
// header must still give `fieldNames`. The new content goes to a temporary
// file that replaces the old one only when complete, so a failure or a kill
// leaves the file as it was. It holds the table's exclusive lock (as a dBASE
// append does) from reading the file to replacing it. `beforeRename` is for tests that make the
// write fail. Nothing on success; otherwise the reason, with the cell's index when one cell is to
// blame.
std::optional<AppendError> appendCsvRecord(const std::filesystem::path& file,
                                           const std::vector<std::string>& fieldNames,
                                           const std::vector<std::string>& cells,
                                           const BeforeRenameHook& beforeRename = {});

}  // namespace korvex::db
