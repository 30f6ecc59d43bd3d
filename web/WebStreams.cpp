#include "web/WebStreams.h"

#include <QTcpSocket>

namespace korvex {

void CBodyStream::start(QTcpSocket* socket, Producer next) {
    auto* stream = new CBodyStream(socket, std::move(next));
    stream->pump();
}

CBodyStream::CBodyStream(QTcpSocket* socket, Producer next)
    : QObject(socket), m_socket(socket), m_next(std::move(next)) {
    connect(socket, &QTcpSocket::bytesWritten, this, &CBodyStream::pump);
}

void CBodyStream::pump() {
    while (!m_done && m_socket->state() == QAbstractSocket::ConnectedState &&
           m_socket->bytesToWrite() < kQueueBytes) {
        const QByteArray piece = m_next();
        if (piece.isEmpty()) {
            m_done = true;
            m_next = nullptr;
            m_socket->disconnectFromHost();
            return;
        }
        m_socket->write(piece);
    }
}

CEventHub::CEventHub(std::function<QByteArray()> current, const Timing& timing, QObject* parent)
    : QObject(parent), m_current(std::move(current)), m_timing(timing) {
    m_sinceSend.start();
    m_delayed.setSingleShot(true);
    connect(&m_delayed, &QTimer::timeout, this, &CEventHub::changed);
    m_check.setInterval(m_timing.checkMs);
    connect(&m_check, &QTimer::timeout, this, &CEventHub::changed);
    m_keepAlive.setInterval(m_timing.keepAliveMs);
    connect(&m_keepAlive, &QTimer::timeout, this, &CEventHub::keepAlive);
}

void CEventHub::add(QTcpSocket* socket) {
    dropGone();
    // The newcomer gets the state at once. When it changed since the last
    // event, the others get it too, as this event; either way it is the last
    // event now, so the next look finds nothing new to send.
    const QByteArray now = m_current();
    const bool news = now != m_last && !m_clients.isEmpty();
    m_clients.append(socket);
    m_last = now;
    if (news) {
        send("data: " + now + "\n\n");
    } else {
        socket->write("data: " + now + "\n\n");
        ++m_sent;
        m_sinceSend.restart();
    }
    if (!m_check.isActive()) {
        m_check.start();
        m_keepAlive.start();
    }
}

void CEventHub::changed() {
    dropGone();
    if (m_clients.isEmpty()) {
        return;
    }
    const QByteArray now = m_current();
    if (now == m_last) {
        return;
    }
    const qint64 since = m_sinceSend.elapsed();
    if (since < m_timing.minIntervalMs) {
        if (!m_delayed.isActive()) {
            m_delayed.start(static_cast<int>(m_timing.minIntervalMs - since));
        }
        return;
    }
    m_last = now;
    send("data: " + now + "\n\n");
}

void CEventHub::keepAlive() {
    dropGone();
    if (m_clients.isEmpty()) {
        return;
    }
    m_last = m_current();
    send("data: " + m_last + "\n\n");
}

void CEventHub::send(const QByteArray& data) {
    for (const QPointer<QTcpSocket>& socket : std::as_const(m_clients)) {
        if (!socket) {
            continue;
        }
        if (socket->bytesToWrite() > kMaxQueueBytes) {
            socket->abort();
            continue;
        }
        socket->write(data);
    }
    ++m_sent;
    m_sinceSend.restart();
    m_keepAlive.start();  // the next keep-alive a full period after this event
    dropGone();
}

void CEventHub::dropGone() {
    m_clients.removeIf([](const QPointer<QTcpSocket>& socket) {
        return !socket || socket->state() != QAbstractSocket::ConnectedState;
    });
    if (m_clients.isEmpty()) {
        m_check.stop();
        m_keepAlive.stop();
        m_delayed.stop();
    }
}

}  // namespace korvex
