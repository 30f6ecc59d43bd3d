// The frame's side of the network control: the listener, its menu item,
// its status pane and the link it shares with the window.
#include <QLabel>
#include <QStatusBar>
#include <cstdio>

#include "link/qt/QtSerialPort.h"
#include "ui/MainFrame.h"
#include "ui/RigctlListener.h"
#include "ui/StatusPanes.h"

namespace korvex {

void CMainFrame::createRigctl() {
    m_rigctl = new CRigctlListener(m_rx, m_poll.commandQueue, this);
    remote::RigctlServer& server = m_rigctl->server();
    // Requests wait only while the receiver can answer them.
    server.setLinkProbe([this] {
        return m_port != nullptr && m_port->isOpen() && isPolling() && !m_poll.receiverPoweredOff;
    });
    server.setMark2Probe([this] { return m_settings.mark2; });
    m_cycle.setCommandObserver([this](const std::string& command, bool answered) {
        m_rigctl->commandFinished(command, answered);
    });
    // A client's command goes out as soon as the link's pacing lets it.
    connect(m_rigctl, &CRigctlListener::commandsQueued, this, [this] { m_cycle.commandsQueued(); });

    m_rigctlPane = new QLabel(statusBar());
    m_rigctlPane->setObjectName(QStringLiteral("rigctlPane"));
    m_rigctlPane->setAlignment(Qt::AlignCenter);
    m_rigctlPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_rigctlPane->setToolTip(QStringLiteral("Programs connected over the network (rigctld)"));
    // Left of the fixed panes, right of the message pane.
    statusBar()->insertPermanentWidget(1, m_rigctlPane);
    m_rigctlPane->hide();
    connect(m_rigctl, &CRigctlListener::clientCountChanged, this, &CMainFrame::showRigctlClients);
}

bool CMainFrame::startRigctl(int port) {
    const int chosen = port > 0 ? port : m_settings.rigctlPort;
    const QString address = QString::fromStdString(m_settings.rigctlBind);
    QString error;
    if (chosen <= 0 || chosen > 65535 ||
        !m_rigctl->start(address, static_cast<quint16>(chosen), &error)) {
        const QString text = QStringLiteral("Network control: cannot listen on %1 port %2: %3")
                                 .arg(address)
                                 .arg(chosen)
                                 .arg(error.isEmpty() ? QStringLiteral("invalid port") : error);
        std::fprintf(stderr, "korvex: %s\n", qPrintable(text));
        m_panes->setMessage(text);
        showRigctlClients();
        updateCommandStates();
        return false;
    }
    m_panes->setMessage(QStringLiteral("Network control (rigctld) on %1 port %2")
                            .arg(address)
                            .arg(m_rigctl->port()));
    showRigctlClients();
    updateCommandStates();
    return true;
}

void CMainFrame::stopRigctl() {
    m_rigctl->stop();
    showRigctlClients();
    updateCommandStates();
}

void CMainFrame::toggleRigctl() {
    if (m_rigctl->isListening()) {
        stopRigctl();
        m_settings.rigctlEnabled = false;
    } else {
        m_settings.rigctlEnabled = startRigctl();
    }
}

void CMainFrame::showRigctlClients() {
    const int count = m_rigctl->clientCount();
    m_rigctlPane->setText(count == 1 ? QStringLiteral("rigctld: 1 client")
                                     : QStringLiteral("rigctld: %1 clients").arg(count));
    m_rigctlPane->setVisible(m_rigctl->isListening());
}

}  // namespace korvex
