#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "web/WebSource.h"

namespace korvex {

class CStation;
class CWebServer;

// The station's web page: the page's server on the station's receiver model,
// log and command queue, with the address, port, bind and token of the
// settings' HTTP section. The server runs in the station's thread.
class CStationWeb : public QObject, public WebSource {
    Q_OBJECT
public:
    explicit CStationWeb(CStation& station, QObject* parent = nullptr);
    ~CStationWeb() override;

    // Listens on the settings' bind and port, or on `port` when it is above
    // 0. The text says where, or why it cannot. A token made on the way is
    // saved in the settings file.
    bool start(int port, QString* message);
    void stop();
    bool running() const;
    // "http://ADDRESS:PORT/", "" while stopped.
    QString address() const;
    // The token requests must show ("" when none is asked for).
    std::string token() const;

    // WebSource
    StationStatus status() const override;
    const CZelDoc& document() const override;
    std::string logFilePath() const override;
    TuneResult tune(std::int64_t frequencyHz) override;

signals:
    // Started or stopped.
    void runningChanged();

private:
    CStation& m_station;
    std::unique_ptr<CWebServer> m_server;
};

}  // namespace korvex
