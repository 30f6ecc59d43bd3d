#include "link/qt/QtSendTimer.h"

#include "link/PollCycle.h"

namespace korvex {

QtSendTimer::QtSendTimer(PollCycle& cycle, QObject* parent) : QObject(parent), m_cycle(cycle) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_cycle.sendIfDue(); });
    m_cycle.setSendScheduler([this](int delayMs) { m_timer.start(delayMs); });
}

QtSendTimer::~QtSendTimer() {
    m_cycle.setSendScheduler({});
}

}  // namespace korvex
