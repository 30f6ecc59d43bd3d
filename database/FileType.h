#pragma once

// What kind of database a chosen file is: the engine's connect prefix from the
// file's extension (and, for dBASE, its first byte), and where the engine
// opens it. A CSV file is a table of its folder, like a .dbf file.

#include <optional>
#include <string>
#include <string_view>

#include "database/DbDao.h"

namespace korvex::db {

// A path split at its last "/": the folder before it, the file name after it,
// and the text after the file name's last "." in lower case.
struct PathParts {
    std::string folder;
    std::string fileName;
    std::string extension;
};
PathParts splitDatabasePath(std::string_view path);

// The dBASE connect prefix of a table's first byte (its low three bits), or
// nothing for a format the engine does not read.
std::optional<std::string_view> dbaseTypeOfFirstByte(unsigned char firstByte);

struct FileTypeResult {
    bool ok = false;
    // The connect prefix; empty for a file of another kind, which is no
    // failure: the engine then says why it cannot open it.
    std::string type;
    PathParts parts;
    // Why the file was refused.
    std::optional<DbMessage> message;
};

// Reads the first 10 bytes of the file (a file that cannot be opened or is
// shorter is refused) and takes the connect prefix from its extension.
FileTypeResult detectFileType(const std::string& path);

// What the engine opens for a connect prefix: the workbook itself for Excel,
// the folder for dBASE and CSV (and for a file without a type, so the engine
// gives its own refusal).
std::string databaseLocation(std::string_view type, const std::string& path);

// The table a query names: the sheet for Excel, the file name otherwise.
std::string tableName(std::string_view type, const std::string& path, const std::string& sheet);

}  // namespace korvex::db
