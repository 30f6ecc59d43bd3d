// The station's activity log and recording: the sound library, the log's
// commands and the thread's messages, carried over to the station's thread.
#include <QMetaObject>
#include <QPointer>
#include <algorithm>

#include "log/LogActions.h"
#include "log/LogControl.h"
#include "log/MrqSound.h"
#include "mrqSnd.h"
#include "station/Station.h"

namespace korvex {

namespace {

// The sound library calls this on its own threads: the text is copied and
// handed to the host on the station's thread. A recording's failures can
// repeat with every log entry while nobody watches, so they go to the host
// as a notice.
void soundError(const char* text, void* context) {
    auto* station = static_cast<CStation*>(context);
    const std::string bytes = text != nullptr ? text : "";
    QMetaObject::invokeMethod(
        station, [station, bytes] { station->soundLibraryError(bytes); }, Qt::QueuedConnection);
}

}  // namespace

void CStation::createLog() {
    setSoundControl(std::make_unique<MrqSound>());
    SetSoundErrorCallback(&soundError, this);
}

void CStation::endLog() {
    SetSoundErrorCallback(nullptr, nullptr);
}

void CStation::soundLibraryError(const std::string& text) {
    if (isRecordingError(text)) {
        m_host.logNotice(LogNotice{LogNotice::Recording, true, text});
    } else {
        m_host.showError(QString::fromLocal8Bit(text.c_str()));
    }
}

void CStation::setSoundControl(std::unique_ptr<SoundControl> sound) {
    // The log's parts hold the old sound control: they go first.
    m_logControl.reset();
    m_logActions.reset();
    m_sound = std::move(sound);
    m_logActions = std::make_unique<CLogActions>(m_doc, m_rx, m_poll.commandQueue, *m_sound,
                                                 m_settings, static_cast<LogHost&>(*this));
    m_logControl = std::make_unique<CLogControl>(m_rx, m_doc, m_poll.commandQueue, *m_sound,
                                                 m_audio, m_logClock, static_cast<LogHost&>(*this));
    // The thread's texts and entries are carried to this thread; one that
    // arrives after the station has gone is dropped.
    QPointer<CStation> self(this);
    const auto onStation = [self](auto call) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, call] {
                if (self) {
                    call(*self);
                }
            },
            Qt::QueuedConnection);
    };
    m_logControl->setThreadMessage([onStation](const std::string& text) {
        onStation([text](CStation& s) { s.m_host.showError(QString::fromStdString(text)); });
    });
    m_logControl->setThreadNotice([onStation](const LogNotice& notice) {
        onStation([notice](CStation& s) { s.m_host.logNotice(notice); });
    });
    m_logControl->setThreadEntry([onStation](const LogEntry& entry) {
        onStation([entry](CStation& s) { emit s.logEntryAdded(entry); });
    });
}

void CStation::syncAudioSettings() {
    m_audio.audioTime = static_cast<unsigned>(std::max(0, m_settings.audioMaxTime));
    m_audio.sampleRate = m_settings.sampleRate;
    m_audio.bitsPerSample = m_settings.bitsPerSample;
}

bool CStation::useLogFile(const std::string& path) {
    if (m_logControl->logBusy()) {
        return false;
    }
    return m_logActions->useNewLogFile(path);
}

bool CStation::startLog() {
    if (!m_logControl->canStartLog() || m_doc.title() == CZelDoc::kNoLogTitle) {
        return false;
    }
    syncAudioSettings();
    LogRunSettings run;
    run.tentry = static_cast<unsigned>(std::max(0, m_settings.logOpenTime));
    run.tdelay = static_cast<unsigned>(std::max(0, m_settings.logCloseTime));
    run.recordAudio = m_settings.logAudio;
    run.logFilePath = m_settings.logFilePath;
    m_logControl->startLog(run);
    return true;
}

void CStation::stopLog() {
    m_logControl->stopLog();
}

void CStation::recordNow() {
    m_logControl->recordNow(m_settings.logFilePath);
}

void CStation::stopRecording() {
    m_logControl->stopRecording();
}

}  // namespace korvex
