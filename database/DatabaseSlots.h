#pragma once

// The three database slots DB1..DB3 of the main window: which are connected,
// which one is active, and what "Connect to DBn" does with them. Questions
// and messages go through a small host the window implements.

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "database/DbDao.h"

namespace korvex::db {

class SlotHost {
public:
    virtual ~SlotHost() = default;
    // An OK/Cancel question with the question icon; true for OK.
    virtual bool confirm(const std::string& text, const std::string& caption) = 0;
    virtual void tell(const DbMessage& message) = 0;
};

class DatabaseSlots {
public:
    explicit DatabaseSlots(SlotHost& host) : m_host(host) {}
    ~DatabaseSlots();
    DatabaseSlots(const DatabaseSlots&) = delete;
    DatabaseSlots& operator=(const DatabaseSlots&) = delete;

    // Where "dbconf.ini" lies; known once the settings folder is chosen.
    void setIniPath(std::filesystem::path path) { m_iniPath = std::move(path); }
    const std::filesystem::path& iniPath() const { return m_iniPath; }

    // "Connect to DBn": disconnects the active slot after a question,
    // activates a connected one, or connects an unconnected one. True when
    // the active database changed.
    bool connectSlot(int slot);

    CDbDao* activeDb() const { return m_activeDb; }
    int activeSlot() const { return m_activeSlot; }
    bool connected(int slot) const;
    CDbDao* slotDb(int slot) const;

    // The active database moved to its first record, ready for a fill: a
    // database read before is opened again, so the list shows the table as
    // it is now. A database that cannot be opened again is told and
    // disconnected; nullptr then, and when none is active.
    CDbDao* rewoundActive();

    // Closes every connection (the program's close sequence).
    void closeAll();

private:
    void drop(int slot);

    SlotHost& m_host;
    std::filesystem::path m_iniPath;
    std::array<std::unique_ptr<CDbDao>, kSlotCount> m_dbSlots;
    // Whether a slot's records have been read since it was connected.
    std::array<bool, kSlotCount> m_read{};
    CDbDao* m_activeDb = nullptr;
    int m_activeSlot = 0;
};

// The texts of the slot commands' boxes.
inline constexpr const char* kNotConfiguredText =
    "Database connection not configured.\nUse Settings -> Database Settings for setup";
inline constexpr const char* kNotConfiguredCaption = "DB connection failed";
inline constexpr const char* kDisconnectCaption = "Confirm";
std::string disconnectQuestion(int slot);

}  // namespace korvex::db
