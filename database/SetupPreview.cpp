#include "database/SetupPreview.h"

#include <memory>

#include "database/DbDao.h"

namespace korvex::db {

namespace {

// U+00A6, the byte 0xA6 of Windows-1252, in UTF-8.
constexpr std::string_view kBrokenBar = "\xC2\xA6";

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string cutToCharacters(std::string_view text, std::size_t length) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isContinuationByte(text[i])) {
            if (characters == length) {
                return std::string(text.substr(0, i));
            }
            ++characters;
        }
    }
    return std::string(text);
}

std::optional<SetupPreview> readSetupPreview(Database& database, const std::string& table,
                                             std::string& error) {
    std::unique_ptr<RecordSet> records = database.query("SELECT * FROM [" + table + "]", error);
    if (!records) {
        return std::nullopt;
    }
    SetupPreview preview;
    const std::vector<Field>& fields = records->fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        preview.columns.push_back({i, fields[i].name,
                                   cutToCharacters(fields[i].name, kPreviewCaptionLength),
                                   fields[i].type});
        if (!isSupportedType(fields[i].type)) {
            preview.unsupportedFields = true;
        }
    }
    for (std::size_t record = 0; record < kPreviewRecords && records->next(); ++record) {
        std::vector<std::string> row;
        bool dropped = false;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string text = previewText(records->value(i), fields[i].type);
            if (i > 0 && text.find(kBrokenBar) != std::string::npos) {
                dropped = true;
                break;
            }
            row.push_back(std::move(text));
        }
        if (!dropped) {
            preview.rows.push_back(std::move(row));
        }
    }
    return preview;
}

}  // namespace korvex::db
