#pragma once

// The station's web page and its API over HTTP, in the thread of the
// station's event loop. Every handler does a bounded amount of work (a page
// of the log, one report, a piece of a file), so that requests never hold
// up the receiver's poll cycle.

#include <QAbstractHttpServer>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "log/ActivityReport.h"
#include "model/StepGuard.h"
#include "web/WebListener.h"
#include "web/WebSource.h"
#include "web/WebStreams.h"

namespace korvex {

struct WebServerOptions {
    QString bind = QStringLiteral("127.0.0.1");
    quint16 port = 8600;  // 0: any free port
    // The access token; one is made when it is needed and this is empty.
    std::string token;
    bool control = false;  // POST /api/tune allowed (always with the token)
    ConnectionLimits limits;
    CEventHub::Timing events;
    // Keeps a token the server made (the settings file); may be empty.
    std::function<void(const std::string&)> saveToken;
};

class CWebServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    // At most so many /api/events streams, so that they never take every
    // connection.
    static constexpr int kMaxEventClients = 16;
    // Pieces of the log's CSV, in entries.
    static constexpr std::size_t kCsvEntriesPerPiece = 2000;

    CWebServer(WebSource& source, WebServerOptions options, QObject* parent = nullptr);
    ~CWebServer() override;

    // Starts listening. False, with the reason in `error`, when the address
    // is none or the port cannot be had. A token is made (and handed to
    // saveToken, and printed on standard error) when one is needed: on a
    // non-loopback address, or with control on.
    bool start(QString* error = nullptr);
    // Closes the listening socket and every connection; start() may follow.
    void stop();
    bool running() const { return m_listener != nullptr; }
    quint16 port() const;
    // "http://ADDRESS:PORT/"; bound to every address (0.0.0.0, ::), the
    // machine's name stands for ADDRESS.
    QString address() const;
    const std::string& token() const { return m_options.token; }
    bool needsToken() const { return m_tokenRequired; }

    // The station's state may have changed.
    void statusChanged();

    const CWebListener* listener() const { return m_listener; }
    const CEventHub& events() const { return *m_events; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Reply;

    void route(const QHttpServerRequest& request, QTcpSocket* socket, Reply& reply);
    void serveResource(const QString& path, Reply& reply);
    void serveLog(const QHttpServerRequest& request, Reply& reply);
    void serveReport(const QHttpServerRequest& request, Reply& reply);
    void serveTune(const QHttpServerRequest& request, bool tokenShown, Reply& reply);
    bool serveAudio(const QHttpServerRequest& request, QTcpSocket* socket, const QString& name,
                    Reply& reply);
    bool serveCsv(QTcpSocket* socket, Reply& reply);
    bool serveEvents(QTcpSocket* socket, Reply& reply);
    // Writes the head of a response whose body follows piece by piece (the
    // connection closes after it): the status line, `headers` (lines with
    // their CR LF), the reply's own headers and the security headers. The
    // connection then belongs to the stream.
    void takeStream(QTcpSocket* socket, int status, const QByteArray& headers, Reply& reply);
    void write(QTcpSocket* socket, const Reply& reply, bool close);
    QByteArray currentStatus() const;

    WebSource& m_source;
    WebServerOptions m_options;
    bool m_tokenRequired = false;
    bool m_loopback = true;
    CWebListener* m_listener = nullptr;
    std::unique_ptr<CEventHub> m_events;
    // Memory that runs out while a request is answered fails that request
    // (503) and is told once.
    StepGuard m_steps;

    // The last report, for the same log state and range.
    struct CachedReport {
        std::uint64_t revision = 0;
        std::string from;
        std::string to;
        QByteArray json;
    };
    std::optional<CachedReport> m_report;
};

}  // namespace korvex
