#pragma once

// A private X server for one test case. Xvfb picks a free display number
// itself and reports it on a pipe (-displayfd), so test programs running side
// by side never share or race for a display.

#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/support/Process.h"

namespace korvex::test {

class XvfbDisplay {
public:
    XvfbDisplay() = default;
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;
    ~XvfbDisplay() { stop(); }

    // Starts Xvfb with one screen of `screen` (WIDTHxHEIGHTxDEPTH), its output
    // in `logPath`. False when no display was ready within ten seconds.
    bool start(const std::string& logPath, const std::string& screen = "1400x900x24") {
        int fds[2];
        if (pipe(fds) != 0) {
            return false;
        }
        // The write end is inherited by the server; the read end is not.
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        const bool started =
            m_server.startWithEnvironment({XVFB_PATH, "-displayfd", std::to_string(fds[1]),
                                           "-screen", "0", screen, "-nolisten", "tcp", "-noreset"},
                                          {"PATH=/usr/bin:/bin"}, logPath);
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (started && poll(&p, 1, 10000) > 0) {
            char c = 0;
            if (read(fds[0], &c, 1) != 1 || c == '\n') {
                break;
            }
            number += c;
        }
        close(fds[0]);
        if (number.empty()) {
            stop();
            return false;
        }
        m_name = ":" + number;
        return true;
    }
    void stop() {
        m_server.kill(SIGTERM);
        m_server.wait(std::chrono::seconds(5));
        m_server.kill(SIGKILL);
        m_name.clear();
    }

    // ":N", the value for DISPLAY; empty when not running.
    const std::string& name() const { return m_name; }

private:
    Process m_server;
    std::string m_name;
};

}  // namespace korvex::test
