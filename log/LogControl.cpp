#include "log/LogControl.h"

#include <utility>

#include "link/CommandQueue.h"
#include "link/Commands.h"
#include "log/LogFile.h"
#include "log/LogFileWrite.h"
#include "log/LogHost.h"
#include "log/SoundControl.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"

namespace korvex {

CLogControl::CLogControl(CReceiver& rx, CZelDoc& doc, CommandQueue& queue, SoundControl& sound,
                         LiveAudioSettings& audio, LogClock& clock, LogHost& host)
    : m_rx(rx),
      m_doc(doc),
      m_queue(queue),
      m_sound(sound),
      m_audio(audio),
      m_clock(clock),
      m_host(host) {}

CLogControl::~CLogControl() {
    shutdown();
}

void CLogControl::startLog(const LogRunSettings& run) {
    if (m_thread) {
        return;
    }
    m_queue.append(cmd::levelReports(cmd::LevelReports::On));
    m_rx.logActive = true;
    LogThreadContext context;
    context.rx = &m_rx;
    context.doc = &m_doc;
    context.queue = &m_queue;
    context.audio = &m_audio;
    context.sound = &m_sound;
    context.clock = &m_clock;
    context.message = m_threadMessage;
    context.notice = m_threadNotice;
    context.entryAdded = m_threadEntry;
    m_thread = std::make_unique<CLogThread>(std::move(context), run);
    m_thread->start();
}

void CLogControl::stopLog() {
    if (m_thread) {
        m_sound.stopRec();
        m_thread->requestStop();
    }
    m_rx.logActive = false;
}

void CLogControl::reap() {
    if (m_thread && m_thread->finished()) {
        m_thread->join();
        m_thread.reset();
    }
}

void CLogControl::shutdown() {
    if (m_rx.logActive) {
        stopLog();
    }
    if (m_thread) {
        m_thread->requestStop();
        m_thread->join();
        m_thread.reset();
    }
}

void CLogControl::recordNow(const std::string& logFilePath) {
    const std::string path =
        logDirectory(logFilePath) + "m" + localTimeText(m_clock.now(), "%y%m%d_%H%M%S.wav");
    if (m_sound.startRec(m_audio.sampleRate.load(), m_audio.bitsPerSample.load(), path) == 0) {
        m_host.showLogMessage("Already recording or wrong parameters!", "Info");
        return;
    }
    m_manualPath = path;
}

void CLogControl::stopRecording() {
    if (m_sound.stopRec() == 0) {
        m_host.showLogMessage("Not Recording!", "Info");
        return;
    }
    if (m_manualPath.empty()) {
        return;
    }
    const std::string path = std::exchange(m_manualPath, {});
    if (usableRecording(path)) {
        m_host.logNotice(LogNotice{LogNotice::Recording, false, {}});
    } else {
        m_host.logNotice(LogNotice{LogNotice::Recording, true, "No usable recording:\n" + path});
    }
}

bool CLogControl::canStartLog() const {
    return !m_rx.logActive && !m_thread && !isVfoAOrBState(m_rx.operatingState);
}

bool CLogControl::canStopLog() const {
    return m_rx.logActive;
}

bool CLogControl::logBusy() const {
    return m_rx.logActive || m_thread != nullptr;
}

bool CLogControl::canRecordNow() const {
    return !logBusy() && !m_sound.isRecording();
}

bool CLogControl::canStopRecording() const {
    return m_sound.isRecording();
}

bool CLogControl::canEditLogSettings() const {
    return !m_rx.logActive || m_sound.isRecording();
}

}  // namespace korvex
