#include "station/RigctlListener.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>

namespace korvex {

CRigctlListener::CRigctlListener(CReceiver& rx, CommandQueue& queue, QObject* parent,
                                 std::int64_t idleLimitMs)
    : QObject(parent), m_queue(queue), m_server(rx, queue, idleLimitMs) {
    m_clock.start();
    m_idleCheck.setInterval(static_cast<int>(std::clamp<std::int64_t>(idleLimitMs / 4, 10, 1000)));
    connect(&m_idleCheck, &QTimer::timeout, this, [this] { step([this] { pump(); }); });
    m_server.setSend([this](int client, std::string_view text) {
        const auto it = m_sockets.find(client);
        if (it == m_sockets.end()) {
            return;
        }
        QTcpSocket* socket = it->second;
        socket->write(text.data(), static_cast<qint64>(text.size()));
        if (socket->bytesToWrite() > kDropUnsent) {
            // Never reads: it is not kept at any cost. Later, as the protocol
            // core is still busy with this client.
            QMetaObject::invokeMethod(socket, &QTcpSocket::abort, Qt::QueuedConnection);
        }
    });
    m_server.setClose([this](int client) {
        const auto it = m_sockets.find(client);
        if (it != m_sockets.end()) {
            it->second->disconnectFromHost();
        }
    });
    connect(&m_listener, &QTcpServer::newConnection, this, [this] { step([this] { accept(); }); });
}

template <typename Call>
void CRigctlListener::queueing(Call call) {
    const std::string before = m_queue.text();
    call();
    if (m_queue.text() != before) {
        emit commandsQueued();
    }
}

CRigctlListener::~CRigctlListener() {
    blockSignals(true);  // the window's panes may be gone already
    stop();
}

bool CRigctlListener::start(const QString& address, quint16 port, QString* error) {
    stop();
    QHostAddress host;
    if (!host.setAddress(address)) {
        if (error != nullptr) {
            *error = QStringLiteral("not an address: ") + address;
        }
        return false;
    }
    if (!m_listener.listen(host, port)) {
        if (error != nullptr) {
            *error = m_listener.errorString();
        }
        return false;
    }
    m_idleCheck.start();
    return true;
}

void CRigctlListener::stop() {
    m_idleCheck.stop();
    m_listener.close();
    const auto sockets = m_sockets;
    m_sockets.clear();
    for (const auto& [client, socket] : sockets) {
        m_server.disconnect(client);
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    if (!sockets.empty()) {
        emit clientCountChanged(0);
    }
}

void CRigctlListener::accept() {
    while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
        const auto id = m_server.connect(nowMs());
        if (!id) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const int client = *id;
        // The socket holds no more than this: the rest waits in the kernel,
        // which slows a fast sender down.
        socket->setReadBufferSize(kReadChunk * 4);
        m_sockets.emplace(client, socket);
        connect(socket, &QTcpSocket::readyRead, this,
                [this, client] { step([this, client] { readFrom(client); }); });
        connect(socket, &QTcpSocket::bytesWritten, this,
                [this, client] { step([this, client] { readFrom(client); }); });
        // Queued: a close asked for while the protocol core serves this
        // client must not take its session away underneath it.
        connect(
            socket, &QTcpSocket::disconnected, this, [this, client] { dropped(client); },
            Qt::QueuedConnection);
        emit clientCountChanged(clientCount());
    }
}

void CRigctlListener::readFrom(int client) {
    char buffer[kReadChunk];
    for (;;) {
        const auto it = m_sockets.find(client);
        if (it == m_sockets.end()) {
            return;
        }
        QTcpSocket* socket = it->second;
        if (!m_server.wantsInput(client) || socket->bytesToWrite() > kMaxUnsent ||
            socket->bytesAvailable() <= 0) {
            return;
        }
        const qint64 n = socket->read(buffer, sizeof buffer);
        if (n <= 0) {
            return;
        }
        queueing([&] {
            m_server.receive(client, std::string_view(buffer, static_cast<std::size_t>(n)),
                             nowMs());
        });
    }
}

void CRigctlListener::dropped(int client) {
    const auto it = m_sockets.find(client);
    if (it == m_sockets.end()) {
        return;
    }
    it->second->deleteLater();
    m_sockets.erase(it);
    m_server.disconnect(client);
    emit clientCountChanged(clientCount());
}

void CRigctlListener::commandFinished(const std::string& command, bool answered) {
    queueing([&] { m_server.commandFinished(command, answered, nowMs()); });
}

void CRigctlListener::pump() {
    queueing([&] { m_server.pump(nowMs()); });
    // Clients held back may send again now.
    std::vector<int> clients;
    for (const auto& [client, socket] : m_sockets) {
        clients.push_back(client);
    }
    for (int client : clients) {
        readFrom(client);
    }
}

}  // namespace korvex
