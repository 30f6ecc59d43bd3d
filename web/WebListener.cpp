#include "web/WebListener.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QTcpSocket>
#include <algorithm>

namespace korvex {

namespace {

constexpr char kBusy[] =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
constexpr char kTooLarge[] =
    "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\n"
    "Connection: close\r\n\r\n";

}  // namespace

CWebListener::CWebListener(const ConnectionLimits& limits, QObject* parent)
    : QTcpServer(parent), m_limits(limits) {
    m_clock.start();
    m_idleSweep.setInterval(
        std::clamp(std::min(m_limits.idleMs, m_limits.requestMs) / 4, 50, 5000));
    connect(&m_idleSweep, &QTimer::timeout, this, &CWebListener::closeIdle);
    m_idleSweep.start();
}

void CWebListener::incomingConnection(qintptr descriptor) {
    if (static_cast<int>(m_sockets.size()) >= m_limits.maxConnections) {
        // Refused without making a socket object: a flood of connections
        // costs a system call or two each and never piles up.
        ++m_refused;
        const int fd = static_cast<int>(descriptor);
        ::send(fd, kBusy, sizeof kBusy - 1, MSG_DONTWAIT | MSG_NOSIGNAL);
        ::close(fd);
        return;
    }
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        ::close(static_cast<int>(descriptor));
        return;
    }
    m_sockets.insert(socket, Connection{0, m_clock.elapsed(), -1, {}, false});
    // Connected before the HTTP server's own handler, so an oversized
    // request is cut off before it is parsed.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { received(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { touched(socket); });
    connect(socket, &QObject::destroyed, this,
            [this, socket] { m_sockets.remove(static_cast<QTcpSocket*>(socket)); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        // The HTTP server deletes the socket later; it no longer counts.
        m_sockets.remove(socket);
    });
    addPendingConnection(socket);
}

void CWebListener::received(QTcpSocket* socket) {
    const auto it = m_sockets.find(socket);
    if (it == m_sockets.end()) {
        return;
    }
    it->lastActivityMs = m_clock.elapsed();
    if (it->requestStartMs < 0) {
        it->requestStartMs = it->lastActivityMs;
    }
    // The HTTP server reads everything at every signal, so what is
    // available now is what arrived since the last one.
    if (!it->lineComplete) {
        // The request line, read ahead of the HTTP server, which does not
        // tell the version.
        it->requestLine +=
            socket->peek(std::min(socket->bytesAvailable(), m_limits.maxRequestBytes));
        while (it->requestLine.startsWith('\r') || it->requestLine.startsWith('\n')) {
            it->requestLine.remove(0, 1);
        }
        const auto end = it->requestLine.indexOf('\n');
        if (end >= 0) {
            it->requestLine.truncate(end);
            it->requestLine = it->requestLine.trimmed();
            it->lineComplete = true;
        }
    }
    it->requestBytes += socket->bytesAvailable();
    if (it->requestBytes <= m_limits.maxRequestBytes) {
        return;
    }
    // Left in the table, so that a peer that never reads is still closed
    // when it has been idle long enough.
    disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->write(kTooLarge, sizeof kTooLarge - 1);
    socket->disconnectFromHost();
}

bool CWebListener::isHttp10(QTcpSocket* socket) const {
    const auto it = m_sockets.constFind(socket);
    return it != m_sockets.cend() && it->lineComplete && it->requestLine.endsWith(" HTTP/1.0");
}

void CWebListener::requestDone(QTcpSocket* socket) {
    const auto it = m_sockets.find(socket);
    if (it != m_sockets.end()) {
        it->requestBytes = 0;
        it->requestStartMs = -1;
        it->requestLine.clear();
        it->lineComplete = false;
        it->lastActivityMs = m_clock.elapsed();
    }
}

void CWebListener::touched(QTcpSocket* socket) {
    const auto it = m_sockets.find(socket);
    if (it != m_sockets.end()) {
        it->lastActivityMs = m_clock.elapsed();
    }
}

void CWebListener::closeIdle() {
    const qint64 now = m_clock.elapsed();
    QList<QTcpSocket*> idle;
    for (auto it = m_sockets.cbegin(); it != m_sockets.cend(); ++it) {
        const bool late = it->requestStartMs >= 0 && now - it->requestStartMs >= m_limits.requestMs;
        if (late || now - it->lastActivityMs >= m_limits.idleMs) {
            idle.append(it.key());
        }
    }
    for (QTcpSocket* socket : idle) {
        m_sockets.remove(socket);
        socket->abort();
        // A request the HTTP server could not parse leaves the socket
        // without its handlers; it goes here.
        socket->deleteLater();
    }
}

}  // namespace korvex
