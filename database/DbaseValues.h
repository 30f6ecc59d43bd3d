#pragma once

// The values of dBASE fields: the engine's type code of a field type letter,
// a stored field's bytes as a Value, and a Value as a field's bytes.

#include <optional>
#include <string>
#include <string_view>

#include "database/DbaseCodePage.h"
#include "database/DbaseLayout.h"
#include "database/Engine.h"

namespace korvex::db {

// The type code of field types this engine does not know.
inline constexpr int kUnsupportedType = 0;

// C text, N and F double, D date/time, L boolean, M memo, I long.
int dbaseFieldType(char letter);

// The field's bytes as a value: blank fields are Null, texts lose their
// trailing blanks and come in UTF-8, numbers are read without regard to the
// locale, a date that is no YYYYMMDD date is a BadDate.
Value decodeDbaseField(const DbaseFieldLayout& field, std::string_view raw, const TextCodec& codec);

// The bytes a new record holds for `value` (`field.width` of them), or
// nullopt and a message naming the field by `name` (UTF-8).
std::optional<std::string> encodeDbaseField(const DbaseFieldLayout& field, std::string_view name,
                                            const Value& value, const TextCodec& codec,
                                            std::string& error);

}  // namespace korvex::db
