#include "database/DatabaseSlots.h"

#include <optional>
#include <utility>

namespace korvex::db {

namespace {

bool validSlot(int slot) {
    return slot >= 1 && slot <= kSlotCount;
}

std::size_t index(int slot) {
    return static_cast<std::size_t>(slot - 1);
}

}  // namespace

std::string disconnectQuestion(int slot) {
    return "Really disconnect " + slotSection(slot) + " ?";
}

DatabaseSlots::~DatabaseSlots() {
    closeAll();
}

bool DatabaseSlots::connected(int slot) const {
    return slotDb(slot) != nullptr;
}

CDbDao* DatabaseSlots::slotDb(int slot) const {
    return validSlot(slot) ? m_dbSlots[index(slot)].get() : nullptr;
}

bool DatabaseSlots::connectSlot(int slot) {
    if (!validSlot(slot)) {
        return false;
    }
    CDbDao* db = slotDb(slot);
    if (db != nullptr && db == m_activeDb) {
        if (!m_host.confirm(disconnectQuestion(slot), kDisconnectCaption)) {
            return false;
        }
        drop(slot);
        return true;
    }
    if (db != nullptr) {
        m_activeDb = db;
        m_activeSlot = slot;
        return true;
    }
    if (!readSlotConfig(m_iniPath, slot).configured()) {
        m_host.tell({kNotConfiguredText, kNotConfiguredCaption, DbMessage::Icon::Information});
        return false;
    }
    auto fresh = std::make_unique<CDbDao>();
    std::optional<DbMessage> message;
    const bool ok = fresh->connect(m_iniPath, slot, message);
    if (message) {
        m_host.tell(*message);
    }
    if (!ok) {
        return false;
    }
    m_dbSlots[index(slot)] = std::move(fresh);
    m_read[index(slot)] = false;
    m_activeDb = m_dbSlots[index(slot)].get();
    m_activeSlot = slot;
    return true;
}

CDbDao* DatabaseSlots::rewoundActive() {
    if (m_activeDb == nullptr) {
        return nullptr;
    }
    const int slot = m_activeSlot;
    if (m_read[index(slot)]) {
        // The record set has been read to its end: run the query again.
        m_activeDb->close();
        std::optional<DbMessage> message;
        const bool ok = m_activeDb->connect(m_iniPath, slot, message);
        if (message) {
            m_host.tell(*message);
        }
        if (!ok) {
            drop(slot);
            return nullptr;
        }
    }
    m_read[index(slot)] = true;
    return m_activeDb;
}

void DatabaseSlots::drop(int slot) {
    std::unique_ptr<CDbDao>& db = m_dbSlots[index(slot)];
    if (db.get() == m_activeDb) {
        m_activeDb = nullptr;
        m_activeSlot = 0;
    }
    if (db) {
        db->close();
    }
    db.reset();
    m_read[index(slot)] = false;
}

void DatabaseSlots::closeAll() {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        drop(slot);
    }
}

}  // namespace korvex::db
