#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "log/LogEntry.h"

namespace korvex {

// One swept frequency of the bandscope.
struct BandscopeBin {
    std::uint32_t frequency = 0;  // Hz
    std::uint32_t level = 0;      // last level
    std::uint32_t peak = 0;       // highest level seen
    std::uint32_t hits = 0;       // samples above the threshold
    std::uint32_t samples = 0;
    std::uint32_t percent = 0;  // hits * 100 / samples

    bool operator==(const BandscopeBin&) const = default;
};

// The settings a bandscope set-up copies: full scale of the level axis and
// the level above which a sample counts as a hit.
struct ScopeLevels {
    int levelMax = 0;
    int threshold = 0;
};

// What an append did with its entry.
enum class AppendResult { Appended, Ignored, OutOfMemory };

// What appendAndWrite did: with the entry in the document, and with its line
// (and the lines still waiting before it) in the log file.
struct AppendOutcome {
    AppendResult entry = AppendResult::Ignored;
    int fileError = 0;               // 0 when the lines reached the file
    std::size_t unwrittenLines = 0;  // lines waiting for the next append or rewrite
};

// The program's one document: the activity log's entries and the
// bandscope's sweep data, shared by the list view and the bandscope view.
// The entries are appended by the log thread while the window reads and
// deletes them, so every access to them takes the document's lock.
class CZelDoc {
public:
    static constexpr std::size_t kLabelCount = 6;
    static constexpr std::size_t kInitialEntryRoom = 1000;
    inline static const std::string kNoLogTitle = "no log";

    // ---- log ----
    // Set when the log entries have changed and the log list wants a refill;
    // written by the log thread too.
    std::atomic<bool> entriesChanged{false};

    // Empties the entries, enables appends and reserves room for 1000
    // entries. False, with appends disabled, when that room cannot be had.
    bool resetLog();
    // Appends a copy at the end unless appends are disabled. Out of memory,
    // the entry is lost and appends stay disabled until the next resetLog.
    AppendResult appendEntry(const LogEntry& entry);
    // appendEntry, then the entry's line appended to the log file, ended as
    // the file's last line is (CR LF in a new file)
    // (nothing when the path is empty). Both happen under the file lock that
    // a rewrite takes too, so a rewrite neither loses nor doubles an entry;
    // the file is opened by name for each line, so a line never goes to a
    // file a rewrite has replaced. A line that cannot be written (full disk,
    // read-only file, folder gone) waits, and goes to the file before the
    // next line that can be, or with the next rewrite; the file never keeps
    // part of a line.
    AppendOutcome appendAndWrite(const LogEntry& entry, const std::string& logFilePath);
    // The lines that could not be appended yet.
    std::size_t unwrittenLines() const;
    bool appendEnabled() const;
    // Replaces the entries with a log file's entries; false, with the
    // entries unchanged and the reason in `problem` when it is given, when
    // the file cannot be read or is refused (see readLogEntries).
    bool readLogFile(const std::filesystem::path& file, std::string* problem = nullptr);
    // Replaces the file with every entry, one line each, ended as most lines
    // of the file it replaces are (CR LF for a new file). The file is
    // written beside itself and renamed over the old one, so a failed write
    // leaves the old file whole. False when it could not be written; once it
    // is, no line waits any longer. Refused (false, errno ENOMEM) while the
    // document lacks entries that memory ran out for (appends disabled): the
    // file still holds their lines.
    bool writeLogFile(const std::filesystem::path& file);
    // writeLogFile on the log's path.
    bool saveLog(const std::string& logFilePath) { return writeLogFile(logFilePath); }

    std::size_t entryCount() const;
    std::vector<LogEntry> entries() const;
    // Runs `visit` on the entries under the document's lock; `visit` must
    // not call back into the document.
    void visitEntries(const std::function<void(const std::vector<LogEntry>&)>& visit) const;
    bool removeEntry(std::size_t index);
    // Puts an entry back at an index (at the end when past it).
    bool insertEntry(std::size_t index, const LogEntry& entry);
    // Replaces every entry.
    void setEntries(std::vector<LogEntry> entries);
    bool setAudioFile(std::size_t index, std::string_view name);
    std::size_t entryCapacity() const;
    // Counts every change of the entries (append, removal, new audio name,
    // reset, file read): a reader that remembers it knows when to look again.
    std::uint64_t revision() const { return m_revision.load(); }

    // "no log" until a log file is chosen, then its file name.
    const std::string& title() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }

    // ---- bandscope ----
    // The highest level the receiver reports.
    static constexpr int kFullLevel = 255;
    std::uint32_t scopeLower = 0;  // Hz
    std::uint32_t scopeUpper = 0;  // Hz
    int scopeStep = 0;             // Hz
    std::string scopeModeText;
    std::string scopeBankText;
    char scopeKind = 0;  // 'V' VFO search from VFO A, 'W' from VFO B, else the bank letter
    int scopeLevelMax = 0;
    int levelThreshold = 0;
    std::string scopeTitle;
    std::array<std::string, kLabelCount> xLabels;
    std::array<std::string, kLabelCount> yLabels;
    bool scopeReady = false;
    bool scopeStale = false;
    std::vector<BandscopeBin> bins;
    int currentBin = 0;
    // The frequency of the last sample in MHz, "%4.4f"; "" before the first.
    // Made when asked for, so that a sample costs no formatting.
    std::string currentText() const;

    // Prepares a sweep between two frequencies (Hz, either order): stores
    // the range and texts, copies the levels (a full scale of 0 or less
    // reads as kFullLevel) and builds the labels and the
    // title. False, with nothing changed, when either frequency is 0 or the
    // step is not positive (every bin and pixel position divides by it). The
    // bins are left as they are.
    bool setupBandscope(std::uint32_t frequency1, std::uint32_t frequency2, int stepHz,
                        std::string_view modeText, std::string_view bankText, char kind,
                        const ScopeLevels& levels);
    // The data no longer belongs to a running sweep; the title says so, once.
    void markStale();
    // (upper - lower) / step + 2 zeroed bins: one per swept frequency and a
    // spare. False, with the bins empty, when the table cannot be had: no
    // step, or more bins than kMaxBins or than memory holds.
    bool resetBins();
    void clearBins() { bins.clear(); }
    // One sweep report. A sample outside the bins (below the lower edge, or
    // beyond the last bin) is dropped and changes nothing. Never repaints.
    void addSample(std::int64_t frequencyHz, int level);

    // The number of steps across the range, (upper - lower) / step: the bars
    // drawn are bins 0 to this one. 0 without a step.
    std::uint64_t stepCount() const;
    // The most bins a range may have; a wider one is refused before its
    // table is made.
    static constexpr std::uint64_t kMaxBins = 1'000'000;
    // The bins a range needs, without making them.
    static std::uint64_t binCountFor(std::uint32_t lower, std::uint32_t upper, int stepHz);

private:
    void buildLabels();

    mutable std::mutex m_fileMutex;  // taken before m_entryMutex
    mutable std::mutex m_entryMutex;
    std::vector<LogEntry> m_entries;
    // Lines the log file did not take yet, oldest first; under m_fileMutex.
    std::vector<LogEntry> m_unwritten;
    bool m_appendEnabled = true;
    std::atomic<std::uint64_t> m_revision{0};
    std::string m_title = kNoLogTitle;

    void buildTitle();

    std::int64_t m_currentHz = -1;  // of the last sample taken
};

}  // namespace korvex
