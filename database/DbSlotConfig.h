#pragma once

// The set-up of the three database slots in "dbconf.ini": which file, which
// table and which fields fill the nine list columns. Values are replaced only
// where the file already holds the key, like every INI file of the program.
// Paths and field names are stored as UTF-8.

#include <array>
#include <filesystem>
#include <string>

namespace korvex::db {

inline constexpr int kSlotCount = 3;
inline constexpr std::size_t kRoleCount = 9;  // FREQ, MOD, COL2 .. COL8
inline constexpr int kDefaultColumnWidth = 50;
inline constexpr int kMinColumnWidth = 5;

struct DbSlotConfig {
    int slot = 0;       // 1..3, 0 for none
    std::string file;   // full path; empty = not configured
    std::string type;   // connect prefix, "dBASE III;" .. "Excel 5.0;", "Text;"
    std::string sheet;  // Excel sheet; empty otherwise
    std::array<std::string, kRoleCount> fields;  // c0 .. c8; empty = role not used
    bool readOnly = true;                        // "readonly" = "1"
    bool inKhz = false;                          // "finkhz" = "1"
    std::array<int, kRoleCount> columnWidths{};  // cw0 .. cw8, pixels
    // Why the setup cannot be used, naming the file: dbconf.ini refused, or
    // a value longer than kSlotValueLimit (read as empty); empty when usable.
    std::string problem;

    bool configured() const { return !file.empty(); }
};

// The longest file name, type, sheet or field name a slot's setup may hold.
inline constexpr std::size_t kSlotValueLimit = 4096;

// "DB1".."DB3"; "DB0" for slot 0, which matches no section.
std::string slotSection(int slot);

// Reads a slot; a missing file, section or key reads as empty (widths as 50,
// at least 5), and so does a value beyond kSlotValueLimit (see problem).
DbSlotConfig readSlotConfig(const std::filesystem::path& iniPath, int slot);

// Replaces file, type, xlssheet, c0..c8, readonly and finkhz of the slot's
// section and writes the file; the widths keep their values. False only when
// the file could not be written (a missing section or key is no error).
bool writeSlotSetup(const std::filesystem::path& iniPath, const DbSlotConfig& config);

// Empties file, xlssheet, type, c0..c8 and cw0..cw8 of the slot's section and
// writes the file.
bool clearSlotSetup(const std::filesystem::path& iniPath, int slot);

// Replaces cw0..cw8 of the slot's section with the widths and writes the file.
bool saveColumnWidths(const std::filesystem::path& iniPath, int slot,
                      const std::array<int, kRoleCount>& widths);

// The text of a complete file: the three sections with every key, empty.
std::string defaultDbConf();

// Writes defaultDbConf() when the file does not exist; true when the file
// exists afterwards.
bool ensureDbConf(const std::filesystem::path& iniPath);

}  // namespace korvex::db
