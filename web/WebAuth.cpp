#include "web/WebAuth.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QRandomGenerator>
#include <QUrlQuery>
#include <array>

namespace korvex {

std::string makeAccessToken() {
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (const quint32 word : words) {
        for (int shift = 28; shift >= 0; shift -= 4) {
            token.push_back(kHex[(word >> shift) & 0xF]);
        }
    }
    return token;
}

bool isUsableToken(std::string_view token) {
    if (token.size() < 32 || token.size() > 128) {
        return false;
    }
    for (const char c : token) {
        const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                        (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool sameToken(std::string_view given, std::string_view expected) {
    if (expected.empty()) {
        return false;
    }
    unsigned char difference = given.size() == expected.size() ? 0 : 1;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const char g = i < given.size() ? given[i] : '\0';
        difference |= static_cast<unsigned char>(g ^ expected[i]);
    }
    return difference == 0;
}

bool isLoopbackBind(const QString& bind) {
    if (bind.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    const QHostAddress address(bind);
    return !address.isNull() && address.isLoopback();
}

TokenCheck checkToken(const QHttpServerRequest& request, std::string_view expected) {
    const auto holds = [expected](const QByteArray& given) {
        return sameToken(std::string_view(given.constData(), size_t(given.size())), expected);
    };
    const QUrlQuery query = request.query();
    if (query.hasQueryItem(QStringLiteral("token")) &&
        holds(query.queryItemValue(QStringLiteral("token")).toUtf8())) {
        return {true, TokenSource::Query};
    }
    const QByteArray authorization = request.value("Authorization").trimmed();
    if (authorization.size() > 7 &&
        authorization.first(7).compare("Bearer ", Qt::CaseInsensitive) == 0 &&
        holds(authorization.mid(7).trimmed())) {
        return {true, TokenSource::Header};
    }
    // A browser may send several cookies of the name (another path's).
    for (const QByteArray& part : request.value("Cookie").split(';')) {
        const QByteArray pair = part.trimmed();
        const auto eq = pair.indexOf('=');
        if (eq > 0 && pair.first(eq) == kTokenCookie && holds(pair.mid(eq + 1))) {
            return {true, TokenSource::Cookie};
        }
    }
    return {};
}

bool isLoopbackHost(const QByteArray& host, quint16 port, const QString& bind) {
    const QByteArray suffix = ':' + QByteArray::number(port);
    QList<QByteArray> names = {"127.0.0.1", "localhost", "[::1]"};
    const QHostAddress bound(bind);
    if (!bound.isNull()) {
        const QByteArray text = bound.toString().toLatin1();
        names.append(bound.protocol() == QAbstractSocket::IPv6Protocol ? '[' + text + ']' : text);
    }
    for (const QByteArray& name : std::as_const(names)) {
        if (host == name || host == name + suffix) {
            return true;
        }
    }
    return false;
}

QByteArray tokenCookie(std::string_view token) {
    return QByteArray(kTokenCookie) + '=' + QByteArray(token.data(), qsizetype(token.size())) +
           "; Path=/; HttpOnly; SameSite=Strict";
}

}  // namespace korvex
