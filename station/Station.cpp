#include "station/Station.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <optional>

#include "link/Commands.h"
#include "link/ResponseParser.h"
#include "link/qt/QtSendTimer.h"
#include "link/qt/QtSerialPort.h"
#include "log/LogActions.h"
#include "log/LogControl.h"
#include "settings/IniFile.h"
#include "settings/SettingsFolder.h"
#include "station/RigctlListener.h"
#include "station/StationWeb.h"

namespace korvex {

CStation::CStation(const StationOptions& options, StationHost& host, QObject* parent)
    : QObject(parent),
      m_options(options),
      m_host(host),
      m_cycle(m_rx, m_poll, *this),
      m_parser(std::make_unique<ResponseParser>(m_rx, m_poll, static_cast<LinkHost&>(*this))),
      m_sendTimer(std::make_unique<QtSendTimer>(m_cycle)) {
    // Told after the failed step has unwound, as a host's message box may
    // run a loop of its own.
    m_steps.setTell([this](const std::string& text) {
        QTimer::singleShot(0, this,
                           [this, text] { m_host.showMessage(text, "Error", MessageKind::Error); });
    });
    createLog();
    createRigctl();

    m_port = new QtSerialPort(this);
    connect(m_port, &QtSerialPort::bytesArrived, this, [this] {
        m_steps.run("the serial port's reading", [this] { receiveBytes(m_port->readAll()); });
    });
    connect(m_port, &QtSerialPort::portLost, this, &CStation::onPortLost);
    m_cycle.setPort(m_port);
    m_cycle.setLineBuilder([this](std::string_view bytes) { m_parser->receive(bytes); });
    m_cycle.setRecordingProbe([this] { return m_sound->isRecording(); });

    // A trace file that cannot be opened or written is told on the next
    // idle check, when the host can show it.
    if (!m_options.tracePath.isEmpty() && m_trace.open(m_options.tracePath.toStdString())) {
        m_cycle.setTrace(&m_trace);
    }

    m_timer.setInterval(kPollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this,
            [this] { m_steps.run("the poll tick", [this] { onTimer(); }); });
    // The log is reaped and the indicators blink whether or not the port is
    // open.
    m_idleTimer.setInterval(kIdleIntervalMs);
    connect(&m_idleTimer, &QTimer::timeout, this,
            [this] { m_steps.run("the idle check", [this] { onIdle(); }); });
    m_idleTimer.start();
    m_web = std::make_unique<CStationWeb>(*this);
}

CStation::~CStation() {
    m_web.reset();
    // The log thread and the network control's clients use the queue and
    // the model: they end before those go.
    m_logControl->shutdown();
    endLog();
    delete m_rigctl;
    m_rigctl = nullptr;
}

std::string CStation::loadSettings() {
    std::optional<std::filesystem::path> configDir;
    if (!m_options.configDir.isEmpty()) {
        configDir = std::filesystem::path(m_options.configDir.toStdString());
    }
    const std::filesystem::path exeDir(QCoreApplication::applicationDirPath().toStdString());
    int createError = 0;
    m_settingsPath = ensureSettingsFile(chooseSettingsFolder(configDir, exeDir), &createError);
    int writeError = 0;
    m_settings = korvex::loadSettings(m_settingsPath, currentVersionNumber(), writeError);
    m_poll.offOnExit = m_settings.offOnExit;
    m_poll.saveOnExit = m_settings.saveOnExit;
    syncAudioSettings();
    applyPacing();
    // A settings file that is refused (too large, no regular file) reads as
    // empty and is kept as it is.
    if (IniFile check; !check.open(m_settingsPath)) {
        return check.problem();
    }
    // A file that is used but cannot be written: the program runs, and the
    // operator learns now that changes will not be kept.
    if (createError != 0 || writeError != 0) {
        m_host.showMessage(
            "The settings file\n" + m_settingsPath.string() +
                (createError != 0 ? "\ncannot be created: " : "\ncannot be updated: ") +
                std::strerror(createError != 0 ? createError : writeError) +
                "\nSettings changed now may not be kept.",
            "Warning", MessageKind::Warning);
    }
    return {};
}

void CStation::applyPacing() {
    m_cycle.setPacing(m_settings.replyPacing ? Pacing::Reply : Pacing::Tick, m_settings.linkGapMs);
}

bool CStation::saveSettings(const WindowPlacement& placement) {
    if (!korvex::saveSettings(m_settingsPath, m_settings, placement)) {
        std::fprintf(stderr, "korvex: cannot write %s\n", m_settingsPath.c_str());
        return false;
    }
    return true;
}

bool CStation::toggleSaveOnExit() {
    const bool saved = korvex::toggleSaveOnExit(m_settingsPath, m_settings);
    if (!saved) {
        std::fprintf(stderr, "korvex: cannot write %s\n", m_settingsPath.c_str());
    }
    m_poll.saveOnExit = m_settings.saveOnExit;
    return saved;
}

SerialSettings CStation::serialSettingsFromIni() const {
    SerialSettings serial;
    serial.portNumber = m_settings.comPortNum;
    serial.settings = m_settings.comPortSettings;
    serial.device = m_settings.comPortDevice;
    return serial;
}

bool CStation::openPort() {
    SerialSettings settings = serialSettingsFromIni();
    if (!m_options.portDevice.isEmpty()) {
        settings.device = m_options.portDevice.toStdString();
    }
    m_port->setSettings(settings);
    return m_port->open();
}

bool CStation::reopenPort(const SerialSettings& settings) {
    m_timer.stop();
    m_port->close();
    m_port->setSettings(settings);
    if (!m_port->open()) {
        return false;
    }
    // Whatever was outstanding on the old line will never be answered; the
    // new line starts free, so the read-out that follows is not lost to a
    // time-out of the old command.
    m_rx.linkState = LinkState::Idle;
    m_rx.rxBuffer.clear();
    m_poll.waitTicks = 0;
    m_poll.retryCount = 0;
    m_cycle.resetLink();
    startPolling();
    return true;
}

void CStation::startPolling() {
    m_timer.start();
    m_cycle.queueInitialReadout();
}

void CStation::appendCommands(const std::string& commands) {
    m_poll.commandQueue.append(commands);
    // With the fast link they leave as soon as the receiver is free.
    m_cycle.commandsQueued();
}

void CStation::onTimer() {
    m_poll.offOnExit = m_settings.offOnExit;
    m_poll.saveOnExit = m_settings.saveOnExit;
    m_cycle.tick();
    m_rigctl->pump();
    m_logControl->reap();
    emit ticked();
}

void CStation::receiveBytes(std::string_view bytes) {
    m_cycle.receive(bytes);
    m_rigctl->pump();
}

void CStation::onIdle() {
    // Without a receiver no reply refreshes the views: a changed log or
    // list is told from here.
    if (!isPolling() && (m_rx.listChanged || m_doc.entriesChanged)) {
        emit modelChanged();
    }
    // A recording runs without a receiver too: its "REC" still blinks, at
    // the poll's pace (two counts every 200 ms).
    if (!isPolling()) {
        m_cycle.updateIndicators();
        m_cycle.updateIndicators();
    }
    m_logControl->reap();
    if (const int error = m_trace.takeFailure(); error != 0) {
        m_host.showMessage("The trace file\n" + m_options.tracePath.toStdString() +
                               "\ncannot be written: " + std::strerror(error),
                           "Error", MessageKind::Error);
    }
    emit idleChecked();
}

void CStation::onPortLost(const QString& reason) {
    m_timer.stop();
    std::fprintf(stderr, "korvex: serial port lost: %s\n", qPrintable(reason));
    emit portLost(reason);
}

void CStation::bandscopeSample(int level, std::int64_t frequencyHz) {
    m_doc.addSample(frequencyHz, level);
    emit scopeSampleAdded();
}

bool CStation::tune(std::string_view frequencyMhz) {
    const std::string commands = tuneCommands(frequencyMhz, m_rx.operatingState, m_settings.mark2);
    if (commands.empty()) {
        return false;
    }
    appendCommands(commands);
    return true;
}

bool CStation::tuneHz(std::int64_t hz) {
    if (hz <= 0) {
        return false;
    }
    // Whole hertz as MHz with six decimals: the rule then checks range and grid.
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%06lld", static_cast<long long>(hz / 1000000),
                  static_cast<long long>(hz % 1000000));
    return tune(text);
}

bool CStation::startMemoryScan(int group) {
    const std::string select = cmd::scanGroupSelect(m_rx, group);
    if (select.empty()) {
        return false;
    }
    appendCommands(select + cmd::scanGroupsRead() + cmd::memoryScanStart());
    return true;
}

bool CStation::startSearch(std::string_view bank) {
    static constexpr std::string_view kBanks = "ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst";
    if (bank.size() != 1 || kBanks.find(bank.front()) == std::string_view::npos) {
        return false;
    }
    appendCommands(cmd::searchStart(bank) + cmd::statusRefreshWithFlags(m_rx));
    return true;
}

void CStation::shutdown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    m_timer.stop();
    m_idleTimer.stop();
    // Nothing more leaves between ticks: only the last command below.
    m_cycle.setPacing(Pacing::Tick);
    stopRigctl();
    m_web->stop();
    // Recording and playback end first, so their files are complete; the
    // log is asked to stop at once, so no entry and recording begin while
    // the last command goes out.
    m_sound->stopRec();
    m_logControl->stopLog();
    m_sound->stopPlay();
    m_poll.offOnExit = m_settings.offOnExit;
    m_poll.saveOnExit = m_settings.saveOnExit;
    m_cycle.sendFinalCommand(m_poll.offOnExit);
    m_port->waitWritten(250);
    QThread::msleep(250);
    m_port->close();
    m_logControl->shutdown();
}

}  // namespace korvex
