#include "link/Trace.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <utility>

namespace korvex {

std::string visibleBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "<%02X>", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

bool Trace::open(const std::string& path) {
    std::lock_guard lock(m_mutex);
    errno = 0;
    m_out.open(path, std::ios::out | std::ios::app);
    if (!m_out.is_open()) {
        failed();
    }
    return m_out.is_open();
}

int Trace::takeFailure() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_failure, 0);
}

void Trace::failed() {
    if (!m_failureSeen) {
        m_failureSeen = true;
        m_failure = errno != 0 ? errno : EIO;
    }
}

void Trace::written(std::string_view command) {
    std::lock_guard lock(m_mutex);
    line('>', command);
}

void Trace::received(std::string_view bytes) {
    std::lock_guard lock(m_mutex);
    m_pending.append(bytes);
    std::size_t lf;
    while ((lf = m_pending.find('\n')) != std::string::npos) {
        line('<', std::string_view(m_pending).substr(0, lf + 1));
        m_pending.erase(0, lf + 1);
    }
    if (m_pending.size() > kMaxPartialLine) {
        line('<', m_pending);
        m_pending.clear();
    }
}

void Trace::line(char direction, std::string_view bytes) {
    if (!m_out.is_open()) {
        return;
    }
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(ms));
    errno = 0;
    m_out << stamp << ' ' << direction << ' ' << visibleBytes(bytes) << '\n';
    m_out.flush();
    if (!m_out) {
        failed();
        m_out.clear();
    }
}

}  // namespace korvex
