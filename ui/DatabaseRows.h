#pragma once

// The DATABASE list's columns and rows: the active database's nine mapped
// fields, or the slots' state while none is active. Plain C++: the view only
// shows these.

#include <array>
#include <cstddef>

#include "database/DatabaseSlots.h"
#include "ui/ZelViewLayout.h"
#include "ui/ZelViewRows.h"

namespace korvex {

// The progress of a database fill.
class FillWatcher {
public:
    virtual ~FillWatcher() = default;
    // The fill has read its first row; `range` is the table's record count.
    virtual void start(std::size_t range) = 0;
    // Every 100 rows: the rows read so far.
    virtual void position(std::size_t rows) = 0;
    virtual void finish() = 0;
    // Asked after each position: true ends the fill with the rows read so
    // far (the program is closing).
    virtual bool wantsEnd() const { return false; }
};

inline constexpr std::size_t kProgressStep = 100;

// Reads the records from the first one on, at most `limit` rows. Nothing
// when the database has no record to read.
ListRows readDatabaseRows(db::CDbDao& db, FillWatcher& watcher, std::size_t limit);

// The mapped field names as captions (Windows-1252) and the stored widths,
// in the 8-point pixels the view scales.
ListLayout databaseLayout(const db::CDbDao& db);

// While no database is active: one row per slot, its number, its file and
// whether it is connected.
ListRows slotStatusRows(const db::DatabaseSlots& dbSlots);

// Column widths shown with a font `scale` times the 8-point font, back in
// 8-point pixels, at least 5.
std::array<int, db::kRoleCount> unscaledWidths(const std::array<int, db::kRoleCount>& shown,
                                               double scale);

}  // namespace korvex
