#include "station/SignalBridge.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

#include "model/CloseRequest.h"

namespace korvex {

namespace {
int g_fds[2] = {-1, -1};
}

SignalBridge::SignalBridge(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char c;
        if (::read(g_fds[1], &c, 1) == 1) {
            emit terminationRequested();
        }
    });
    struct sigaction sa {};
    sa.sa_handler = &SignalBridge::handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

SignalBridge::~SignalBridge() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

void SignalBridge::handler(int) {
    const char c = 1;
    // Only async-signal-safe work here: wake the UI thread, and end work
    // that keeps it from its loop (a workbook's reading child).
    requestClose();
    [[maybe_unused]] auto n = ::write(g_fds[0], &c, 1);
}

}  // namespace korvex
