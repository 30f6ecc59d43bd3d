#pragma once

// The set-up dialog's look at a table: every field with its name and type,
// and the first records as text, so the operator can map fields to the list's
// columns.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/Engine.h"

namespace korvex::db {

inline constexpr std::size_t kPreviewRecords = 5;
inline constexpr std::size_t kPreviewCaptionLength = 19;

struct PreviewColumn {
    std::size_t index = 0;  // into the record set's fields
    std::string name;       // as the table names the field (UTF-8)
    std::string caption;    // the name cut to 19 characters, for the header
    int type = kText;       // the engine's field type
};

struct SetupPreview {
    std::vector<PreviewColumn> columns;
    // One row of texts (UTF-8) per shown record, one text per column.
    std::vector<std::vector<std::string>> rows;
    // A field of a type the list cannot show was met.
    bool unsupportedFields = false;
};

// The first `length` characters of a UTF-8 text.
std::string cutToCharacters(std::string_view text, std::size_t length);

// Reads every field of `table` and the first five records. A record whose
// text in any field but the first holds the broken bar U+00A6 is left out.
// Nothing, with the engine's text in `error`, when the query fails.
std::optional<SetupPreview> readSetupPreview(Database& database, const std::string& table,
                                             std::string& error);

}  // namespace korvex::db
