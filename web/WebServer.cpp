#include "web/WebServer.h"

#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QHttpServerRequest>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <iostream>
#include <span>
#include <utility>
#include <vector>

#include "log/ZelDoc.h"
#include "ui/Cp1252.h"
#include "web/WebApi.h"
#include "web/WebAuth.h"
#include "web/WebFiles.h"

namespace korvex {

namespace {

constexpr const char* kStreamingProperty = "korvexStreaming";
constexpr qint64 kFilePiece = 64 * 1024;

QByteArray reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 202:
            return "Accepted";
        case 206:
            return "Partial Content";
        case 303:
            return "See Other";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 413:
            return "Payload Too Large";
        case 415:
            return "Unsupported Media Type";
        case 416:
            return "Range Not Satisfiable";
        case 422:
            return "Unprocessable Entity";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

// The headers every response carries: nothing but this server's own
// content, no guessing of types, no framing by other sites.
constexpr char kSecurityHeaders[] =
    "Content-Security-Policy: default-src 'self'; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Referrer-Policy: no-referrer\r\n";

const QByteArray kJson = "application/json; charset=utf-8";

}  // namespace

struct CWebServer::Reply {
    int status = 404;
    QByteArray contentType;
    QByteArray body;
    std::vector<std::pair<QByteArray, QByteArray>> headers;
    bool close = false;
    bool taken = false;  // a stream has written the response itself

    void json(int code, QByteArray text) {
        status = code;
        contentType = kJson;
        body = std::move(text);
    }
    void error(int code) {
        status = code;
        contentType.clear();
        body.clear();
    }
};

CWebServer::CWebServer(WebSource& source, WebServerOptions options, QObject* parent)
    : QAbstractHttpServer(parent), m_source(source), m_options(std::move(options)) {
    m_events = std::make_unique<CEventHub>([this] { return currentStatus(); }, m_options.events);
}

CWebServer::~CWebServer() = default;

bool CWebServer::start(QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    };
    if (m_listener) {
        return true;
    }
    m_loopback = isLoopbackBind(m_options.bind);
    QHostAddress address;
    if (m_options.bind.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) {
        address = QHostAddress::LocalHost;
    } else if (!address.setAddress(m_options.bind)) {
        return fail(QStringLiteral("\"%1\" is no address to listen on").arg(m_options.bind));
    }
    m_tokenRequired = !m_loopback;
    if (m_tokenRequired || m_options.control) {
        if (m_options.token.empty()) {
            m_options.token = makeAccessToken();
            if (m_options.saveToken) {
                m_options.saveToken(m_options.token);
            }
            std::cerr << "korvex: the web page's access token is " << m_options.token << '\n';
        } else if (!isUsableToken(m_options.token)) {
            return fail(
                QStringLiteral("the web page's token must be at least 32 letters or digits; "
                               "empty it to have one made"));
        }
    }
    auto* listener = new CWebListener(m_options.limits, this);
    if (!listener->listen(address, m_options.port)) {
        const QString why = listener->errorString();
        delete listener;
        return fail(QStringLiteral("cannot listen on %1 port %2: %3")
                        .arg(m_options.bind)
                        .arg(m_options.port)
                        .arg(why));
    }
    bind(listener);
    m_listener = listener;
    return true;
}

void CWebServer::stop() {
    // The connections are the listener's children and go with it.
    delete m_listener;
    m_listener = nullptr;
}

quint16 CWebServer::port() const {
    return m_listener ? m_listener->serverPort() : 0;
}

QString CWebServer::address() const {
    QString host = m_options.bind;
    const QHostAddress bound(host);
    if (bound == QHostAddress::AnyIPv4 || bound == QHostAddress::AnyIPv6) {
        // Every address of the machine: its name reaches it from elsewhere.
        host = QHostInfo::localHostName();
        if (host.isEmpty()) {
            return QStringLiteral("all addresses, port %1").arg(port());
        }
    } else if (host.contains(u':')) {
        host = u'[' + host + u']';
    }
    return QStringLiteral("http://%1:%2/").arg(host).arg(port());
}

void CWebServer::statusChanged() {
    m_events->changed();
}

QByteArray CWebServer::currentStatus() const {
    return statusJson(m_source.status(), m_source.document().entryCount());
}

bool CWebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    // An HTTP/1.0 connection closes after its answer: without keep-alive
    // the client waits for the close, and this server does not speak the
    // old keep-alive dialect.
    const bool http10 = m_listener && m_listener->isHttp10(socket);
    if (m_listener) {
        m_listener->requestDone(socket);
    }
    if (socket->property(kStreamingProperty).toBool()) {
        // A stream owns this connection; a client that sends more on it is
        // not one the page knows.
        socket->abort();
        return true;
    }
    Reply reply;
    if (!m_steps.run("the web server", [&] { route(request, socket, reply); })) {
        reply = Reply{};
        reply.error(503);
        reply.close = true;
    }
    if (!reply.taken) {
        const bool close =
            reply.close || http10 || request.value("Connection").toLower() == "close";
        write(socket, reply, close);
    }
    return true;
}

void CWebServer::missingHandler(const QHttpServerRequest&, QTcpSocket* socket) {
    Reply reply;
    reply.error(404);
    write(socket, reply, false);
}

void CWebServer::route(const QHttpServerRequest& request, QTcpSocket* socket, Reply& reply) {
    using Method = QHttpServerRequest::Method;
    const QString path = request.url().path(QUrl::FullyEncoded);
    const Method method = request.method();

    if (m_loopback && !isLoopbackHost(request.value("Host").toLower(), port(), m_options.bind)) {
        // Another name that leads here is another site's page.
        reply.error(403);
        return;
    }
    const TokenCheck token =
        m_options.token.empty() ? TokenCheck{} : checkToken(request, m_options.token);
    if (m_tokenRequired && !token.valid) {
        reply.error(401);
        reply.headers.emplace_back("WWW-Authenticate", "Bearer");
        reply.close = true;
        return;
    }
    if (token.valid && token.source == TokenSource::Query) {
        reply.headers.emplace_back("Set-Cookie", tokenCookie(m_options.token));
        if (path == QLatin1String("/") && method == Method::Get) {
            // The token leaves the address bar; the cookie carries it on.
            reply.status = 303;
            reply.headers.emplace_back("Location", "/");
            return;
        }
    }

    if (path == QLatin1String("/api/tune")) {
        if (method != Method::Post) {
            reply.error(405);
            return;
        }
        serveTune(request, token.valid, reply);
        return;
    }
    if (method != Method::Get) {
        reply.error(405);
        reply.headers.emplace_back("Allow", "GET");
        return;
    }
    if (path == QLatin1String("/") || path == QLatin1String("/index.html")) {
        serveResource(QStringLiteral("index.html"), reply);
    } else if (path == QLatin1String("/app.js") || path == QLatin1String("/app.css")) {
        serveResource(path.mid(1), reply);
    } else if (path == QLatin1String("/api/status")) {
        reply.json(200, currentStatus());
    } else if (path == QLatin1String("/api/log")) {
        serveLog(request, reply);
    } else if (path == QLatin1String("/api/log.csv")) {
        serveCsv(socket, reply);
    } else if (path == QLatin1String("/api/report")) {
        serveReport(request, reply);
    } else if (path == QLatin1String("/api/events")) {
        serveEvents(socket, reply);
    } else if (path.startsWith(u"/audio/")) {
        const QString name = QUrl::fromPercentEncoding(path.mid(7).toLatin1());
        serveAudio(request, socket, name, reply);
    } else {
        reply.error(404);
    }
}

void CWebServer::serveResource(const QString& name, Reply& reply) {
    QFile file(QStringLiteral(":/korvex/web/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        reply.error(404);
        return;
    }
    reply.status = 200;
    reply.body = file.readAll();
    if (name.endsWith(u".html")) {
        reply.contentType = "text/html; charset=utf-8";
    } else if (name.endsWith(u".js")) {
        reply.contentType = "text/javascript; charset=utf-8";
    } else {
        reply.contentType = "text/css; charset=utf-8";
    }
    reply.headers.emplace_back("Cache-Control", "no-cache");
}

void CWebServer::serveLog(const QHttpServerRequest& request, Reply& reply) {
    const auto query = parseLogQuery(request.query());
    if (!query) {
        reply.json(400, R"({"error":"offset, limit (1 to 500) and q must be numbers and text"})");
        return;
    }
    reply.json(200, logPageJson(m_source.document(), *query));
}

void CWebServer::serveReport(const QHttpServerRequest& request, Reply& reply) {
    const auto range = parseReportQuery(request.query());
    if (!range) {
        reply.json(400, R"({"error":"from and to are dates YYYY-MM-DD"})");
        return;
    }
    const CZelDoc& document = m_source.document();
    const std::uint64_t revision = document.revision();
    if (!m_report || m_report->revision != revision || m_report->from != range->from ||
        m_report->to != range->to) {
        ActivityReport report;
        document.visitEntries([&](const std::vector<LogEntry>& entries) {
            report = buildActivityReport(std::span<const LogEntry>(entries), *range);
        });
        m_report = CachedReport{revision, range->from, range->to, reportJson(report)};
    }
    reply.json(200, m_report->json);
}

void CWebServer::serveTune(const QHttpServerRequest& request, bool tokenShown, Reply& reply) {
    if (!m_options.control) {
        reply.json(403, R"({"error":"control is off"})");
        return;
    }
    if (!tokenShown) {
        reply.error(401);
        reply.headers.emplace_back("WWW-Authenticate", "Bearer");
        return;
    }
    if (!request.value("Content-Type").toLower().startsWith("application/json")) {
        reply.json(415, R"({"error":"the body is JSON"})");
        return;
    }
    QJsonParseError parseError{};
    const QJsonDocument body = QJsonDocument::fromJson(request.body(), &parseError);
    const QJsonValue hz = body.object().value(QStringLiteral("frequency_hz"));
    const double value = hz.toDouble(-1);
    if (parseError.error != QJsonParseError::NoError || !hz.isDouble() || value < 0 ||
        value > 1e11 || value != static_cast<double>(static_cast<std::int64_t>(value))) {
        reply.json(400, R"({"error":"frequency_hz is a whole number of Hz"})");
        return;
    }
    if (m_source.tune(static_cast<std::int64_t>(value)) == TuneResult::Accepted) {
        reply.json(202, R"({"accepted":true})");
    } else {
        reply.json(422, R"({"accepted":false})");
    }
}

bool CWebServer::serveAudio(const QHttpServerRequest& request, QTcpSocket* socket,
                            const QString& name, Reply& reply) {
    const auto path = servedAudioFile(m_source.document(), m_source.logFilePath(), toCp1252(name));
    if (!path) {
        reply.error(404);
        return false;
    }
    auto file = std::make_shared<QFile>(QString::fromStdString(path->string()));
    if (!file->open(QIODevice::ReadOnly)) {
        reply.error(404);
        return false;
    }
    const auto size = static_cast<std::uint64_t>(file->size());
    const QByteArray rangeHeader = request.value("Range");
    const RangeRequest range =
        parseRange(std::string_view(rangeHeader.constData(), size_t(rangeHeader.size())), size);
    if (range.kind == RangeKind::Unsatisfiable) {
        reply.error(416);
        reply.headers.emplace_back("Content-Range", "bytes */" + QByteArray::number(size));
        return false;
    }
    ByteRange part{0, size == 0 ? 0 : size - 1};
    if (range.kind == RangeKind::Part) {
        part = range.range;
    }
    const std::uint64_t length = size == 0 ? 0 : part.last - part.first + 1;
    QByteArray head =
        "Content-Type: audio/wav\r\nAccept-Ranges: bytes\r\nCache-Control: no-cache\r\n";
    head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    if (range.kind == RangeKind::Part) {
        head += "Content-Range: bytes " + QByteArray::number(part.first) + '-' +
                QByteArray::number(part.last) + '/' + QByteArray::number(size) + "\r\n";
    }
    takeStream(socket, range.kind == RangeKind::Part ? 206 : 200, head, reply);
    file->seek(static_cast<qint64>(part.first));
    auto remaining = std::make_shared<std::uint64_t>(length);
    CBodyStream::start(socket, [file, remaining]() -> QByteArray {
        if (*remaining == 0) {
            return {};
        }
        QByteArray piece =
            file->read(static_cast<qint64>(std::min<std::uint64_t>(*remaining, kFilePiece)));
        if (piece.isEmpty()) {
            *remaining = 0;  // the file shrank: the client sees a short body
            return {};
        }
        *remaining -= static_cast<std::uint64_t>(piece.size());
        return piece;
    });
    return true;
}

bool CWebServer::serveCsv(QTcpSocket* socket, Reply& reply) {
    takeStream(socket, 200,
               "Content-Type: text/csv; charset=utf-8\r\n"
               "Content-Disposition: attachment; filename=\"korvex-log.csv\"\r\n"
               "Cache-Control: no-store\r\n",
               reply);
    // The entries present now; the log may grow while the file is sent.
    const std::size_t total = m_source.document().entryCount();
    auto next = std::make_shared<std::size_t>(0);
    auto headerSent = std::make_shared<bool>(false);
    WebSource* source = &m_source;
    CBodyStream::start(socket, [source, total, next, headerSent]() -> QByteArray {
        if (!*headerSent) {
            *headerSent = true;
            return logCsvHeader();
        }
        while (*next < total) {
            const std::size_t first = *next;
            *next += kCsvEntriesPerPiece;
            QByteArray piece = logCsvLines(source->document(), first,
                                           std::min(kCsvEntriesPerPiece, total - first));
            if (!piece.isEmpty()) {
                return piece;
            }
        }
        return {};
    });
    return true;
}

bool CWebServer::serveEvents(QTcpSocket* socket, Reply& reply) {
    if (m_events->clients() >= kMaxEventClients) {
        reply.error(503);
        reply.close = true;
        return false;
    }
    takeStream(socket, 200, "Content-Type: text/event-stream\r\nCache-Control: no-store\r\n",
               reply);
    // Every event is written activity, so the listener never counts a
    // stream as idle.
    m_events->add(socket);
    return true;
}

void CWebServer::takeStream(QTcpSocket* socket, int status, const QByteArray& headers,
                            Reply& reply) {
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n" + headers;
    for (const auto& [key, value] : std::as_const(reply.headers)) {
        head += key + ": " + value + "\r\n";
    }
    head += kSecurityHeaders;
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->setProperty(kStreamingProperty, true);
    reply.taken = true;
}

void CWebServer::write(QTcpSocket* socket, const Reply& reply, bool close) {
    QByteArray out =
        "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    if (!reply.contentType.isEmpty()) {
        out += "Content-Type: " + reply.contentType + "\r\n";
    }
    if (reply.contentType.startsWith("application/json")) {
        out += "Cache-Control: no-store\r\n";
    }
    out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    for (const auto& [key, value] : reply.headers) {
        out += key + ": " + value + "\r\n";
    }
    out += kSecurityHeaders;
    if (close) {
        out += "Connection: close\r\n";
    }
    out += "\r\n";
    out += reply.body;
    socket->write(out);
    if (close) {
        socket->disconnectFromHost();
    }
}

}  // namespace korvex
