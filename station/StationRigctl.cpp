// The station's network control (rigctld): the listener on the station's
// model and queue, and whether the receiver can answer its requests.
#include <cstdio>

#include "link/qt/QtSerialPort.h"
#include "station/RigctlListener.h"
#include "station/Station.h"

namespace korvex {

void CStation::createRigctl() {
    m_rigctl = new CRigctlListener(m_rx, m_poll.commandQueue, this);
    m_rigctl->setStepGuard(&m_steps);
    remote::RigctlServer& server = m_rigctl->server();
    // Requests wait only while the receiver can answer them.
    server.setLinkProbe([this] {
        return m_port != nullptr && m_port->isOpen() && isPolling() && !m_poll.receiverPoweredOff;
    });
    server.setMark2Probe([this] { return m_settings.mark2; });
    m_cycle.setCommandObserver([this](const std::string& command, bool answered) {
        m_rigctl->commandFinished(command, answered);
        emit commandFinished(command, answered);
    });
    // A client's command goes out as soon as the link's pacing lets it.
    connect(m_rigctl, &CRigctlListener::commandsQueued, this, [this] { m_cycle.commandsQueued(); });
}

bool CStation::startRigctl(int port, QString* message) {
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
        if (message != nullptr) {
            *message = text;
        }
        return false;
    }
    if (message != nullptr) {
        *message = QStringLiteral("Network control (rigctld) on %1 port %2")
                       .arg(address)
                       .arg(m_rigctl->port());
    }
    return true;
}

void CStation::stopRigctl() {
    m_rigctl->stop();
}

}  // namespace korvex
