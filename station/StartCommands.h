#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

namespace korvex {

class CStation;

// The commands an unattended station starts with (the log's level reports,
// a memory scan or a search) kept until the receiver has taken them. A
// receiver that is silent at start makes the link give up and empty its
// queue; so does one that stops answering half-way. Then the receiver is
// read out again and the commands follow as soon as it answers: to a
// command of a network client, or to the read-out tried again every few
// seconds. After the port has been reopened they are sent again whatever
// became of them, as the receiver may have been switched off meanwhile.
class CStartCommands : public QObject {
public:
    static constexpr int kProbeIntervalMs = 5000;

    // `queue` appends the start commands to the station's queue.
    CStartCommands(CStation& station, std::function<void()> queue);

    // The start commands have just been queued, after the read-out.
    void queued();
    // The port has been opened again and the read-out queued.
    void portReopened();

    // Whether they still wait for the receiver.
    bool pending() const { return m_pending; }

private:
    void commandFinished(bool answered);
    void ticked();
    void probe();
    void queueWithReadout();

    CStation& m_station;
    std::function<void()> m_queue;
    QTimer m_probe;
    // Queued and not yet taken: the link has not yet been idle with an
    // empty queue since.
    bool m_pending = false;
    // The link gave up on a command and emptied the queue with them in it.
    bool m_lost = false;
};

}  // namespace korvex
