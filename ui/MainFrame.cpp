#include "ui/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QThread>
#include <cstdio>

#include "link/ResponseParser.h"
#include "link/qt/QtSerialPort.h"
#include "ui/SerialSettingsDialog.h"
#include "ui/StatusPanes.h"

namespace korvex {

CMainFrame::CMainFrame(const FrameOptions& options, QWidget* parent)
    : QMainWindow(parent),
      m_options(options),
      m_cycle(m_rx, m_poll, *this),
      m_parser(std::make_unique<ResponseParser>(m_rx, m_poll, *this)) {
    setWindowTitle(QStringLiteral("no log - ") + kTitleSuffix);
    m_panes = new CStatusPanes(statusBar());
    createMenus();

    m_port = new QtSerialPort(this);
    connect(m_port, &QtSerialPort::bytesArrived, this,
            [this] { m_cycle.receive(m_port->readAll()); });
    connect(m_port, &QtSerialPort::portLost, this, &CMainFrame::onPortLost);
    m_cycle.setPort(m_port);
    m_cycle.setLineBuilder([this](std::string_view bytes) { m_parser->receive(bytes); });

    if (!m_options.tracePath.isEmpty()) {
        if (!m_trace.open(m_options.tracePath.toStdString())) {
            std::fprintf(stderr, "korvex: cannot write the trace file %s\n",
                         qPrintable(m_options.tracePath));
        } else {
            m_cycle.setTrace(&m_trace);
        }
    }

    m_timer.setInterval(kPollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CMainFrame::onTimer);
    updateStatusPanes();
    resize(760, 560);
}

CMainFrame::~CMainFrame() = default;

SerialPort& CMainFrame::serialPort() {
    return *m_port;
}

void CMainFrame::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setStatusTip(QStringLiteral("exit application"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* settings = menuBar()->addMenu(QStringLiteral("&Settings"));
    QAction* serial = settings->addAction(QStringLiteral("S&erial Port Settings ..."));
    serial->setStatusTip(QStringLiteral("serial port settings"));
    connect(serial, &QAction::triggered, this, &CMainFrame::openSerialSettings);
}

void CMainFrame::start() {
    SerialSettings settings = m_port->settings();
    if (!m_options.portDevice.isEmpty()) {
        settings.device = m_options.portDevice.toStdString();
    }
    m_port->setSettings(settings);
    if (!m_port->open()) {
        const QString text = QStringLiteral(
            "ComPort in use or not available.\nUse Settings->ComPort to change "
            "serial port settings");
        std::fprintf(stderr, "korvex: %s\n  (%s)\n", qPrintable(text), m_port->errorText().c_str());
        QMessageBox::critical(this, QStringLiteral("Error"), text);
        return;
    }
    startPolling();
}

void CMainFrame::startPolling() {
    m_timer.start();
    m_cycle.queueInitialReadout();
}

void CMainFrame::appendCommands(const std::string& commands) {
    m_poll.commandQueue.append(commands);
}

void CMainFrame::onTimer() {
    m_cycle.tick();
    updateStatusPanes();
}

void CMainFrame::updateStatusPanes() {
    m_panes->setText(CStatusPanes::LinkState, QString::fromLatin1(linkStateName(m_rx.linkState)));
    m_panes->setText(CStatusPanes::Log, QString::fromStdString(m_poll.logIndicator));
    m_panes->setPaneEnabled(CStatusPanes::Log, m_rx.logActive);
    m_panes->setText(CStatusPanes::Recording, QString::fromStdString(m_poll.recIndicator));
}

void CMainFrame::openSerialSettings() {
    CSerialSettingsDialog dialog(m_port->settings(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    reopenPort(dialog.chosenSettings());
}

bool CMainFrame::reopenPort(const SerialSettings& settings) {
    m_timer.stop();
    m_port->close();
    m_port->setSettings(settings);
    if (!m_port->open()) {
        QMessageBox::critical(
            this, QStringLiteral("Error"),
            QStringLiteral("ComPort in use or not available.\nPort Open failed!"));
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

void CMainFrame::showStatus(const std::string& text) {
    m_panes->setMessage(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void CMainFrame::showMessage(const std::string& text, const std::string& caption,
                             MessageKind kind) {
    const QString t = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const QString c = QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
    switch (kind) {
        case MessageKind::Error:
            QMessageBox::critical(this, c, t);
            break;
        case MessageKind::Warning:
            QMessageBox::warning(this, c, t);
            break;
        case MessageKind::Info:
            QMessageBox::information(this, c, t);
            break;
    }
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

void CMainFrame::bandscopeSample(int level, std::int64_t frequencyHz) {
    emit bandscopeSampleArrived(level, frequencyHz);
}

void CMainFrame::shutdown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    m_timer.stop();
    m_cycle.sendFinalCommand(m_poll.offOnExit);
    m_port->waitWritten(250);
    QThread::msleep(250);
    m_port->close();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    shutdown();
    setBusyCursor(false);
    event->accept();
}

}  // namespace korvex
