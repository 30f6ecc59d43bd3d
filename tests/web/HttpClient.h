#pragma once

// A plain blocking HTTP client for the page server's tests. The server runs
// in the test's own event loop, so every exchange runs on a thread of its
// own while the test keeps the loop turning.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cctype>
#include <chrono>
#include <future>
#include <map>
#include <string>
#include <string_view>

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

// A connection to 127.0.0.1:port; every call blocks at most `timeoutMs`.
class RawConnection {
public:
    explicit RawConnection(int port, int timeoutMs = 5000) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    ~RawConnection() { ::close(m_fd); }

    bool connected() const { return m_connected; }

    std::size_t send(std::string_view bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(n);
        }
        return sent;
    }
    // Everything up to the peer's close (or the time-out).
    std::string readAll() {
        std::string text;
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }
    // Reads until `marker` has arrived (or the time-out); what came so far.
    std::string readUntil(std::string_view marker, std::string& pending) {
        char buffer[4096];
        for (;;) {
            const auto at = pending.find(marker);
            if (at != std::string::npos) {
                std::string head = pending.substr(0, at + marker.size());
                pending.erase(0, at + marker.size());
                return head;
            }
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                return {};
            }
            pending.append(buffer, static_cast<std::size_t>(n));
        }
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};

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
