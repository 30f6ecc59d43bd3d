// The activity log in the window: the document's file commands, the log
// view's actions, Start and Stop Log and the manual recording, on the
// station's log; the log's messages as boxes and status texts.
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

#include "log/LogActions.h"
#include "log/LogControl.h"
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
    // "REC" stands for a recording only: the library reports a playback
    // until it is stopped, long after its sound has ended.
    m_recordingProbe = [this] { return m_station->sound().isRecording(); };
}

void CMainFrame::registerLogCommands() {
    using C = CommandId;
    const auto logStopped = [this] { return !logControl().logBusy(); };
    setCommandHandler(C::FileNew, {[this] { newLogFile(); }, logStopped, {}});
    setCommandHandler(C::FileOpen, {[this] { openLogFile(); }, logStopped, {}});
    setCommandHandler(C::LogStart,
                      {[this] { startLog(); }, [this] { return logControl().canStartLog(); }, {}});
    setCommandHandler(C::LogStop,
                      {[this] { stopLog(); }, [this] { return logControl().canStopLog(); }, {}});
    setCommandHandler(
        C::RecordNow,
        {[this] { m_station->recordNow(); }, [this] { return logControl().canRecordNow(); }, {}});
    setCommandHandler(
        C::SettingsLog,
        {[this] { openLogSettings(); }, [this] { return logControl().canEditLogSettings(); }, {}});
    setCommandHandler(C::StopRecording, {[this] { logControl().stopRecording(); },
                                         [this] { return logControl().canStopRecording(); },
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
    if (logControl().logBusy()) {
        return;
    }
    logActions().newLog(chooseNewLog());
    showDocumentTitle();
}

void CMainFrame::openLogFile() {
    if (logControl().logBusy()) {
        return;
    }
    const auto chosen = m_logFileDialogs.open(this, initialLogName(m_settings.logFilePath));
    if (chosen) {
        logActions().openLog(pathBytes(*chosen));
        showDocumentTitle();
    }
}

void CMainFrame::startLog() {
    if (!logControl().canStartLog()) {
        return;
    }
    if (m_doc.title() == CZelDoc::kNoLogTitle) {
        const auto chosen = chooseNewLog();
        const bool used = chosen && logActions().useNewLogFile(*chosen);
        showDocumentTitle();
        if (!used) {
            return;
        }
    }
    m_station->startLog();
    updateCommandStates();
}

void CMainFrame::stopLog() {
    logControl().stopLog();
    updateCommandStates();
}

void CMainFrame::openLogSettings() {
    if (!logControl().canEditLogSettings()) {
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

void CMainFrame::showError(const QString& text) {
    QMessageBox::critical(this, QStringLiteral("Error"), text);
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
