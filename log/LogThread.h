#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "log/LogEntry.h"
#include "log/LogNotice.h"
#include "log/SoundControl.h"

namespace korvex {

class CReceiver;
class CZelDoc;
class CommandQueue;

// Wall-clock seconds and the loop's sleeps; tests drive both.
class LogClock {
public:
    virtual ~LogClock() = default;
    virtual std::time_t now() = 0;
    virtual void sleepMs(int ms) = 0;
};

// The real clock: local wall-clock time and real sleeps.
class SystemLogClock : public LogClock {
public:
    std::time_t now() override;
    void sleepMs(int ms) override;
};

// What a log run copies from the settings when it starts.
struct LogRunSettings {
    unsigned tentry = 1;  // seconds the squelch stays open before an entry begins
    unsigned tdelay = 1;  // seconds it stays closed before the entry ends
    bool recordAudio = false;
    std::string logFilePath;
};

// The objects a log run shares with the window's thread. Each is safe to
// use from both: the queue, the squelch reports and the document lock
// themselves, the audio settings are atomics.
struct LogThreadContext {
    CReceiver* rx = nullptr;
    CZelDoc* doc = nullptr;
    CommandQueue* queue = nullptr;
    const LiveAudioSettings* audio = nullptr;
    SoundControl* sound = nullptr;
    LogClock* clock = nullptr;
    // A message for a box on the window's thread; called on the log thread.
    std::function<void(const std::string&)> message;
    // What became of the log file's lines and the entries' recordings;
    // called on the log thread after every entry (and when the file cannot
    // be opened at the start).
    std::function<void(const LogNotice&)> notice;
    // An entry is in the document (and its line on its way to the file);
    // called on the log thread.
    std::function<void(const LogEntry&)> entryAdded;
};

// One run of the activity log: a thread that turns the parser's squelch
// reports into log entries, records each entry's audio, appends the entries
// to the document and the log file, and asks the receiver for "NL" after
// each. The window starts it, asks it to stop and reaps it once finished;
// it never waits on the thread for more than a join of a finished one.
class CLogThread {
public:
    static constexpr int kSliceMs = 200;
    // The thread's messages, in the order the window posts them.
    enum Message : int { kStartLogging = 0x5F4, kCloseLogFile = 0x5F5, kEndThread = 0x5FE };

    CLogThread(LogThreadContext context, LogRunSettings settings);
    // Stops the thread when it still runs and joins it.
    ~CLogThread();
    CLogThread(const CLogThread&) = delete;
    CLogThread& operator=(const CLogThread&) = delete;

    // Starts the thread and posts startLogging. The loop runs from here on,
    // so a stop that comes before the thread has started is never lost.
    void start();
    // Clears running and posts closeLogFile and endThread; returns at once.
    // The loop ends within one slice, finishes the entry in progress and
    // writes it before the file is closed.
    void requestStop();
    // The thread has left its message loop (join() returns at once).
    bool finished() const { return m_finished; }
    void join();

    bool running() const { return m_running; }

    // ---- the parts the thread runs; tests call them on their own thread ----
    // Checks that the log file can be appended to, creating it when
    // missing; when it cannot, says so at once. Every entry tries again.
    void openLogFile();
    // The squelch loop; returns when running is cleared.
    void squelchLoop();
    void closeLogFile();
    // For tests that run the loop on their own: sets or clears running.
    void setRunning(bool running) { m_running = running; }

    // The WAV name of an entry that starts at `start`: the log's base name
    // and "%y%m%d_%H%M%S.wav".
    std::string audioFileName(std::time_t start) const;

private:
    void post(int message);
    void messageLoop();
    void beginEntry();
    void endEntry();
    // The audio name an entry keeps: its own when its file holds samples;
    // else "-" and the name (no usable recording), the empty file removed.
    std::string checkedAudioFile();
    // Tells the window of a failure (its text) or a success (no text).
    void notify(LogNotice::Kind kind, std::string failure);

    LogThreadContext m_ctx;
    LogRunSettings m_settings;
    std::string m_logDirectory;
    std::string m_logBaseName;

    std::atomic<bool> m_running{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
    std::mutex m_messageMutex;
    std::condition_variable m_messageReady;
    std::deque<int> m_messages;

    // The entry in progress.
    std::time_t m_startTime = 0;
    std::string m_frequency;
    std::string m_level;
    std::string m_audioFile = std::string(EMPTY_FIELD);
};

// "%H:%M:%S" of a span of seconds; whole days are dropped.
std::string durationText(std::int64_t seconds);
// A local time as strftime formats it.
std::string localTimeText(std::time_t time, const char* format);

}  // namespace korvex
