#pragma once

#include <optional>
#include <string>

#include "log/LogEntry.h"

namespace korvex {

class CReceiver;
class CZelDoc;
class CommandQueue;
class LogHost;
class SoundControl;
struct KorvSettings;

// The log's file commands and the log view's actions: choosing, reading and
// rewriting the log file, playing and deleting entries and their WAV files.
// Every change of the entries ends with "NL" in the command queue and a
// refill of the log view.
class CLogActions {
public:
    CLogActions(CZelDoc& doc, CReceiver& rx, CommandQueue& queue, SoundControl& sound,
                KorvSettings& settings, LogHost& host);

    // ---- File New, File Open, Start Log ----
    // File New after its dialog: empties the document, then uses the chosen
    // file (nothing: the title goes back to "no log").
    void newLog(const std::optional<std::string>& chosenPath);
    // The second half of chooseNewLog: the chosen path becomes the log, the
    // file is created when missing and read. False when it cannot be.
    bool useNewLogFile(const std::string& path);
    // File Open after its dialog: the chosen existing file becomes the log.
    bool openLog(const std::string& path);

    // ---- the log view's actions on a row (its six texts, its index) ----
    void play(const LogEntry& row, int rowIndex);
    void stopPlaying();
    // The three deletes; each returns true when the entries changed. Each
    // rewrites the log file first and deletes WAV files only once the file
    // no longer names them; a failed rewrite changes nothing.
    bool deleteAudio(const LogEntry& row, int rowIndex);
    bool deleteEntry(const LogEntry& row, int rowIndex);
    // Asks first; then removes every entry whose WAV file could be deleted
    // or was missing.
    bool deleteAll();

    // The file name of a path, for the document's title.
    static std::string titleOf(const std::string& path);

private:
    bool readInto(const std::string& path);
    // Deletes an entry's WAV file; false (after the message) when it exists
    // and cannot be deleted. Names that could leave the log's folder and
    // entries without audio delete nothing.
    bool deleteAudioFile(const LogEntry& entry);
    // Rewrites the log file; false, after the message, when it cannot be.
    bool rewriteLog();
    // The document index of a shown row: the row index while the row still
    // shows that entry, else the first equal entry.
    std::optional<std::size_t> entryIndex(const LogEntry& row, int rowIndex) const;
    void entriesRewritten();

    CZelDoc& m_doc;
    CReceiver& m_rx;
    CommandQueue& m_queue;
    SoundControl& m_sound;
    KorvSettings& m_settings;
    LogHost& m_host;
};

}  // namespace korvex
