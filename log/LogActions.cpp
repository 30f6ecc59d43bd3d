#include "log/LogActions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/CommandQueue.h"
#include "link/Commands.h"
#include "log/LogFile.h"
#include "log/LogHost.h"
#include "log/SoundControl.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "settings/KorvSettings.h"

namespace korvex {

namespace {

constexpr const char* kNotFound = "File not found or in use.";
constexpr const char* kPlayerFailed = "error while trying to start external player\n";
constexpr const char* kCannotPlay = "Can not play file";
constexpr const char* kAccessDenied = "Unable to delete audio file. Access denied";

// A regular file that can be opened for reading now.
bool readableFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

std::string fileError(const char* what, const std::string& path, int error) {
    return std::string(what) + "\n" + path + "\n" + std::strerror(error);
}

}  // namespace

CLogActions::CLogActions(CZelDoc& doc, CReceiver& rx, CommandQueue& queue, SoundControl& sound,
                         KorvSettings& settings, LogHost& host)
    : m_doc(doc), m_rx(rx), m_queue(queue), m_sound(sound), m_settings(settings), m_host(host) {}

std::string CLogActions::titleOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CLogActions::readInto(const std::string& path) {
    std::string problem;
    if (!m_doc.readLogFile(path, &problem)) {
        m_host.showLogMessage(problem, "Error");
        return false;
    }
    if (!m_doc.appendEnabled()) {
        m_host.showLogMessage("No more memory for Log-entries.", "Error");
    }
    m_settings.logFilePath = path;
    m_doc.setTitle(titleOf(path));
    m_queue.append(cmd::noiseLimiterQuery());
    return true;
}

bool CLogActions::useNewLogFile(const std::string& path) {
    // An existing file keeps its content; a missing one is created empty.
    // Without blocking: a FIFO without a reader fails at once instead of
    // freezing the window; readInto then refuses anything but a regular file.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
        m_host.showLogMessage(fileError("Unable to create the log file", path, errno), "Error");
        return false;
    }
    ::close(fd);
    return readInto(path);
}

void CLogActions::newLog(const std::optional<std::string>& chosenPath) {
    if (!m_doc.resetLog()) {
        m_host.showLogMessage("Not enough memory for Log-entries.", "Error");
        m_doc.setTitle(CZelDoc::kNoLogTitle);
        return;
    }
    if (!chosenPath || !useNewLogFile(*chosenPath)) {
        m_doc.setTitle(CZelDoc::kNoLogTitle);
    }
    m_doc.entriesChanged = true;
    m_queue.append(cmd::noiseLimiterQuery());
}

bool CLogActions::openLog(const std::string& path) {
    return readInto(path);
}

void CLogActions::play(const LogEntry& row, int /*rowIndex*/) {
    if (m_rx.logActive) {
        return;
    }
    const auto path = audioFilePath(m_settings.logFilePath, row.audioFile);
    if (!row.hasAudio() || !path || !readableFile(*path)) {
        m_host.showLogMessage(kNotFound, "Info");
        return;
    }
    if (m_settings.useExternalPlayer) {
        if (!m_host.startExternalPlayer(m_settings.playerPath, *path)) {
            m_host.showLogMessage(kPlayerFailed + m_settings.playerPath, "Error");
        }
        return;
    }
    if (m_sound.startPlay(*path) == 0) {
        m_host.showLogMessage(kCannotPlay, "Error");
    }
}

void CLogActions::stopPlaying() {
    m_sound.stopPlay();
}

bool CLogActions::deleteAudioFile(const LogEntry& entry) {
    if (!entry.hasAudio()) {
        return true;
    }
    const auto path = audioFilePath(m_settings.logFilePath, entry.audioFile);
    if (!path) {
        return true;
    }
    if (::unlink(path->c_str()) != 0 && errno != ENOENT) {
        m_host.showLogMessage(kAccessDenied, "Error");
        return false;
    }
    return true;
}

std::optional<std::size_t> CLogActions::entryIndex(const LogEntry& row, int rowIndex) const {
    std::optional<std::size_t> found;
    m_doc.visitEntries([&](const std::vector<LogEntry>& entries) {
        if (rowIndex >= 0 && static_cast<std::size_t>(rowIndex) < entries.size() &&
            entries[static_cast<std::size_t>(rowIndex)] == row) {
            found = static_cast<std::size_t>(rowIndex);
            return;
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] == row) {
                found = i;
                return;
            }
        }
    });
    return found;
}

bool CLogActions::rewriteLog() {
    if (!m_doc.appendEnabled()) {
        m_host.showLogMessage(
            "Not enough memory for Log-entries: the list does not hold every "
            "line of\n" +
                m_settings.logFilePath +
                "\nso the file is not rewritten. Open it again when more "
                "memory is free.",
            "Error");
        return false;
    }
    if (!m_doc.saveLog(m_settings.logFilePath)) {
        m_host.showLogMessage(
            fileError("Unable to write the log file", m_settings.logFilePath, errno), "Error");
        return false;
    }
    // Lines that waited for the file are in it now.
    m_host.logNotice(LogNotice{LogNotice::LogFile, false, {}});
    return true;
}

void CLogActions::entriesRewritten() {
    m_rx.listChanged = true;
    m_queue.append(cmd::noiseLimiterQuery());
}

bool CLogActions::deleteAudio(const LogEntry& row, int rowIndex) {
    const auto index = entryIndex(row, rowIndex);
    if (!index) {
        return false;
    }
    m_doc.setAudioFile(*index, EMPTY_FIELD);
    if (!rewriteLog()) {
        m_doc.setAudioFile(*index, row.audioFile);
        return false;
    }
    if (!deleteAudioFile(row)) {
        // The file stays, so its entry names it again.
        m_doc.setAudioFile(*index, row.audioFile);
        rewriteLog();
        return false;
    }
    entriesRewritten();
    return true;
}

bool CLogActions::deleteEntry(const LogEntry& row, int rowIndex) {
    if (m_rx.logActive) {
        return false;
    }
    const auto index = entryIndex(row, rowIndex);
    if (!index) {
        return false;
    }
    m_doc.removeEntry(*index);
    if (!rewriteLog()) {
        m_doc.insertEntry(*index, row);
        return false;
    }
    if (!deleteAudioFile(row)) {
        m_doc.insertEntry(*index, row);
        rewriteLog();
        return false;
    }
    entriesRewritten();
    return true;
}

bool CLogActions::deleteAll() {
    if (m_rx.logActive ||
        !m_host.confirmLog("Delete ALL log entries and their audio files ?", "Warning")) {
        return false;
    }
    const std::vector<LogEntry> entries = m_doc.entries();
    m_doc.setEntries({});
    if (!rewriteLog()) {
        m_doc.setEntries(entries);
        return false;
    }
    // Entries whose file cannot be deleted come back, in their order.
    std::vector<bool> kept(entries.size(), false);
    bool anyKept = false;
    for (std::size_t n = entries.size(); n-- > 0;) {
        if (!deleteAudioFile(entries[n])) {
            kept[n] = true;
            anyKept = true;
        }
    }
    if (anyKept) {
        std::vector<LogEntry> remaining;
        for (std::size_t n = 0; n < entries.size(); ++n) {
            if (kept[n]) {
                remaining.push_back(entries[n]);
            }
        }
        m_doc.setEntries(std::move(remaining));
        rewriteLog();
    }
    entriesRewritten();
    return true;
}

}  // namespace korvex
