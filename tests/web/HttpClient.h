#pragma once

// A plain blocking HTTP client for the page server's tests, on the raw
// connection of tests/support. The server runs in the test's own event loop,
// so every exchange runs on a thread of its own while the test keeps the
// loop turning.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cctype>
#include <chrono>
#include <future>
#include <map>
#include <string>
#include <string_view>

#include "tests/support/RawConnection.h"

namespace korvex::test {

struct HttpResponse {
    int status = 0;                              // 0: no response (refused, reset, time-out)
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    std::string raw;

    std::string header(const std::string& name) const {
        const auto it = headers.find(name);
        return it == headers.end() ? std::string() : it->second;
    }
};

inline HttpResponse parseHttpResponse(const std::string& raw) {
    HttpResponse r;
    r.raw = raw;
    const auto headEnd = raw.find("\r\n\r\n");
    if (raw.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos) {
        return r;
    }
    r.status = std::stoi(raw.substr(9, 3));
    std::size_t line = raw.find("\r\n") + 2;
    while (line < headEnd) {
        const auto end = raw.find("\r\n", line);
        const std::string text = raw.substr(line, end - line);
        const auto colon = text.find(':');
        if (colon != std::string::npos) {
            std::string name = text.substr(0, colon);
            for (char& c : name) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            std::string value = text.substr(colon + 1);
            while (!value.empty() && value.front() == ' ') {
                value.erase(0, 1);
            }
            r.headers[name] +=
                r.headers.count(name) && !r.headers[name].empty() ? "\n" + value : value;
        }
        line = end + 2;
    }
    r.body = raw.substr(headEnd + 4);
    return r;
}

// Runs `work` on another thread and keeps the event loop turning until it
// is done.
template <typename F>
auto whileServing(F work) -> decltype(work()) {
    auto future = std::async(std::launch::async, std::move(work));
    while (future.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return future.get();
}

// One request on a connection of its own; the answer up to the close.
inline HttpResponse httpExchange(int port, const std::string& request) {
    return whileServing([port, request] {
        RawConnection c(port);
        if (!c.connected()) {
            return HttpResponse{};
        }
        c.send(request);
        return parseHttpResponse(c.readAll());
    });
}

inline HttpResponse get(int port, const std::string& target, const std::string& headers = {}) {
    return httpExchange(port, "GET " + target +
                                  " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" +
                                  headers + "Connection: close\r\n\r\n");
}

}  // namespace korvex::test
