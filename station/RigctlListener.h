#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <map>

#include "model/StepGuard.h"
#include "remote/RigctlServer.h"

class QTcpSocket;

namespace korvex {

// The network side of the rigctld server: listens on a TCP port, hands each
// client's bytes to the protocol core and its replies back. A client that
// does not read its replies, or sends faster than the receiver answers, is
// no longer read from until it catches up, so neither memory nor the window
// suffers for it.
class CRigctlListener : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 4532;
    // Replies a client may leave unread before its input is left unread too,
    // and the amount at which it is dropped.
    static constexpr qint64 kMaxUnsent = 64 * 1024;
    static constexpr qint64 kDropUnsent = 1024 * 1024;
    static constexpr qint64 kReadChunk = 4096;

    // Clients idle for idleLimitMs are closed (tests give a short limit).
    CRigctlListener(CReceiver& rx, CommandQueue& queue, QObject* parent = nullptr,
                    std::int64_t idleLimitMs = remote::RigctlServer::kIdleLimitMs);
    ~CRigctlListener() override;

    // Where memory that runs out in a socket's or the idle check's step is
    // caught and told; the listener's own guard (standard error) by default.
    void setStepGuard(StepGuard* guard) { m_steps = guard != nullptr ? guard : &m_ownSteps; }

    remote::RigctlServer& server() { return m_server; }

    // Listens on the address and port; false with the reason when it cannot.
    bool start(const QString& address, quint16 port, QString* error);
    void stop();
    bool isListening() const { return m_listener.isListening(); }
    quint16 port() const { return m_listener.serverPort(); }
    int clientCount() const { return static_cast<int>(m_sockets.size()); }

    // The link has finished a command (the poll cycle's observer).
    void commandFinished(const std::string& command, bool answered);
    // Answers what can be answered and reads from clients that may send
    // again; the poll tick and the serial input call it.
    void pump();

signals:
    void clientCountChanged(int count);
    // A client's request has put commands into the queue.
    void commandsQueued();

private:
    template <class F>
    void step(F&& work) {
        m_steps->run("the network control", std::forward<F>(work));
    }
    void accept();
    void readFrom(int client);
    void dropped(int client);
    std::int64_t nowMs() const { return m_clock.elapsed(); }
    // Runs a call into the protocol core and says when it queued commands.
    template <typename Call>
    void queueing(Call call);

    CommandQueue& m_queue;
    remote::RigctlServer m_server;
    QTcpServer m_listener;
    std::map<int, QTcpSocket*> m_sockets;
    QElapsedTimer m_clock;
    // Idle clients are closed even while no port is polled.
    QTimer m_idleCheck;
    StepGuard m_ownSteps;
    StepGuard* m_steps = &m_ownSteps;
};

}  // namespace korvex
