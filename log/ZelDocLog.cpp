#include <algorithm>
#include <fstream>
#include <iterator>
#include <new>

#include "log/LogFile.h"
#include "log/ZelDoc.h"
#include "ui/settings/AtomicFile.h"

namespace korvex {

bool CZelDoc::resetLog() {
    std::lock_guard lock(m_entryMutex);
    m_entries.clear();
    ++m_revision;
    m_appendEnabled = true;
    entriesChanged = false;
    try {
        if (m_entries.capacity() < kInitialEntryRoom) {
            m_entries.reserve(kInitialEntryRoom);
        }
    } catch (const std::bad_alloc&) {
        m_appendEnabled = false;
        return false;
    }
    return true;
}

AppendResult CZelDoc::appendEntry(const LogEntry& entry) {
    std::lock_guard lock(m_entryMutex);
    if (!m_appendEnabled) {
        return AppendResult::Ignored;
    }
    try {
        // Room grows by doubling: the old count again, at least one.
        if (m_entries.size() == m_entries.capacity()) {
            m_entries.reserve(m_entries.size() + std::max<std::size_t>(m_entries.size(), 1));
        }
        m_entries.push_back(entry);
        ++m_revision;
    } catch (const std::bad_alloc&) {
        m_appendEnabled = false;
        return AppendResult::OutOfMemory;
    }
    entriesChanged = true;
    return AppendResult::Appended;
}

AppendResult CZelDoc::appendAndWrite(const LogEntry& entry, const std::string& logFilePath) {
    std::lock_guard fileLock(m_fileMutex);
    const AppendResult result = appendEntry(entry);
    if (!logFilePath.empty()) {
        std::ofstream out(logFilePath, std::ios::binary | std::ios::app);
        out << formatLogLine(entry, "\r\n");
    }
    return result;
}

bool CZelDoc::appendEnabled() const {
    std::lock_guard lock(m_entryMutex);
    return m_appendEnabled;
}

bool CZelDoc::readLogFile(const std::filesystem::path& file) {
    auto read = readLogEntries(file);
    if (!read) {
        return false;
    }
    std::lock_guard lock(m_entryMutex);
    m_entries.clear();
    ++m_revision;
    if (m_appendEnabled) {
        try {
            m_entries.reserve(std::max(read->size(), kInitialEntryRoom));
            std::move(read->begin(), read->end(), std::back_inserter(m_entries));
        } catch (const std::bad_alloc&) {
            m_appendEnabled = false;
        }
    }
    entriesChanged = true;
    return true;
}

bool CZelDoc::writeLogFile(const std::filesystem::path& file) const {
    std::lock_guard fileLock(m_fileMutex);
    std::string text;
    {
        std::lock_guard lock(m_entryMutex);
        text.reserve(m_entries.size() * 64);
        for (const LogEntry& entry : m_entries) {
            text += formatLogLine(entry, "\n");
        }
    }
    return writeFileAtomically(file, text);
}

std::size_t CZelDoc::entryCount() const {
    std::lock_guard lock(m_entryMutex);
    return m_entries.size();
}

std::vector<LogEntry> CZelDoc::entries() const {
    std::lock_guard lock(m_entryMutex);
    return m_entries;
}

void CZelDoc::visitEntries(const std::function<void(const std::vector<LogEntry>&)>& visit) const {
    std::lock_guard lock(m_entryMutex);
    visit(m_entries);
}

bool CZelDoc::removeEntry(std::size_t index) {
    std::lock_guard lock(m_entryMutex);
    if (index >= m_entries.size()) {
        return false;
    }
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    ++m_revision;
    return true;
}

bool CZelDoc::setAudioFile(std::size_t index, std::string_view name) {
    std::lock_guard lock(m_entryMutex);
    if (index >= m_entries.size()) {
        return false;
    }
    m_entries[index].audioFile.assign(name);
    ++m_revision;
    return true;
}

std::size_t CZelDoc::entryCapacity() const {
    std::lock_guard lock(m_entryMutex);
    return m_entries.capacity();
}

}  // namespace korvex
