#pragma once

// The page server's listening socket with its limits: at most so many open
// connections (one past it gets 503 and is closed at once), a request head
// of at most so many bytes (431 and closed), a request that is not complete
// in so many seconds from its first byte is cut off (however slowly its bytes
// keep coming), and a connection that neither sends nor receives for a while
// is closed.

#include <QElapsedTimer>
#include <QHash>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

namespace korvex {

struct ConnectionLimits {
    int maxConnections = 32;
    qint64 maxRequestBytes = 16 * 1024;  // request line, headers and body
    int idleMs = 60'000;
    int requestMs = 20'000;  // from a request's first byte to its end
};

class CWebListener : public QTcpServer {
    Q_OBJECT
public:
    explicit CWebListener(const ConnectionLimits& limits, QObject* parent = nullptr);

    int openConnections() const { return static_cast<int>(m_sockets.size()); }
    // Connections refused because the limit was reached, since the start.
    quint64 refusedConnections() const { return m_refused; }

    // Whether the connection's current request line ends in "HTTP/1.0"
    // (such a client expects the connection to close after the answer).
    bool isHttp10(QTcpSocket* socket) const;
    // A request of this connection was answered: the next one may have the
    // full size again.
    void requestDone(QTcpSocket* socket);
    // The server wrote to the connection (a stream keeps it alive).
    void touched(QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Connection {
        qint64 requestBytes = 0;
        qint64 lastActivityMs = 0;
        qint64 requestStartMs = -1;  // -1: no request under way
        QByteArray requestLine;      // as far as it has come
        bool lineComplete = false;
    };

    void received(QTcpSocket* socket);
    void closeIdle();

    ConnectionLimits m_limits;
    QHash<QTcpSocket*, Connection> m_sockets;
    QElapsedTimer m_clock;
    QTimer m_idleSweep;
    quint64 m_refused = 0;
};

}  // namespace korvex
