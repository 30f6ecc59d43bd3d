#include <algorithm>
#include <cerrno>
#include <iterator>
#include <new>

#include "log/LogFile.h"
#include "log/LogFileWrite.h"
#include "log/ZelDoc.h"
#include "settings/AtomicFile.h"

namespace korvex {

bool CZelDoc::resetLog() {
    {
        std::lock_guard fileLock(m_fileMutex);
        m_unwritten.clear();
    }
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

AppendOutcome CZelDoc::appendAndWrite(const LogEntry& entry, const std::string& logFilePath) {
    std::lock_guard fileLock(m_fileMutex);
    AppendOutcome outcome;
    outcome.entry = appendEntry(entry);
    if (logFilePath.empty()) {
        return outcome;
    }
    try {
        outcome.fileError = appendLogLines(logFilePath, [&](std::string_view lineEnd) {
            std::string text;
            for (const LogEntry& waiting : m_unwritten) {
                text += formatLogLine(waiting, lineEnd);
            }
            text += formatLogLine(entry, lineEnd);
            return text;
        });
        if (outcome.fileError == 0) {
            m_unwritten.clear();
        } else {
            m_unwritten.push_back(entry);
        }
    } catch (const std::bad_alloc&) {
        // The entry is in the document (or already reported lost there);
        // its line waits for the next rewrite.
        outcome.fileError = ENOMEM;
    }
    outcome.unwrittenLines = m_unwritten.size();
    return outcome;
}

std::size_t CZelDoc::unwrittenLines() const {
    std::lock_guard fileLock(m_fileMutex);
    return m_unwritten.size();
}

bool CZelDoc::appendEnabled() const {
    std::lock_guard lock(m_entryMutex);
    return m_appendEnabled;
}

bool CZelDoc::readLogFile(const std::filesystem::path& file, std::string* problem) {
    std::string why;
    auto read = readLogEntries(file, why);
    if (!read) {
        if (problem != nullptr) {
            *problem = std::move(why);
        }
        return false;
    }
    {
        // Lines that waited for the file the document held go with it.
        std::lock_guard fileLock(m_fileMutex);
        m_unwritten.clear();
    }
    std::lock_guard lock(m_entryMutex);
    m_entries.clear();
    ++m_revision;
    // A file read anew is a new document: that memory ran out for the old
    // one's entries says nothing about this one, which gets its own try.
    m_appendEnabled = true;
    try {
        m_entries.reserve(std::max(read->size(), kInitialEntryRoom));
        std::move(read->begin(), read->end(), std::back_inserter(m_entries));
    } catch (const std::bad_alloc&) {
        m_entries.clear();
        m_appendEnabled = false;
    }
    entriesChanged = true;
    return true;
}

bool CZelDoc::writeLogFile(const std::filesystem::path& file) {
    std::lock_guard fileLock(m_fileMutex);
    const std::string_view lineEnd = logLineEndOf(file.string());
    std::string text;
    try {
        std::lock_guard lock(m_entryMutex);
        // Entries lost to a lack of memory are still lines of the file: a
        // rewrite from what the document holds would drop them.
        if (!m_appendEnabled) {
            errno = ENOMEM;
            return false;
        }
        text.reserve(m_entries.size() * 64);
        for (const LogEntry& entry : m_entries) {
            text += formatLogLine(entry, lineEnd);
        }
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
    if (!writeFileAtomically(file, text)) {
        return false;
    }
    m_unwritten.clear();
    return true;
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

bool CZelDoc::insertEntry(std::size_t index, const LogEntry& entry) {
    std::lock_guard lock(m_entryMutex);
    try {
        m_entries.insert(
            m_entries.begin() + static_cast<std::ptrdiff_t>(std::min(index, m_entries.size())),
            entry);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void CZelDoc::setEntries(std::vector<LogEntry> entries) {
    std::lock_guard lock(m_entryMutex);
    m_entries = std::move(entries);
}

std::size_t CZelDoc::entryCapacity() const {
    std::lock_guard lock(m_entryMutex);
    return m_entries.capacity();
}

}  // namespace korvex
