#include "station/StationWeb.h"

#include <cstdio>

#include "link/qt/QtSerialPort.h"
#include "log/SoundControl.h"
#include "station/Station.h"
#include "web/WebApi.h"
#include "web/WebServer.h"

namespace korvex {

CStationWeb::CStationWeb(CStation& station, QObject* parent) : QObject(parent), m_station(station) {
    // The event streams look at the state after every reply and tick; they
    // send only what changed, at their own pace.
    const auto changed = [this] {
        if (m_server) {
            m_server->statusChanged();
        }
    };
    connect(&m_station, &CStation::modelChanged, this, changed);
    connect(&m_station, &CStation::ticked, this, changed);
    connect(&m_station, &CStation::idleChecked, this, changed);
    connect(&m_station, &CStation::logEntryAdded, this, changed);
    connect(&m_station, &CStation::portLost, this, changed);
}

CStationWeb::~CStationWeb() = default;

bool CStationWeb::start(int port, QString* message) {
    if (running()) {
        if (message != nullptr) {
            *message = QStringLiteral("Web page on %1").arg(address());
        }
        return true;
    }
    KorvSettings& settings = m_station.settings();
    const int chosen = port > 0 ? port : settings.httpPort;
    const auto fail = [&](const QString& why) {
        const QString text = QStringLiteral("Web page: %1").arg(why);
        std::fprintf(stderr, "korvex: %s\n", qPrintable(text));
        if (message != nullptr) {
            *message = text;
        }
        m_server.reset();
        return false;
    };
    if (chosen <= 0 || chosen > 65535) {
        return fail(QStringLiteral("%1 is no port number").arg(chosen));
    }
    WebServerOptions options;
    options.bind = QString::fromStdString(settings.httpBind);
    options.port = static_cast<quint16>(chosen);
    options.token = settings.httpToken;
    options.control = settings.httpControl;
    options.saveToken = [this](const std::string& token) {
        m_station.settings().httpToken = token;
        if (!saveHttpToken(m_station.settingsPath(), token)) {
            std::fprintf(stderr, "korvex: cannot write the web page's token into %s\n",
                         m_station.settingsPath().c_str());
        }
    };
    m_server = std::make_unique<CWebServer>(*this, std::move(options));
    QString error;
    if (!m_server->start(&error)) {
        return fail(error);
    }
    if (message != nullptr) {
        *message = QStringLiteral("Web page on %1").arg(address());
    }
    emit runningChanged();
    return true;
}

void CStationWeb::stop() {
    if (!m_server) {
        return;
    }
    m_server.reset();
    emit runningChanged();
}

bool CStationWeb::running() const {
    return m_server && m_server->running();
}

QString CStationWeb::address() const {
    return running() ? m_server->address() : QString();
}

std::string CStationWeb::token() const {
    return running() && !m_server->token().empty() ? m_server->token()
                                                   : m_station.settings().httpToken;
}

StationStatus CStationWeb::status() const {
    CStation& station = m_station;
    LinkCondition link = LinkCondition::Ok;
    const LinkState state = station.receiver().linkState;
    if (!station.serialPort().isOpen() || !station.isPolling()) {
        link = LinkCondition::Closed;
    } else if (state == LinkState::Err || state == LinkState::Retry) {
        link = LinkCondition::Error;
    }
    return statusFromReceiver(station.receiver(), link, station.sound().isRecording());
}

const CZelDoc& CStationWeb::document() const {
    return m_station.document();
}

std::string CStationWeb::logFilePath() const {
    return m_station.logFilePath();
}

TuneResult CStationWeb::tune(std::int64_t frequencyHz) {
    // Nothing waits in the queue for a receiver that cannot answer.
    if (!m_station.serialPort().isOpen() || !m_station.isPolling()) {
        return TuneResult::Refused;
    }
    return m_station.tuneHz(frequencyHz) ? TuneResult::Accepted : TuneResult::Refused;
}

}  // namespace korvex
