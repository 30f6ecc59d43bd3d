// The frame's side of the network control: its menu item and its status
// pane; the listener is the station's.
#include <QLabel>
#include <QStatusBar>

#include "station/RigctlListener.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"

namespace korvex {

void CMainFrame::createRigctl() {
    m_rigctlPane = new QLabel(statusBar());
    m_rigctlPane->setObjectName(QStringLiteral("rigctlPane"));
    m_rigctlPane->setAlignment(Qt::AlignCenter);
    m_rigctlPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_rigctlPane->setToolTip(QStringLiteral("Programs connected over the network (rigctld)"));
    // Left of the fixed panes, right of the message pane.
    statusBar()->insertPermanentWidget(1, m_rigctlPane);
    m_rigctlPane->hide();
    connect(&rigctl(), &CRigctlListener::clientCountChanged, this, &CMainFrame::showRigctlClients);
}

bool CMainFrame::startRigctl(int port) {
    QString text;
    const bool listening = m_station->startRigctl(port, &text);
    m_panes->setMessage(text);
    showRigctlClients();
    updateCommandStates();
    return listening;
}

void CMainFrame::stopRigctl() {
    m_station->stopRigctl();
    showRigctlClients();
    updateCommandStates();
}

void CMainFrame::toggleRigctl() {
    if (rigctl().isListening()) {
        stopRigctl();
        m_settings.rigctlEnabled = false;
    } else {
        m_settings.rigctlEnabled = startRigctl();
    }
}

void CMainFrame::showRigctlClients() {
    const int count = rigctl().clientCount();
    m_rigctlPane->setText(count == 1 ? QStringLiteral("rigctld: 1 client")
                                     : QStringLiteral("rigctld: %1 clients").arg(count));
    m_rigctlPane->setVisible(rigctl().isListening());
}

}  // namespace korvex
