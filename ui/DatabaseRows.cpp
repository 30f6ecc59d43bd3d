#include "ui/DatabaseRows.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "model/CsvBank.h"

namespace korvex {

ListRows readDatabaseRows(db::CDbDao& db, FillWatcher& watcher, std::size_t limit) {
    ListRows rows;
    db::RecordTexts texts;
    if (limit == 0 || !db.readRecord(false, texts)) {
        return rows;
    }
    rows.reserve(std::min(limit, db.recordCount()));
    rows.push_back(texts);
    watcher.start(db.recordCount());
    while (rows.size() < limit && db.readRecord(true, texts)) {
        rows.push_back(texts);
        if (rows.size() % kProgressStep == 0) {
            watcher.position(rows.size());
            if (watcher.wantsEnd()) {
                break;
            }
        }
    }
    watcher.finish();
    return rows;
}

ListLayout databaseLayout(const db::CDbDao& db) {
    ListLayout layout{};
    for (std::size_t i = 0; i < db::kRoleCount; ++i) {
        layout[i].caption = csv::utf8ToCp1252(db.fieldNames()[i]);
        layout[i].width = std::max(db.columnWidths[i], db::kMinColumnWidth);
    }
    return layout;
}

ListRows slotStatusRows(const db::DatabaseSlots& dbSlots) {
    ListRows rows;
    for (int slot = 1; slot <= db::kSlotCount; ++slot) {
        const db::DbSlotConfig config = db::readSlotConfig(dbSlots.iniPath(), slot);
        ListRow row{};
        row[1] = std::to_string(slot);
        row[2] = config.configured()
                     ? csv::utf8ToCp1252(std::filesystem::path(config.file).filename().string())
                     : std::string("(not configured)");
        row[3] = dbSlots.connected(slot) ? "connected" : "not connected";
        rows.push_back(std::move(row));
    }
    return rows;
}

std::array<int, db::kRoleCount> unscaledWidths(const std::array<int, db::kRoleCount>& shown,
                                               double scale) {
    std::array<int, db::kRoleCount> widths{};
    const double factor = scale > 0.0 ? scale : 1.0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const long width = std::lround(shown[i] / factor);
        widths[i] = static_cast<int>(std::max<long>(width, db::kMinColumnWidth));
    }
    return widths;
}

}  // namespace korvex
