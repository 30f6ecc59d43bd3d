#pragma once

// A plain blocking TCP client on 127.0.0.1, for tests that speak a protocol
// byte by byte or misbehave on purpose: every send and receive gives up
// after a while instead of blocking for ever on a server that stopped
// reading or writing. No Qt, so it may run on a thread of its own.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace korvex::test {

// A loopback port nobody listens on now.
inline int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t size = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
    ::close(fd);
    return ntohs(addr.sin_port);
}

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

    // Bytes sent before the server stopped taking them.
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
    // Reads until `marker` has arrived (or the time-out): what came up to
    // and with it; the rest stays in `pending`.
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
    // What has arrived so far, without waiting.
    std::string readAvailable() {
        std::string text;
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }
    // The server has closed the connection (and nothing is left to read).
    bool closedByServer() {
        char c = 0;
        return ::recv(m_fd, &c, 1, MSG_DONTWAIT | MSG_PEEK) == 0;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};

}  // namespace korvex::test
