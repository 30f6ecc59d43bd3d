#include "database/CsvFile.h"

#include <algorithm>

#include "database/CellText.h"
#include "database/MemoryTable.h"
#include "database/TableFileLock.h"
#include "model/BoundedFile.h"
#include "model/CsvBank.h"

namespace korvex::db {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view withoutBom(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom) {
        bytes.remove_prefix(kBom.size());
    }
    return bytes;
}

// The bytes of the first record: up to the first line break outside quotes.
std::string_view firstRecord(std::string_view text) {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (text[i] == '\n' && !quoted) {
            return text.substr(0, i);
        }
    }
    return text;
}

std::string toUtf8(std::string_view body, const CsvStyle& style) {
    return style.utf8 ? std::string(body) : csv::cp1252ToUtf8(body);
}

bool readFile(const std::filesystem::path& file, std::string& bytes) {
    BoundedFile read = readFileBounded(file, kCsvFileLimit);
    bytes = std::move(read.bytes);
    return static_cast<bool>(read);
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t cp = 0;
        char32_t least = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            cp = b & 0x1F;
            least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            cp = b & 0x0F;
            least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            cp = b & 0x07;
            least = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

CsvStyle detectStyle(std::string_view bytes) {
    CsvStyle style;
    style.bom = bytes.substr(0, kBom.size()) == kBom;
    const std::string_view body = withoutBom(bytes);
    style.utf8 = isValidUtf8(body);

    const std::string_view header = firstRecord(body);
    std::size_t commas = 0;
    std::size_t semicolons = 0;
    bool quoted = false;
    for (const char c : header) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            ++commas;
        } else if (!quoted && c == ';') {
            ++semicolons;
        }
    }
    style.separator = semicolons > commas ? ';' : ',';

    const std::size_t newline = body.find('\n');
    if (newline != std::string_view::npos) {
        style.lineEnd = newline > 0 && body[newline - 1] == '\r' ? "\r\n" : "\n";
    }
    style.endsInLineBreak = body.empty() || body.back() == '\n';
    std::size_t quotes = 0;
    for (const char c : body) {
        quotes += c == '"' ? 1 : 0;
    }
    style.endsInsideQuotes = quotes % 2 != 0;
    return style;
}

std::optional<std::vector<std::vector<std::string>>> readCsvRecords(std::string_view bytes,
                                                                    const CsvStyle& style,
                                                                    std::string& beyond) {
    const std::string text = toUtf8(withoutBom(bytes), style);
    std::vector<std::vector<std::string>> records;
    std::size_t cells = 0;
    const csv::RecordLimits limits{kTableFieldLimit, kCellByteLimit};
    const csv::RecordsEnd end = csv::forEachRecord(
        text, style.separator,
        [&](std::vector<std::string>& record) {
            const bool empty = std::all_of(record.begin(), record.end(),
                                           [](const std::string& field) { return field.empty(); });
            if (empty) {
                return true;
            }
            cells += records.empty() ? 0 : std::max(record.size(), records.front().size());
            if (cells > kTableCellLimit) {
                beyond = "it holds more than " + countText(kTableCellLimit) +
                         " values (records times fields).";
                return false;
            }
            records.push_back(std::move(record));
            return true;
        },
        limits);
    // Limits met while a record was read: it was never held whole.
    if (end == csv::RecordsEnd::FieldTooLong) {
        beyond = "a value is longer than " + byteCountText(kCellByteLimit) + ".";
    } else if (end == csv::RecordsEnd::TooManyFields) {
        beyond = "it has more than " + countText(kTableFieldLimit) + " fields.";
    }
    if (!beyond.empty()) {
        return std::nullopt;
    }
    return records;
}

std::vector<std::string> csvFieldNames(const std::vector<std::string>& header) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::string_view name = header[i];
        while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) {
            name.remove_prefix(1);
        }
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
            name.remove_suffix(1);
        }
        names.push_back(name.empty() ? unnamedColumn(i) : std::string(name));
    }
    return names;
}

std::optional<std::string> csvLine(const std::vector<std::string>& cells, const CsvStyle& style,
                                   std::size_t& badField) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        std::string cell = cells[i];
        if (!style.utf8) {
            // Windows-1252 holds only some characters: refuse rather than
            // store a "?" the user never typed.
            std::string encoded = csv::utf8ToCp1252(cell);
            if (!isValidUtf8(cell) || csv::cp1252ToUtf8(encoded) != cell) {
                badField = i;
                return std::nullopt;
            }
            cell = std::move(encoded);
        }
        if (i > 0) {
            line += style.separator;
        }
        if (cell.find_first_of(std::string{style.separator, '"', '\r', '\n'}) ==
            std::string::npos) {
            line += cell;
            continue;
        }
        line += '"';
        for (const char c : cell) {
            line += c;
            if (c == '"') {
                line += '"';
            }
        }
        line += '"';
    }
    return line;
}

std::optional<AppendError> appendCsvRecord(const std::filesystem::path& file,
                                           const std::vector<std::string>& fieldNames,
                                           const std::vector<std::string>& cells,
                                           const BeforeRenameHook& beforeRename) {
    const std::string shown = file.filename().string();
    // Held from the read to the rename, so that two appends take turns and
    // neither writes back a file without the other's record.
    const TableFileLock lock(file, true);
    std::string bytes;
    if (!readFile(file, bytes)) {
        return AppendError{0, "The file \"" + shown + "\" cannot be read."};
    }
    if (!lock.held()) {
        // Without the lock another append could write back the file without
        // this record; the lock is always on the file that is replaced.
        return AppendError{0, "The file \"" + shown + "\" cannot be locked for adding a record."};
    }
    const CsvStyle style = detectStyle(bytes);
    if (style.endsInsideQuotes) {
        return AppendError{0, "The file \"" + shown +
                                  "\" ends inside a quoted field; a record added now would "
                                  "become part of it."};
    }
    const std::string header = toUtf8(firstRecord(withoutBom(bytes)), style);
    const auto headerRecords = csv::parseRecords(header, style.separator);
    if (headerRecords.empty() || csvFieldNames(headerRecords.front()) != fieldNames) {
        return AppendError{0, "The fields of \"" + shown +
                                  "\" changed since it was opened; connect again to add "
                                  "records."};
    }
    if (cells.size() != fieldNames.size()) {
        return AppendError{0, "The record has " + std::to_string(cells.size()) + " values for " +
                                  std::to_string(fieldNames.size()) + " fields."};
    }
    std::size_t badField = 0;
    const auto line = csvLine(cells, style, badField);
    if (!line) {
        return AppendError{badField,
                           "The text cannot be stored in the Windows-1252 characters "
                           "of \"" +
                               shown + "\"."};
    }
    std::string content = std::move(bytes);
    if (!style.endsInLineBreak) {
        content += style.lineEnd;
    }
    content += *line;
    content += style.lineEnd;
    if (!writeFileAtomically(file, content, beforeRename)) {
        return AppendError{
            0, "The record could not be written to \"" + shown + "\"; the file is unchanged."};
    }
    return std::nullopt;
}

}  // namespace korvex::db
