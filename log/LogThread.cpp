#include "log/LogThread.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "link/CommandQueue.h"
#include "link/Commands.h"
#include "log/LogFile.h"
#include "log/LogFileWrite.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"

namespace korvex {

namespace {

constexpr int kSlicesPerSecond = 5;
constexpr const char* kNoMoreMemory = "No more memory for Log-entries.";
// RIFF header, "fmt " chunk and "data" header of the library's WAV files.
constexpr std::size_t kWaveHeaderSize = 46;

}  // namespace

std::time_t SystemLogClock::now() {
    return std::time(nullptr);
}

void SystemLogClock::sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string durationText(std::int64_t seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    const auto hours = (seconds / 3600) % 24;
    const auto minutes = (seconds / 60) % 60;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(hours),
                  static_cast<int>(minutes), static_cast<int>(seconds % 60));
    return text;
}

std::string localTimeText(std::time_t time, const char* format) {
    std::tm local{};
    localtime_r(&time, &local);
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}

CLogThread::CLogThread(LogThreadContext context, LogRunSettings settings)
    : m_ctx(std::move(context)),
      m_settings(std::move(settings)),
      m_logDirectory(logDirectory(m_settings.logFilePath)),
      m_logBaseName(logBaseName(m_settings.logFilePath)) {
    m_startTime = m_ctx.clock->now();
}

CLogThread::~CLogThread() {
    if (m_thread.joinable()) {
        requestStop();
        m_thread.join();
    }
}

void CLogThread::start() {
    if (m_thread.joinable()) {
        return;
    }
    m_running = true;
    m_finished = false;
    post(kStartLogging);
    m_thread = std::thread([this] { messageLoop(); });
}

void CLogThread::requestStop() {
    m_running = false;
    post(kCloseLogFile);
    post(kEndThread);
}

void CLogThread::join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CLogThread::post(int message) {
    {
        std::lock_guard lock(m_messageMutex);
        m_messages.push_back(message);
    }
    m_messageReady.notify_one();
}

void CLogThread::messageLoop() {
    for (;;) {
        int message = 0;
        {
            std::unique_lock lock(m_messageMutex);
            m_messageReady.wait(lock, [this] { return !m_messages.empty(); });
            message = m_messages.front();
            m_messages.pop_front();
        }
        if (message == kStartLogging) {
            openLogFile();
            squelchLoop();
        } else if (message == kCloseLogFile) {
            closeLogFile();
        } else if (message == kEndThread) {
            break;
        }
    }
    if (m_ctx.sound->isRecording()) {
        m_ctx.sound->stopRec();
    }
    m_finished = true;
}

void CLogThread::openLogFile() {
    if (const int error = probeLogFile(m_settings.logFilePath); error != 0) {
        notify(LogNotice::LogFile, "Unable to open the log file\n" + m_settings.logFilePath + "\n" +
                                       std::strerror(error) +
                                       "\nEntries stay in the list until it can be written.");
    }
}

// Every line opens the file by name, so nothing stays open to be closed.
void CLogThread::closeLogFile() {}

void CLogThread::notify(LogNotice::Kind kind, std::string failure) {
    if (m_ctx.notice) {
        const bool failed = !failure.empty();
        m_ctx.notice(LogNotice{kind, failed, std::move(failure)});
    }
}

void CLogThread::squelchLoop() {
    SquelchEvents& events = m_ctx.rx->squelchEvents;
    bool inEntry = false;
    bool openPending = false;
    bool closePending = false;
    unsigned idleSeconds = 0;
    unsigned audioSeconds = 0;

    // The checks compare against delay - 1 in unsigned arithmetic, so a delay
    // of 0 never fires.
    const auto endCheck = [&] {
        if (idleSeconds > m_settings.tdelay - 1u) {
            inEntry = false;
            idleSeconds = 0;
            closePending = false;
            audioSeconds = 0;
            endEntry();
        }
    };
    const auto startCheck = [&] {
        if (idleSeconds > m_settings.tentry - 1u) {
            inEntry = true;
            idleSeconds = 0;
            openPending = false;
            beginEntry();
        }
    };

    events.clear();
    while (true) {
        if (inEntry) {
            if (const auto event = events.take()) {
                closePending = *event == 0;
                idleSeconds = 0;
                if (closePending) {
                    endCheck();
                }
            } else if (closePending) {
                endCheck();
            }
        } else {
            if (const auto event = events.take()) {
                openPending = *event != 0;
                idleSeconds = 0;
                if (openPending) {
                    startCheck();
                }
            } else if (openPending) {
                startCheck();
            }
        }
        // Reports that came in a burst are taken without sleeping.
        if (!events.empty()) {
            continue;
        }
        bool stopped = false;
        for (int slice = 1; slice <= kSlicesPerSecond; ++slice) {
            m_ctx.clock->sleepMs(kSliceMs);
            if (slice < kSlicesPerSecond && !m_running) {
                stopped = true;
                break;
            }
        }
        if (stopped) {
            break;
        }
        ++audioSeconds;
        if (audioSeconds > m_ctx.audio->audioTime.load()) {
            if (m_settings.recordAudio && m_ctx.sound->isRecording()) {
                m_ctx.sound->stopRec();
            }
            audioSeconds = 0;
        }
        if (!m_running) {
            break;
        }
        ++idleSeconds;
    }
    if (inEntry) {
        endEntry();
    }
    events.clear();
}

std::string CLogThread::audioFileName(std::time_t start) const {
    return m_logBaseName + localTimeText(start, "%y%m%d_%H%M%S.wav");
}

void CLogThread::beginEntry() {
    m_startTime = m_ctx.clock->now();
    const SquelchEvents::Values values = m_ctx.rx->squelchEvents.values();
    m_frequency = values.frequency;
    m_level = values.level;
    m_audioFile = std::string(EMPTY_FIELD);
    if (m_settings.recordAudio) {
        m_audioFile = audioFileName(m_startTime);
        const std::string path = m_logDirectory + m_audioFile;
        if (m_ctx.sound->isRecording()) {
            m_ctx.sound->stopRec();
        }
        m_ctx.sound->startRec(m_ctx.audio->sampleRate.load(), m_ctx.audio->bitsPerSample.load(),
                              path);
    }
}

std::string CLogThread::checkedAudioFile() {
    if (m_audioFile.empty() || m_audioFile.front() == EMPTY_BYTE || m_audioFile.front() == '-') {
        return m_audioFile;
    }
    const std::string path = m_logDirectory + m_audioFile;
    if (usableRecording(path)) {
        notify(LogNotice::Recording, {});
        return m_audioFile;
    }
    // A file that took not even the header's samples is of no use to play;
    // what else is there (a file the recording did not make) stays.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        st.st_size <= static_cast<off_t>(kWaveHeaderSize)) {
        ::unlink(path.c_str());
    }
    notify(LogNotice::Recording, "No usable recording for the log entry of " +
                                     localTimeText(m_startTime, "%Y-%m-%d %H:%M:%S") + ":\n" +
                                     path);
    return "-" + m_audioFile;
}

void CLogThread::endEntry() {
    const std::time_t endTime = m_ctx.clock->now();
    if (m_settings.recordAudio) {
        m_ctx.sound->stopRec();
    }
    LogEntry entry;
    entry.date = localTimeText(m_startTime, "%Y-%m-%d");
    entry.time = localTimeText(m_startTime, "%H:%M:%S");
    entry.duration = durationText(static_cast<std::int64_t>(endTime - m_startTime));
    entry.frequency = m_frequency;
    entry.level = m_level;
    entry.audioFile = m_settings.recordAudio ? checkedAudioFile() : m_audioFile;
    // Each line reaches the file at once, so a crash loses nothing.
    const AppendOutcome appended = m_ctx.doc->appendAndWrite(entry, m_settings.logFilePath);
    if (appended.entry == AppendResult::OutOfMemory && m_ctx.message) {
        m_ctx.message(kNoMoreMemory);
    }
    if (appended.entry == AppendResult::Appended && m_ctx.entryAdded) {
        m_ctx.entryAdded(entry);
    }
    std::string failure;
    if (appended.fileError != 0) {
        failure = "Unable to write the log file\n" + m_settings.logFilePath + "\n" +
                  std::strerror(appended.fileError) +
                  "\nEntries waiting for the file: " + std::to_string(appended.unwrittenLines);
    }
    notify(LogNotice::LogFile, std::move(failure));
    m_ctx.queue->append(cmd::noiseLimiterQuery());
    m_audioFile = std::string(EMPTY_FIELD);
}

}  // namespace korvex
