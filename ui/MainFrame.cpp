#include "ui/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QMessageBox>
#include <QSplashScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QThread>
#include <QToolBar>
#include <cstdio>

#include "link/ResponseParser.h"
#include "link/qt/QtSendTimer.h"
#include "link/qt/QtSerialPort.h"
#include "log/LogActions.h"
#include "log/LogControl.h"
#include "mrqSnd.h"
#include "ui/Cp1252.h"
#include "ui/FrameDatabases.h"
#include "ui/HelpFiles.h"
#include "ui/KeyboardLocks.h"
#include "ui/ListFind.h"
#include "ui/ListFindView.h"
#include "ui/NestedLoops.h"
#include "ui/RigctlListener.h"
#include "ui/SerialSettingsDialog.h"
#include "ui/StatusPanes.h"
#include "ui/ViewArea.h"
#include "ui/ZelScopeView.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

CMainFrame::CMainFrame(const FrameOptions& options, QWidget* parent)
    : QMainWindow(parent),
      m_options(options),
      m_cycle(m_rx, m_poll, *this),
      m_sendTimer(std::make_unique<QtSendTimer>(m_cycle)),
      m_parser(std::make_unique<ResponseParser>(m_rx, m_poll, *this)),
      m_sweep(std::make_unique<CBandscopeSweep>(m_doc, m_rx, m_poll.commandQueue, *this)),
      m_opener(std::make_shared<DesktopFileOpener>()) {
    setObjectName(QStringLiteral("mainFrame"));
    setDocumentName(QStringLiteral("no log"));
    resize(900, 620);

    createLog();
    m_views = new CViewArea(
        createListView(), [this](QWidget* parent) { return createScopeView(parent); }, this);
    setCentralWidget(m_views);
    m_panes = new CStatusPanes(statusBar());
    createRigctl();

    createActions();
    createMenus();
    createToolBars();
    registerBuiltInCommands();
    registerLogCommands();
    registerFindCommands();
    registerScopeCommands();
    createAccelerators();
    setTuningPanel(createTuningPanel());
    registerDatabaseCommands();

    m_port = new QtSerialPort(this);
    connect(m_port, &QtSerialPort::bytesArrived, this, [this] {
        m_cycle.receive(m_port->readAll());
        m_rigctl->pump();
    });
    connect(m_port, &QtSerialPort::portLost, this, &CMainFrame::onPortLost);
    m_cycle.setPort(m_port);
    m_cycle.setLineBuilder([this](std::string_view bytes) { m_parser->receive(bytes); });
    m_cycle.setRecordingProbe([this] { return m_sound->isRecording(); });

    if (!m_options.tracePath.isEmpty()) {
        if (!m_trace.open(m_options.tracePath.toStdString())) {
            std::fprintf(stderr, "korvex: cannot write the trace file %s\n",
                         qPrintable(m_options.tracePath));
        } else {
            m_cycle.setTrace(&m_trace);
        }
    }

    loadSettings();
    syncAudioSettings();

    m_timer.setInterval(kPollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CMainFrame::onTimer);
    // The tool bar and the status panes follow the program's state while it
    // is idle, whether or not the port is open.
    m_idleTimer.setInterval(200);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        // Without a receiver no reply refreshes the views: a changed log or
        // list is shown from here.
        if (!isPolling() && (m_rx.listChanged || m_doc.entriesChanged)) {
            refreshFromModel();
        }
        // A recording runs without a receiver too: its "REC" still blinks,
        // at the poll's pace (two counts every 200 ms).
        if (!isPolling()) {
            m_cycle.updateIndicators();
            m_cycle.updateIndicators();
        }
        m_logControl->reap();
        updateCommandStates();
        updateStatusPanes();
    });
    m_idleTimer.start();
    m_pendingClose.setInterval(50);
    connect(&m_pendingClose, &QTimer::timeout, this, &CMainFrame::closeOnSignal);
    updateCommandStates();
    updateStatusPanes();
}

CMainFrame::~CMainFrame() {
    // The log thread uses the queue and the model: it ends before they go.
    m_logControl->shutdown();
    SetSoundErrorCallback(nullptr, nullptr);
}

SerialPort& CMainFrame::serialPort() {
    return *m_port;
}

void CMainFrame::start() {
    // The network control serves even without a receiver: its clients
    // then hear that it cannot be reached.
    if (m_options.rigctldPort >= 0) {
        startRigctl(m_options.rigctldPort);
    } else if (m_settings.rigctlEnabled) {
        startRigctl();
    }
    SerialSettings settings = serialSettingsFromIni();
    if (!m_options.portDevice.isEmpty()) {
        settings.device = m_options.portDevice.toStdString();
    }
    m_port->setSettings(settings);
    if (!m_port->open()) {
        const QString text = QStringLiteral(
            "ComPort in use or not available.\nUse Settings->ComPort to change "
            "serial port settings");
        std::fprintf(stderr, "korvex: %s\n  (%s)\n", qPrintable(text), m_port->errorText().c_str());
        showOpenFailure(text);
        // A stop signal while the message was shown closes now that its
        // loop has returned.
        if (m_closePending) {
            closeOnSignal();
        }
        return;
    }
    startPolling();
}

void CMainFrame::showOpenFailure(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, this);
    box.setInformativeText(QString::fromStdString(m_port->errorText()));
    box.exec();
}

void CMainFrame::closeOnSignal() {
    if (m_shutDown) {
        m_pendingClose.stop();
        return;
    }
    nested::endModalLoops();
    if (nested::inside()) {
        // Checked again until every nested loop has returned; a dialog that
        // opens meanwhile is dismissed on the next look.
        m_closePending = true;
        m_pendingClose.start();
        return;
    }
    m_pendingClose.stop();
    m_closePending = false;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        // A splash still up would keep the program alive after the window.
        if (auto* splash = qobject_cast<QSplashScreen*>(window)) {
            splash->close();
        }
    }
    close();
}

void CMainFrame::startPolling() {
    m_timer.start();
    m_cycle.queueInitialReadout();
}

void CMainFrame::appendCommands(const std::string& commands) {
    m_poll.commandQueue.append(commands);
}

void CMainFrame::onTimer() {
    m_poll.offOnExit = m_settings.offOnExit;
    m_poll.saveOnExit = m_settings.saveOnExit;
    m_cycle.tick();
    m_rigctl->pump();
    m_logControl->reap();
    updateStatusPanes();
}

void CMainFrame::updateStatusPanes() {
    m_panes->setText(CStatusPanes::LinkState, QString::fromLatin1(linkStateName(m_rx.linkState)));
    m_panes->setText(CStatusPanes::Log, QString::fromStdString(m_poll.logIndicator));
    m_panes->setPaneEnabled(CStatusPanes::Log, m_rx.logActive);
    m_panes->setText(CStatusPanes::Recording, QString::fromStdString(m_poll.recIndicator));
    m_panes->setPaneEnabled(CStatusPanes::Recording, m_recordingProbe && m_recordingProbe());
    const std::optional<KeyboardLocks> locks = keyboardLocks();
    m_panes->setText(CStatusPanes::CapsLock,
                     locks && locks->capsLock ? QStringLiteral("CAP") : QString());
    m_panes->setText(CStatusPanes::NumLock,
                     locks && locks->numLock ? QStringLiteral("NUM") : QString());
}

void CMainFrame::setRecordingProbe(std::function<bool()> probe) {
    m_recordingProbe = std::move(probe);
}

void CMainFrame::openSerialSettings() {
    CSerialSettingsDialog dialog(m_port->settings(), this);
    dialog.setFastLink(m_settings.replyPacing);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    m_settings.replyPacing = dialog.fastLink();
    applyPacing();
    const SerialSettings chosen = dialog.chosenSettings();
    m_settings.comPortNum = chosen.portNumber;
    m_settings.comPortSettings = chosen.settings;
    m_settings.comPortDevice = chosen.device;
    reopenPort(chosen);
}

bool CMainFrame::reopenPort(const SerialSettings& settings) {
    m_timer.stop();
    m_port->close();
    m_port->setSettings(settings);
    if (!m_port->open()) {
        showOpenFailure(QStringLiteral("ComPort in use or not available.\nPort Open failed!"));
        m_panes->setMessage(QString::fromStdString(m_port->errorText()));
        return false;
    }
    // Whatever was outstanding on the old line will never be answered; the
    // new line starts free, so the read-out that follows is not lost to a
    // time-out of the old command.
    m_rx.linkState = LinkState::Idle;
    m_rx.rxBuffer.clear();
    m_poll.waitTicks = 0;
    m_poll.retryCount = 0;
    startPolling();
    return true;
}

void CMainFrame::onPortLost(const QString& reason) {
    m_timer.stop();
    m_panes->setMessage(QStringLiteral("Serial port lost: ") + reason +
                        QStringLiteral(". Use Settings->Serial Port Settings to reopen it."));
    std::fprintf(stderr, "korvex: serial port lost: %s\n", qPrintable(reason));
    beep();
}

void CMainFrame::setDocumentName(const QString& name) {
    setWindowTitle(name + QStringLiteral(" - ") + kTitleSuffix);
}

void CMainFrame::setTuningPanel(QWidget* panel) {
    if (panel == nullptr || panel == m_tuningPanel) {
        return;
    }
    if (m_tuningPanel != nullptr) {
        // The old panel's hooks would call into a deleted panel.
        m_panelHooks = {};
        // The band's action owns the panel: it goes with it.
        m_panelBand->removeAction(m_panelAction);
        m_panelAction->deleteLater();
    }
    m_tuningPanel = panel;
    m_panelAction = m_panelBand->addWidget(panel);
}

QWidget* CMainFrame::listView() const {
    return m_views->listView();
}

void CMainFrame::showListView() {
    m_views->showList();
}

void CMainFrame::showScopeView() {
    m_views->showScope();
}

void CMainFrame::showStatus(const std::string& text) {
    m_panes->setMessage(fromCp1252(text));
}

void CMainFrame::showMessage(const std::string& text, const std::string& caption,
                             MessageKind kind) {
    PromptIcon icon = PromptIcon::Information;
    switch (kind) {
        case MessageKind::Error:
            icon = PromptIcon::Error;
            break;
        case MessageKind::Warning:
            icon = PromptIcon::Warning;
            break;
        case MessageKind::Info:
            break;
    }
    tell(this, fromCp1252(text), fromCp1252(caption), icon);
}

void CMainFrame::beep() {
    QApplication::beep();
}

void CMainFrame::setBusyCursor(bool busy) {
    if (busy) {
        if (QApplication::overrideCursor() == nullptr) {
            QApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
        }
    } else {
        while (QApplication::overrideCursor() != nullptr) {
            QApplication::restoreOverrideCursor();
        }
    }
}

void CMainFrame::refreshFromModel() {
    emit modelRefreshed();
    if (m_rx.listChanged) {
        m_rx.listChanged = false;
        emit listChanged();
    }
}

void CMainFrame::refreshView() {
    emit viewRefreshRequested();
}

bool CMainFrame::event(QEvent* event) {
    // Command prompts go to the message pane, not over the whole bar.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (tip.isEmpty()) {
            m_panes->endPrompt();
        } else {
            m_panes->showPrompt(tip);
        }
        return true;
    }
    return QMainWindow::event(event);
}

QMenu* CMainFrame::createPopupMenu() {
    // The bars are shown and hidden through the View menu only, so the
    // tuning panel cannot be lost by a stray right click.
    return nullptr;
}

void CMainFrame::shutdown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    emit shutdownStarted();
    m_timer.stop();
    m_idleTimer.stop();
    // Nothing more leaves between ticks: only the last command below.
    m_cycle.setPacing(Pacing::Tick);
    stopRigctl();
    // Recording and playback end first, so their files are complete.
    m_sound->stopRec();
    m_sound->stopPlay();
    m_poll.offOnExit = m_settings.offOnExit;
    m_poll.saveOnExit = m_settings.saveOnExit;
    m_cycle.sendFinalCommand(m_poll.offOnExit);
    m_port->waitWritten(250);
    QThread::msleep(250);
    m_port->close();
    m_logControl->shutdown();
    if (m_settings.saveOnExit) {
        saveSettings();
    }
    m_databases->closeAll();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    shutdown();
    setBusyCursor(false);
    event->accept();
}

}  // namespace korvex
