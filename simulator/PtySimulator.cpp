#include "simulator/PtySimulator.h"
#include "simulator/Replies.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace korvex::sim {

namespace {

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr size_t kMaxBacklog = 16 * 1024;
constexpr int kIdlePollMs = 10;

Ar8600Options receiverOptions(const PtyOptions& o) {
    Ar8600Options r = o.receiver;
    r.baudRate = o.baudRate;
    r.stayOffAfterPowerOff = r.stayOffAfterPowerOff || o.faults.stayOffAfterPowerOff;
    return r;
}

SignalField signalsFor(const PtyOptions& o) {
    SignalField field = o.scenario ? SignalField(*o.scenario) : SignalField();
    if (!o.scenarioFrom.empty()) {
        field.holdTransmissions();
    }
    return field;
}

speed_t speedFor(int baud) {
    switch (baud) {
        case 4800:
            return B4800;
        case 19200:
            return B19200;
        default:
            return B9600;
    }
}

void setError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text + ": " + std::strerror(errno);
    }
}

}  // namespace

PtySimulator::PtySimulator(PtyOptions options)
    : m_options(std::move(options)),
      m_receiver(receiverOptions(m_options), sampleState(), signalsFor(m_options)) {
    m_output.setFaults(m_options.faults);
    m_output.setPacing(m_options.pace, m_options.baudRate);
}

PtySimulator::~PtySimulator() {
    stop();
}

bool PtySimulator::start(std::string* error) {
    if (running()) {
        return true;
    }
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0) {
        setError(error, "posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name, sizeof name) != 0) {
        setError(error, "pseudo-terminal set-up");
        closeAll();
        return false;
    }
    m_devicePath = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slave < 0) {
        setError(error, "open " + m_devicePath);
        closeAll();
        return false;
    }
    termios tio{};
    if (tcgetattr(m_slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, speedFor(m_options.baudRate));
        cfsetospeed(&tio, speedFor(m_options.baudRate));
        tcsetattr(m_slave, TCSANOW, &tio);
    }
    if (pipe(m_wakePipe) != 0) {
        setError(error, "pipe");
        closeAll();
        return false;
    }
    for (int fd : m_wakePipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    if (!m_options.linkPath.empty()) {
        struct stat st {};
        if (lstat(m_options.linkPath.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                errno = EEXIST;
                setError(error, m_options.linkPath + " exists and is not a symbolic link");
                closeAll();
                return false;
            }
            unlink(m_options.linkPath.c_str());
        }
        if (symlink(m_devicePath.c_str(), m_options.linkPath.c_str()) != 0) {
            setError(error, "symlink " + m_options.linkPath);
            closeAll();
            return false;
        }
        m_linkMade = true;
    }
    m_startNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                    std::chrono::steady_clock::now().time_since_epoch())
                    .count();
    m_advancedTo = 0;
    m_stopping = false;
    m_thread = std::thread(&PtySimulator::run, this);
    return true;
}

void PtySimulator::stop() {
    if (m_thread.joinable()) {
        m_stopping = true;
        wake();
        m_thread.join();
    }
    closeAll();
}

void PtySimulator::closeAll() {
    if (m_linkMade) {
        char target[256];
        const ssize_t n = readlink(m_options.linkPath.c_str(), target, sizeof target - 1);
        if (n >= 0 && std::string(target, static_cast<size_t>(n)) == m_devicePath) {
            unlink(m_options.linkPath.c_str());
        }
        m_linkMade = false;
    }
    for (int* fd : {&m_master, &m_slave, &m_wakePipe[0], &m_wakePipe[1]}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
}

std::vector<ReceivedCommand> PtySimulator::received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

void PtySimulator::clearReceived() {
    std::lock_guard lock(m_mutex);
    m_received.clear();
}

void PtySimulator::setFaults(const Faults& faults) {
    {
        std::lock_guard lock(m_mutex);
        m_output.setFaults(faults);
        m_receiver.setStayOffAfterPowerOff(faults.stayOffAfterPowerOff);
    }
    wake();
}

Faults PtySimulator::faults() const {
    std::lock_guard lock(m_mutex);
    return m_output.faults();
}

void PtySimulator::withReceiver(const std::function<void(Ar8600&)>& fn) {
    {
        std::lock_guard lock(m_mutex);
        fn(m_receiver);
    }
    wake();
}

void PtySimulator::inject(std::string bytes) {
    {
        std::lock_guard lock(m_mutex);
        m_output.addReport(std::move(bytes), elapsedMs());
    }
    wake();
}

int64_t PtySimulator::elapsedMs() const {
    const int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    return (ns - m_startNs) / 1'000'000;
}

void PtySimulator::wake() {
    if (m_wakePipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = write(m_wakePipe[1], &byte, 1);
    }
}

void PtySimulator::handleInput(const char* data, size_t size, int64_t now,
                               std::vector<ReceivedCommand>& fresh) {
    std::string bytes;
    bytes.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == kXoff) {
            m_xoff = true;
        } else if (data[i] == kXon) {
            m_xoff = false;
        } else {
            bytes += data[i];
        }
    }
    std::lock_guard lock(m_mutex);
    advanceReceiver(now);
    for (std::string& command : m_splitter.push(bytes)) {
        if (!m_options.scenarioFrom.empty() && command.rfind(m_options.scenarioFrom, 0) == 0) {
            m_receiver.startTransmissions();
        }
        m_received.push_back({now, command});
        fresh.push_back(m_received.back());
        m_output.addReply(command,
                          m_output.refuses(command) ? kRefused : m_receiver.execute(command), now);
    }
}

void PtySimulator::advanceReceiver(int64_t now) {
    // While much output waits (the program does not read, or flow control
    // holds us), the receiver's time stands still instead of piling up
    // reports it would have to replay later.
    const bool room = m_output.backlog() < kMaxBacklog;
    if (room) {
        m_output.addReport(m_receiver.advance(now - m_advancedTo), now);
    }
    flood(now, room);
    m_advancedTo = now;
}

void PtySimulator::flood(int64_t now, bool room) {
    const int rate = m_output.faults().floodLevelsPerSecond;
    if (rate <= 0) {
        m_nextFloodMs = -1;
        return;
    }
    const auto at = static_cast<double>(now);
    // A start, or a stall longer than a second, begins the count afresh
    // instead of sending the missed reports in one burst.
    if (m_nextFloodMs < 0 || at - m_nextFloodMs > 1000) {
        m_nextFloodMs = at;
    }
    while (m_nextFloodMs <= at) {
        if (room) {
            char line[24];
            std::snprintf(line, sizeof line, "LC%%%03d V1\r\n", m_floodCount % 256);
            m_output.addReport(line, now);
            ++m_floodCount;
        }
        m_nextFloodMs += 1000.0 / rate;
    }
}

void PtySimulator::writeOutput(int64_t now) {
    if (m_xoff) {
        return;
    }
    std::lock_guard lock(m_mutex);
    for (;;) {
        const std::string_view bytes = m_output.writable(now);
        if (bytes.empty()) {
            return;
        }
        const ssize_t n = write(m_master, bytes.data(), bytes.size());
        m_writeBlocked = n <= 0;
        if (m_writeBlocked) {
            return;  // the program's input is full: poll for room
        }
        m_output.consumed(static_cast<size_t>(n));
    }
}

int PtySimulator::pollTimeoutMs(int64_t now) {
    std::lock_guard lock(m_mutex);
    const int64_t due = m_output.nextDue();
    if (due < 0 || m_xoff || m_writeBlocked) {
        return kIdlePollMs;  // XON, room in the pty or input will wake the poll
    }
    if (due <= now) {
        return 1;  // pacing: the next characters are due soon
    }
    return static_cast<int>(std::min<int64_t>(due - now, kIdlePollMs));
}

void PtySimulator::run() {
    char buffer[1024];
    while (!m_stopping) {
        int64_t now = elapsedMs();
        {
            std::lock_guard lock(m_mutex);
            advanceReceiver(now);
        }
        writeOutput(now);

        const short events = static_cast<short>(POLLIN | (m_writeBlocked ? POLLOUT : 0));
        pollfd fds[2] = {{m_master, events, 0}, {m_wakePipe[0], POLLIN, 0}};
        const int ready = poll(fds, 2, pollTimeoutMs(now));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (fds[1].revents & POLLIN) {
            while (read(m_wakePipe[0], buffer, sizeof buffer) > 0) {
            }
        }
        std::vector<ReceivedCommand> fresh;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                now = elapsedMs();
                handleInput(buffer, static_cast<size_t>(n), now, fresh);
            }
        }
        if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Nobody else has the slave open; our own fd prevents this, so
            // only a vanished pty gets here. Do not spin.
            usleep(10'000);
        }
        writeOutput(elapsedMs());
        if (m_options.onCommand) {
            for (const ReceivedCommand& c : fresh) {
                m_options.onCommand(c);
            }
        }
    }
}

}  // namespace korvex::sim
