#pragma once

#include <QObject>
#include <QTimer>

namespace korvex {

class PollCycle;

// The Qt side of reply pacing: the one-shot timer that the poll cycle asks
// for when the next command may leave between two ticks. All decisions stay
// in the poll cycle; this only turns its requests into a call of
// PollCycle::sendIfDue() on the event loop.
class QtSendTimer : public QObject {
    Q_OBJECT
public:
    explicit QtSendTimer(PollCycle& cycle, QObject* parent = nullptr);
    ~QtSendTimer() override;

private:
    PollCycle& m_cycle;
    QTimer m_timer;
};

}  // namespace korvex
