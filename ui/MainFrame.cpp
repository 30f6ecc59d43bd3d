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

#include "link/qt/QtSerialPort.h"
#include "log/LogActions.h"
#include "log/LogControl.h"
#include "station/RigctlListener.h"
#include "ui/Cp1252.h"
#include "ui/FrameDatabases.h"
#include "ui/HelpFiles.h"
#include "ui/KeyboardLocks.h"
#include "ui/ListFind.h"
#include "ui/ListFindView.h"
#include "ui/NestedLoops.h"
#include "ui/SerialSettingsDialog.h"
#include "ui/StatusPanes.h"
#include "ui/ViewArea.h"
#include "ui/ZelScopeView.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

CMainFrame::CMainFrame(const FrameOptions& options, QWidget* parent)
    : QMainWindow(parent),
      m_options(options),
      m_station(std::make_unique<CStation>(options, *this)),
      m_rx(m_station->receiver()),
      m_doc(m_station->document()),
      m_poll(m_station->pollFields()),
      m_cycle(m_station->pollCycle()),
      m_settings(m_station->settings()),
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
    createWebPage();

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

    observeStation();
    loadSettings();

    m_pendingClose.setInterval(50);
    connect(&m_pendingClose, &QTimer::timeout, this, &CMainFrame::closeOnSignal);
    updateCommandStates();
    updateStatusPanes();
}

CMainFrame::~CMainFrame() {
    // The log thread uses the queue and the model: it ends before the views
    // that show them.
    m_station->logControl().shutdown();
}

void CMainFrame::observeStation() {
    connect(m_station.get(), &CStation::modelChanged, this, &CMainFrame::refreshFromModel);
    connect(m_station.get(), &CStation::viewRefreshRequested, this,
            &CMainFrame::viewRefreshRequested);
    connect(m_station.get(), &CStation::scopeSampleAdded, this, [this] {
        if (CZelScopeView* view = scopeView()) {
            view->sampleArrived();
        }
    });
    connect(m_station.get(), &CStation::ticked, this, &CMainFrame::updateStatusPanes);
    // The tool bar and the status panes follow the program's state while it
    // is idle, whether or not the port is open.
    connect(m_station.get(), &CStation::idleChecked, this, [this] {
        updateCommandStates();
        updateStatusPanes();
    });
    connect(m_station.get(), &CStation::portLost, this, &CMainFrame::onPortLost);
}

SerialPort& CMainFrame::serialPort() {
    return m_station->serialPort();
}

void CMainFrame::start() {
    // The network control serves even without a receiver: its clients
    // then hear that it cannot be reached.
    if (m_options.rigctldPort >= 0) {
        startRigctl(m_options.rigctldPort);
    } else if (m_settings.rigctlEnabled) {
        startRigctl();
    }
    if (m_options.httpPort >= 0) {
        startWebPage(m_options.httpPort);
    } else if (m_settings.httpEnabled) {
        startWebPage();
    }
    if (!m_station->openPort()) {
        const QString text = QStringLiteral(
            "ComPort in use or not available.\nUse Settings->ComPort to change "
            "serial port settings");
        std::fprintf(stderr, "korvex: %s\n  (%s)\n", qPrintable(text),
                     m_station->serialPort().errorText().c_str());
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
    box.setInformativeText(QString::fromStdString(m_station->serialPort().errorText()));
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
    m_closingOnSignal = true;
    close();
}

void CMainFrame::startPolling() {
    m_station->startPolling();
}

void CMainFrame::appendCommands(const std::string& commands) {
    m_station->appendCommands(commands);
}

void CMainFrame::onTimer() {
    // The station's tick; its signal updates the panes.
    m_station->onTimer();
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
    CSerialSettingsDialog dialog(m_station->serialPort().settings(), this);
    dialog.setFastLink(m_settings.replyPacing);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    m_settings.replyPacing = dialog.fastLink();
    m_station->applyPacing();
    const SerialSettings chosen = dialog.chosenSettings();
    m_settings.comPortNum = chosen.portNumber;
    m_settings.comPortSettings = chosen.settings;
    m_settings.comPortDevice = chosen.device;
    reopenPort(chosen);
}

bool CMainFrame::reopenPort(const SerialSettings& settings) {
    if (!m_station->reopenPort(settings)) {
        showOpenFailure(QStringLiteral("ComPort in use or not available.\nPort Open failed!"));
        m_panes->setMessage(QString::fromStdString(m_station->serialPort().errorText()));
        return false;
    }
    return true;
}

void CMainFrame::onPortLost(const QString& reason) {
    m_panes->setMessage(QStringLiteral("Serial port lost: ") + reason +
                        QStringLiteral(". Use Settings->Serial Port Settings to reopen it."));
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
    m_station->shutdown();
    showRigctlClients();
    showWebAddress();
    // A failed save is told in a box when the operator closed the window;
    // after a stop signal only on standard error (the station writes it).
    if (m_settings.saveOnExit && !saveSettings() && !m_closingOnSignal) {
        reportSaveFailure();
    }
    m_databases->closeAll();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    shutdown();
    setBusyCursor(false);
    event->accept();
}

}  // namespace korvex
