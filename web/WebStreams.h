#pragma once

// Responses that outlive their request handler: a body written piece by
// piece as the client takes it (a WAV file, the log's CSV), and the event
// streams of the live receiver line.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QTcpSocket;

namespace korvex {

// Writes a body in pieces while the socket's send queue is short, then
// closes the connection. `next` gives the next piece, or an empty one at the
// end. Owned by the socket, so it goes with it.
class CBodyStream : public QObject {
    Q_OBJECT
public:
    using Producer = std::function<QByteArray()>;
    static constexpr qint64 kQueueBytes = 256 * 1024;

    static void start(QTcpSocket* socket, Producer next);

private:
    CBodyStream(QTcpSocket* socket, Producer next);
    void pump();

    QTcpSocket* m_socket;
    Producer m_next;
    bool m_done = false;
};

// The clients of /api/events. Each gets the status object at once, again
// whenever it changes (at most every minIntervalMs) and every keepAliveMs
// even when it did not. A client whose send queue grows (it stopped
// reading) is dropped.
class CEventHub : public QObject {
    Q_OBJECT
public:
    struct Timing {
        int minIntervalMs = 200;
        int keepAliveMs = 15'000;
        int checkMs = 200;  // how often the state is looked at without a notice
    };
    static constexpr qint64 kMaxQueueBytes = 64 * 1024;

    CEventHub(std::function<QByteArray()> current, const Timing& timing, QObject* parent = nullptr);

    // Takes the socket, whose response head is already written.
    void add(QTcpSocket* socket);
    int clients() const { return static_cast<int>(m_clients.size()); }
    // The state may have changed: sent now, or when the interval allows.
    void changed();
    // Events sent since the start, for the tests.
    quint64 eventsSent() const { return m_sent; }

private:
    void send(const QByteArray& data);
    void dropGone();
    void keepAlive();

    std::function<QByteArray()> m_current;
    Timing m_timing;
    QList<QPointer<QTcpSocket>> m_clients;
    QByteArray m_last;
    QElapsedTimer m_sinceSend;
    QTimer m_delayed;    // a change that came too soon after the last event
    QTimer m_check;      // looks for changes nobody announced (the log grows)
    QTimer m_keepAlive;  // the object again on a quiet line
    quint64 m_sent = 0;
};

}  // namespace korvex
