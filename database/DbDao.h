#pragma once

// CDbDao: the connection to one database slot. Opens the slot's table through
// the engine, selects the mapped fields and turns each record into the nine
// texts of the list's columns; appends records built in "Add Database Entry".
// The list's texts are Windows-1252 bytes like every other list row.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/DbSlotConfig.h"
#include "database/Engine.h"

namespace korvex::db {

// A message box the caller shows: text, caption and icon.
struct DbMessage {
    enum class Icon { Information, Warning, Error };
    std::string text;
    std::string caption;
    Icon icon = Icon::Error;
};

// The nine texts of one record, in role order (FREQ, MOD, COL2 .. COL8).
using RecordTexts = std::array<std::string, kRoleCount>;

// Field type of a role that is not part of the query.
inline constexpr int kRoleUnused = -2;

class CDbDao {
public:
    CDbDao() = default;
    CDbDao(const CDbDao&) = delete;
    CDbDao& operator=(const CDbDao&) = delete;

    // Reads the slot (1..3) from dbconf.ini, opens its table and moves to the
    // first record. False with a message when the file or the database cannot
    // be opened or the query fails (a mapped field the table lacks); false
    // without one when the table holds no record.
    bool connect(const std::filesystem::path& iniPath, int slot, std::optional<DbMessage>& message);
    // connect() from the query on: selects the slot's mapped fields in an
    // already opened database, which the connection then owns.
    bool attach(const std::filesystem::path& iniPath, const DbSlotConfig& config,
                std::unique_ptr<Database> database, std::optional<DbMessage>& message);
    // Closes the record set and the database.
    void close();

    // The nine texts of a record; with `advance` the next record is read
    // first (the first read after connect() reads the first record). Without
    // it the records start over at the first, the query running again unless
    // connect() has just run it, so that a refill shows the table as it is
    // now. False at the end or when not connected.
    bool readRecord(bool advance, RecordTexts& texts);

    // Writes `columnWidths` to the slot's "cw" keys (only keys present in the
    // file change). False when the file could not be written.
    bool saveColumnWidths();

    // Appends one record from the nine Windows-1252 texts of "Add Database
    // Entry" (empty = field left empty): numbers with "," or ".", a kHz FREQ
    // given in MHz, dates as "YYYY-MM-DD HH:MM", "YYYY-MM-DD" or "HH:MM".
    // Nothing when stored; otherwise the "Write failed" message naming the
    // role, and no record is added.
    std::optional<DbMessage> addRecord(const RecordTexts& values);

    // Whether addRecord() can work: connected, not read-only and the table
    // takes new records.
    bool canWrite() const;
    bool connected() const { return m_connected; }
    // Records of the table, for the fill's progress.
    std::size_t recordCount() const;

    int slot() const { return m_slot; }
    const std::filesystem::path& iniPath() const { return m_iniPath; }
    std::string section() const { return slotSection(m_slot); }
    // c0 .. c8 as stored (UTF-8); empty = role not used.
    const std::array<std::string, kRoleCount>& fieldNames() const { return m_fieldNames; }
    const std::array<bool, kRoleCount>& fieldUsed() const { return m_fieldUsed; }
    const std::array<int, kRoleCount>& fieldTypes() const { return m_fieldTypes; }
    bool inKhz() const { return m_inKhz; }
    bool readOnly() const { return m_readOnly; }
    // Pixels for the nine list columns, at least 5; set before saveColumnWidths().
    std::array<int, kRoleCount> columnWidths{};
    // The query text of the last connect().
    const std::string& queryText() const { return m_query; }

private:
    std::filesystem::path m_iniPath;
    int m_slot = 0;
    std::array<std::string, kRoleCount> m_fieldNames;
    std::array<bool, kRoleCount> m_fieldUsed{};
    std::array<int, kRoleCount> m_fieldTypes{};
    // Index into the record set's fields of each used role.
    std::array<std::size_t, kRoleCount> m_fieldIndex{};
    bool m_inKhz = false;
    bool m_readOnly = true;
    bool m_connected = false;
    bool m_fresh = false;     // the query has just moved to the first record, not yet read
    bool m_onRecord = false;  // the record set stands on a record
    std::string m_query;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<RecordSet> m_records;

    bool runQuery(std::string& error);
    void readTexts(RecordTexts& texts) const;
};

// ---- the text and lookup rules, for the list, the set-up preview and tests ----

// A field's value as the list shows it (UTF-8, trimmed): FREQ numbers "%4.6f"
// (kHz "%7.3f"), FREQ text read as a number with "," as ".", other numbers
// "%f", dates "%Y-%m-%d %H:%M" / "%Y-%m-%d" / "%H:%M", "?date?" for a bad
// date, "?!?" for an unsupported type, "" for null or empty.
std::string recordText(const Value& value, int type, std::size_t role, bool inKhz);
// The set-up preview's text: numbers "% 4.6f", "?!?" for unsupported types,
// otherwise as recordText() for a role other than FREQ.
std::string previewText(const Value& value, int type);

// The receive mode named in a MOD text: "WFM", "NFM", "AM", "USB", "LSB",
// "CW", "SFM", "WAM", "NAM" searched in that order in the text's upper case,
// "AM" not where it ends "WAM" or "NAM"; empty when none is found.
std::string modeInText(std::string_view modText);

// The commands of "T&une From Database": the frequency set from the FREQ text
// (kHz or MHz), then the mode set when the MOD text names a mode. Empty when
// the FREQ text is no frequency the receiver takes.
std::string tuneCommands(std::string_view freqText, std::string_view modText, bool inKhz,
                         bool mark2);

// The hertz value of a FREQ text: the text without "." and "," as a decimal
// integer; nothing when that is no number.
std::optional<std::int64_t> frequencyDigits(std::string_view freqText);

// The row Jump selects: the first whose FREQ digits are at least `hertz`; -1
// when none is.
int jumpRow(const std::vector<std::string_view>& freqTexts, std::int64_t hertz);

// The date/time forms "Add Database Entry" accepts: "YYYY-MM-DD HH:MM",
// "YYYY-MM-DD", and "HH:MM" (on 1899-12-30); nothing for any other text.
std::optional<DateTime> parseEntryDate(std::string_view text);

}  // namespace korvex::db
