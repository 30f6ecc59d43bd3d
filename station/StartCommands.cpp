#include "station/StartCommands.h"

#include <utility>

#include "link/Commands.h"
#include "station/Station.h"

namespace korvex {

CStartCommands::CStartCommands(CStation& station, std::function<void()> queue)
    : m_station(station), m_queue(std::move(queue)) {
    m_probe.setInterval(kProbeIntervalMs);
    m_probe.setSingleShot(true);
    connect(&m_probe, &QTimer::timeout, this, &CStartCommands::probe);
    connect(&m_station, &CStation::commandFinished, this,
            [this](const std::string&, bool answered) { commandFinished(answered); });
    connect(&m_station, &CStation::ticked, this, &CStartCommands::ticked);
}

void CStartCommands::queued() {
    m_pending = true;
    m_lost = false;
    m_probe.stop();
}

void CStartCommands::portReopened() {
    m_queue();
    queued();
}

void CStartCommands::commandFinished(bool answered) {
    if (!m_pending) {
        return;
    }
    if (!answered) {
        // The queue has been emptied: the receiver is asked again later.
        m_lost = true;
        m_probe.start();
        return;
    }
    if (m_lost) {
        // The receiver answers again. The commands are queued outside the
        // link's handling of the reply that told it.
        m_lost = false;
        m_probe.stop();
        QTimer::singleShot(0, this, &CStartCommands::queueWithReadout);
    }
}

void CStartCommands::ticked() {
    if (m_pending && !m_lost && m_station.pollFields().commandQueue.empty() &&
        m_station.receiver().linkState == LinkState::Idle) {
        m_pending = false;
    }
}

void CStartCommands::probe() {
    if (!m_lost) {
        return;
    }
    // A link busy with a client's command, or a port that is gone, is
    // left alone; the reopen queues them anyway.
    if (!m_station.isPolling() || !m_station.pollFields().commandQueue.empty() ||
        m_station.receiver().linkState != LinkState::Idle) {
        m_probe.start();
        return;
    }
    queueWithReadout();
}

void CStartCommands::queueWithReadout() {
    m_station.appendCommands(cmd::initialReadout());
    m_queue();
    queued();
}

}  // namespace korvex
