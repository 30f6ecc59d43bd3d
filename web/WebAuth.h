#pragma once

// Who may see the page: the access token and the checks on a request.

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

class QHttpServerRequest;

namespace korvex {

// The cookie a page gets once it has shown the token.
inline constexpr const char* kTokenCookie = "korvex_token";

// 128 random bits from the system's generator, as 32 lower-case hex digits.
std::string makeAccessToken();

// A token as makeAccessToken writes it (one typed into the settings by hand
// must be as long, so that it cannot be guessed).
bool isUsableToken(std::string_view token);

// Equal texts, compared in a time that does not depend on where they differ.
bool sameToken(std::string_view given, std::string_view expected);

// Whether the address (as the settings write it) is a loopback address;
// "localhost" is one.
bool isLoopbackBind(const QString& bind);

// Where a request carried the valid token.
enum class TokenSource { None, Header, Cookie, Query };

struct TokenCheck {
    bool valid = false;
    TokenSource source = TokenSource::None;
};

// Looks for the token in "?token=", "Authorization: Bearer" and the cookie.
// The request passes when any of them holds it, so a stale cookie or another
// scheme's Authorization header does not shut out a good token elsewhere. A
// valid "?token=" is named first, so that it renews the cookie.
TokenCheck checkToken(const QHttpServerRequest& request, std::string_view expected);

// The Host header names this server on a loopback address, so a page of
// another site that a rebinding name led to 127.0.0.1 gets nothing: one of
// the usual loopback names, or the address it is bound to (127.0.0.2 say),
// with or without the port.
bool isLoopbackHost(const QByteArray& host, quint16 port, const QString& bind);

// "Set-Cookie" value that keeps the token for the page's later requests.
QByteArray tokenCookie(std::string_view token);

}  // namespace korvex
