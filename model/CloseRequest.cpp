#include "model/CloseRequest.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>

namespace korvex {

namespace {

std::atomic<bool> g_requested{false};
std::atomic<int> g_readFd{-1};
std::atomic<int> g_writeFd{-1};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "used from a signal handler");

}  // namespace

void requestClose() noexcept {
    g_requested = true;
    const int fd = g_writeFd.load();
    if (fd >= 0) {
        const char c = 1;
        // A full pipe is readable already.
        [[maybe_unused]] const auto n = ::write(fd, &c, 1);
    }
}

bool closeRequested() noexcept {
    return g_requested.load();
}

int closeRequestFd() noexcept {
    static const int fd = [] {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            return -1;
        }
        g_readFd = fds[0];
        g_writeFd = fds[1];
        // A request that came before the pipe was there is in it too.
        if (g_requested.load()) {
            requestClose();
        }
        return fds[0];
    }();
    return fd;
}

void clearCloseRequest() noexcept {
    g_requested = false;
    const int fd = g_readFd.load();
    if (fd >= 0) {
        char buffer[64];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
    }
}

}  // namespace korvex
