#pragma once

#include <memory>
#include <string>

#include "log/LogThread.h"

namespace korvex {

class CReceiver;
class CZelDoc;
class CommandQueue;
class LogHost;
class SoundControl;
struct KorvSettings;

// Starts and stops the activity log's thread and the manual recording, and
// decides when those commands are enabled.
class CLogControl {
public:
    CLogControl(CReceiver& rx, CZelDoc& doc, CommandQueue& queue, SoundControl& sound,
                LiveAudioSettings& audio, LogClock& clock, LogHost& host);
    ~CLogControl();

    // The thread's out-of-memory message, called on the log thread; the
    // window passes it to its own thread.
    void setThreadMessage(std::function<void(const std::string&)> message) {
        m_threadMessage = std::move(message);
    }
    // The thread's notices about the log file and the recordings, called on
    // the log thread; the window passes them to its own thread.
    void setThreadNotice(std::function<void(const LogNotice&)> notice) {
        m_threadNotice = std::move(notice);
    }

    // Every entry the thread adds, called on the log thread.
    void setThreadEntry(std::function<void(const LogEntry&)> entryAdded) {
        m_threadEntry = std::move(entryAdded);
    }

    // Start Log once a log file is chosen: "LC1", then the thread. Nothing
    // while a log thread exists.
    void startLog(const LogRunSettings& run);
    // Stop Log: stops the recording, asks the thread to stop and returns at
    // once; the thread finishes its entry and closes the file on its own.
    void stopLog();
    // Joins a thread that has finished; the window's timer calls it.
    void reap();
    // At exit: Stop Log when running, then waits for the thread.
    void shutdown();
    bool threadExists() const { return m_thread != nullptr; }
    // The log runs, or its thread is still finishing the last entry: the
    // commands that would touch the entries or the recording wait for both.
    bool logBusy() const;

    // Record Now into the log's folder; a message when refused.
    void recordNow(const std::string& logFilePath);
    // Stop Recording; a message when nothing was recording. A recording
    // that holds no samples is told to the window.
    void stopRecording();

    // ---- enabling ----
    bool canStartLog() const;
    bool canStopLog() const;
    bool canRecordNow() const;
    bool canStopRecording() const;
    bool canEditLogSettings() const;

private:
    CReceiver& m_rx;
    CZelDoc& m_doc;
    CommandQueue& m_queue;
    SoundControl& m_sound;
    LiveAudioSettings& m_audio;
    LogClock& m_clock;
    LogHost& m_host;
    std::function<void(const std::string&)> m_threadMessage;
    std::function<void(const LogNotice&)> m_threadNotice;
    std::function<void(const LogEntry&)> m_threadEntry;
    std::string m_manualPath;  // of the last Record Now
    std::unique_ptr<CLogThread> m_thread;
};

}  // namespace korvex
