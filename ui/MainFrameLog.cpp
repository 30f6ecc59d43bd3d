// The activity log in the window: the document's file commands, the log
// view's actions, Start and Stop Log, the manual recording and the sound
// library's error texts.
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>

#include "log/LogActions.h"
#include "log/LogControl.h"
#include "mrqSnd.h"
#include "ui/Cp1252.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"
#include "ui/ZelView.h"
#include "ui/dialogs/LogSettingsDialog.h"

namespace korvex {

namespace {

QString qs(const std::string& text) {
    return fromCp1252(text);
}

// Paths go to the system as they are typed; the log keeps them as bytes.
std::string pathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString initialLogName(const std::string& logFilePath) {
    return logFilePath.size() < 4 ? QStringLiteral("new.log")
                                  : QFile::decodeName(logFilePath.c_str());
}

std::optional<QString> runLogDialog(QWidget* parent, const QString& initial, bool save) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    dialog.setNameFilters({QStringLiteral("Log Files(*.log)"), QStringLiteral("All Files (*)")});
    const QFileInfo info(initial);
    if (info.isAbsolute()) {
        dialog.setDirectory(info.absolutePath());
    }
    dialog.selectFile(info.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

// The sound library calls this on its own threads: the text is copied and
// shown by the window's thread. A recording's failures can repeat with every
// log entry while nobody watches, so they go through the window's notice.
void soundError(const char* text, void* context) {
    auto* frame = static_cast<CMainFrame*>(context);
    const std::string bytes = text != nullptr ? text : "";
    if (isRecordingError(bytes)) {
        QMetaObject::invokeMethod(
            frame,
            [frame, bytes] {
                frame->logNotice(LogNotice{LogNotice::Recording, true, bytes});
            },
            Qt::QueuedConnection);
        return;
    }
    const QString message = QString::fromLocal8Bit(bytes.c_str());
    QMetaObject::invokeMethod(
        frame, [frame, message] { QMessageBox::critical(frame, QStringLiteral("Error"), message); },
        Qt::QueuedConnection);
}

}  // namespace

LogFileDialogs standardLogFileDialogs() {
    LogFileDialogs dialogs;
    dialogs.chooseNew = [](QWidget* parent, const QString& initial) {
        return runLogDialog(parent, initial, true);
    };
    dialogs.open = [](QWidget* parent, const QString& initial) {
        return runLogDialog(parent, initial, false);
    };
    return dialogs;
}

void CMainFrame::createLog() {
    m_logFileDialogs = standardLogFileDialogs();
    setSoundControl(std::make_unique<MrqSound>());
    // "REC" stands for a recording only: the library reports a playback
    // until it is stopped, long after its sound has ended.
    m_recordingProbe = [this] { return m_sound->isRecording(); };
    SetSoundErrorCallback(&soundError, this);
}

void CMainFrame::setSoundControl(std::unique_ptr<SoundControl> sound) {
    // The log's parts hold the old sound control: they go first.
    m_logControl.reset();
    m_logActions.reset();
    m_sound = std::move(sound);
    m_logActions = std::make_unique<CLogActions>(m_doc, m_rx, m_poll.commandQueue, *m_sound,
                                                 m_settings, *this);
    m_logControl = std::make_unique<CLogControl>(m_rx, m_doc, m_poll.commandQueue, *m_sound,
                                                 m_audio, m_logClock, *this);
    QPointer<CMainFrame> self(this);
    m_logControl->setThreadMessage([self](const std::string& text) {
        const QString message = qs(text);
        QMetaObject::invokeMethod(
            self.data(),
            [self, message] {
                if (self) {
                    QMessageBox::critical(self, QStringLiteral("Error"), message);
                }
            },
            Qt::QueuedConnection);
    });
    m_logControl->setThreadNotice([self](const LogNotice& notice) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, notice] {
                if (self) {
                    self->logNotice(notice);
                }
            },
            Qt::QueuedConnection);
    });
}

void CMainFrame::syncAudioSettings() {
    m_audio.audioTime = static_cast<unsigned>(std::max(0, m_settings.audioMaxTime));
    m_audio.sampleRate = m_settings.sampleRate;
    m_audio.bitsPerSample = m_settings.bitsPerSample;
}

void CMainFrame::registerLogCommands() {
    using C = CommandId;
    const auto logStopped = [this] { return !m_logControl->logBusy(); };
    setCommandHandler(C::FileNew, {[this] { newLogFile(); }, logStopped, {}});
    setCommandHandler(C::FileOpen, {[this] { openLogFile(); }, logStopped, {}});
    setCommandHandler(C::LogStart,
                      {[this] { startLog(); }, [this] { return m_logControl->canStartLog(); }, {}});
    setCommandHandler(C::LogStop,
                      {[this] { stopLog(); }, [this] { return m_logControl->canStopLog(); }, {}});
    setCommandHandler(C::RecordNow, {[this] { m_logControl->recordNow(m_settings.logFilePath); },
                                     [this] { return m_logControl->canRecordNow(); },
                                     {}});
    setCommandHandler(
        C::SettingsLog,
        {[this] { openLogSettings(); }, [this] { return m_logControl->canEditLogSettings(); }, {}});
    setCommandHandler(C::StopRecording, {[this] { m_logControl->stopRecording(); },
                                         [this] { return m_logControl->canStopRecording(); },
                                         {}});
    setCommandHandler(
        C::LogActivityReport,
        {[this] { showActivityReport(); }, [this] { return m_doc.entryCount() > 0; }, {}});
}

void CMainFrame::showDocumentTitle() {
    setDocumentName(QFile::decodeName(m_doc.title().c_str()));
}

std::optional<std::string> CMainFrame::chooseNewLog() {
    const auto chosen = m_logFileDialogs.chooseNew(this, initialLogName(m_settings.logFilePath));
    if (!chosen) {
        return std::nullopt;
    }
    return pathBytes(*chosen);
}

void CMainFrame::newLogFile() {
    if (m_logControl->logBusy()) {
        return;
    }
    m_logActions->newLog(chooseNewLog());
    showDocumentTitle();
}

void CMainFrame::openLogFile() {
    if (m_logControl->logBusy()) {
        return;
    }
    const auto chosen = m_logFileDialogs.open(this, initialLogName(m_settings.logFilePath));
    if (chosen) {
        m_logActions->openLog(pathBytes(*chosen));
        showDocumentTitle();
    }
}

void CMainFrame::startLog() {
    if (!m_logControl->canStartLog()) {
        return;
    }
    if (m_doc.title() == CZelDoc::kNoLogTitle) {
        const auto chosen = chooseNewLog();
        const bool used = chosen && m_logActions->useNewLogFile(*chosen);
        showDocumentTitle();
        if (!used) {
            return;
        }
    }
    syncAudioSettings();
    LogRunSettings run;
    run.tentry = static_cast<unsigned>(std::max(0, m_settings.logOpenTime));
    run.tdelay = static_cast<unsigned>(std::max(0, m_settings.logCloseTime));
    run.recordAudio = m_settings.logAudio;
    run.logFilePath = m_settings.logFilePath;
    m_logControl->startLog(run);
    updateCommandStates();
}

void CMainFrame::stopLog() {
    m_logControl->stopLog();
    updateCommandStates();
}

void CMainFrame::openLogSettings() {
    if (!m_logControl->canEditLogSettings()) {
        return;
    }
    CLogSettingsDialog dialog(m_settings, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // Only what the dialog shows is taken back.
    const KorvSettings chosen = dialog.values();
    m_settings.logAudio = chosen.logAudio;
    m_settings.logOpenTime = chosen.logOpenTime;
    m_settings.logCloseTime = chosen.logCloseTime;
    m_settings.playerPath = chosen.playerPath;
    m_settings.audioMaxTime = chosen.audioMaxTime;
    m_settings.useExternalPlayer = chosen.useExternalPlayer;
    m_settings.bitsPerSample = chosen.bitsPerSample;
    m_settings.sampleRate = chosen.sampleRate;
    syncAudioSettings();
}

void CMainFrame::showLogMessage(const std::string& text, const std::string& caption) {
    const QString t = fromCp1252(text);
    if (caption == "Error") {
        QMessageBox::critical(this, qs(caption), t);
    } else {
        QMessageBox::information(this, qs(caption), t);
    }
}

void CMainFrame::logNotice(const LogNotice& notice) {
    CFailureNotice& kind = notice.kind == LogNotice::LogFile ? m_logFileNotice : m_recordingNotice;
    if (!notice.failed) {
        kind.succeed();
        showLogAlerts();
        return;
    }
    const bool first = kind.fail(notice.text);
    showLogAlerts();
    if (first) {
        QMessageBox::critical(this, QStringLiteral("Error"), qs(notice.text));
    }
}

void CMainFrame::showLogAlerts() {
    QStringList texts;
    for (const CFailureNotice* kind : {&m_logFileNotice, &m_recordingNotice}) {
        if (kind->failing()) {
            texts << qs(kind->statusText());
        }
    }
    m_panes->setAlert(texts.join(QStringLiteral("\n")));
}

bool CMainFrame::confirmLog(const std::string& text, const std::string& caption) {
    return QMessageBox::warning(this, qs(caption), fromCp1252(text),
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

bool CMainFrame::startExternalPlayer(const std::string& player, const std::string& file) {
    if (player.empty()) {
        return false;
    }
    return QProcess::startDetached(QFile::decodeName(player.c_str()),
                                   {QFile::decodeName(file.c_str())});
}

}  // namespace korvex
