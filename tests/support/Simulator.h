#pragma once

// The simulator tool on a pseudo-terminal of its own, with its wire log: every
// command the program sent, in order, is a line "<ms>\t<command>".

#include <signal.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Process.h"

namespace korvex::test {

class Simulator {
public:
    // How a test waits: polling alone (the default), or with Qt's events
    // handled between the looks (pumpUntil) when the program runs in-process.
    using Wait = std::function<bool(const std::function<bool()>&, std::chrono::milliseconds)>;

    explicit Simulator(Wait wait = waitFor) : m_wait(std::move(wait)) {}
    ~Simulator() { stop(); }

    // Starts ar8600-sim with its log and output in `dir`; `extraArgs` are
    // further options (--scenario FILE, --pace, ...). False when it did not
    // name its pseudo-terminal in time.
    bool start(const std::string& dir, const std::vector<std::string>& extraArgs = {}) {
        m_dir = dir;
        std::vector<std::string> args = {AR8600_SIM_PATH, "--log", logPath()};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        // Nothing of the caller's environment reaches it.
        if (!m_process.startWithEnvironment(args, {"PATH=/usr/bin:/bin", "LANG=C.UTF-8"},
                                            m_dir + "/sim.out")) {
            return false;
        }
        if (!m_wait([&] { return readFile(m_dir + "/sim.out").find('\n') != std::string::npos; },
                    std::chrono::seconds(5))) {
            return false;
        }
        const std::string out = readFile(m_dir + "/sim.out");
        m_device = out.substr(0, out.find('\n'));
        return true;
    }
    // Ends it with SIGTERM: its exit status, -1 when it had to be killed.
    int stop() {
        m_process.kill(SIGTERM);
        const int status = m_process.wait(std::chrono::seconds(2));
        m_process.kill(SIGKILL);
        return status;
    }
    // Gone at once, as a line whose USB adapter is pulled.
    void kill() { m_process.kill(SIGKILL); }
    // Silent until resume(): the tool is stopped, so what the program writes
    // meanwhile waits in the line and is answered (and logged) on resume().
    void pause() { m_process.kill(SIGSTOP); }
    void resume() { m_process.kill(SIGCONT); }

    const std::string& device() const { return m_device; }
    std::string logPath() const { return m_dir + "/sim.log"; }
    // The whole log, for a failure message.
    std::string log() const { return readFile(logPath()); }

    // A command received and when: milliseconds since the simulator started.
    struct Timed {
        long ms;
        std::string text;
    };
    // The commands received with their times, in order.
    std::vector<Timed> timedWire() const {
        std::vector<Timed> commands;
        std::istringstream in(log());
        std::string line;
        while (std::getline(in, line)) {
            if (const auto tab = line.find('\t'); tab != std::string::npos) {
                commands.push_back({std::atol(line.c_str()), line.substr(tab + 1)});
            }
        }
        return commands;
    }
    // The commands received, in order.
    std::vector<std::string> wire() const {
        std::vector<std::string> texts;
        for (Timed& c : timedWire()) {
            texts.push_back(std::move(c.text));
        }
        return texts;
    }
    // A position in the wire: what comes after it is what a step sent.
    std::size_t mark() const { return wire().size(); }
    std::vector<std::string> since(std::size_t from) const {
        const auto all = wire();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
    }

    // `command` was received after `from`.
    bool sent(const std::string& command, std::size_t from = 0) const {
        const auto after = since(from);
        return std::find(after.begin(), after.end(), command) != after.end();
    }
    // The words were received after `from` in this order, others between them allowed.
    bool sentInOrder(std::size_t from, const std::vector<std::string>& words) const {
        const auto after = since(from);
        auto it = after.begin();
        for (const std::string& word : words) {
            it = std::find(it, after.end(), word);
            if (it == after.end()) {
                return false;
            }
            ++it;
        }
        return true;
    }
    // What was received right after `from` begins with `expected`.
    bool sentNext(std::size_t from, const std::vector<std::string>& expected) const {
        const auto after = since(from);
        return after.size() >= expected.size() &&
               std::equal(expected.begin(), expected.end(), after.begin());
    }
    // `expected` was received as one run somewhere after `from`.
    bool sentRun(std::size_t from, const std::vector<std::string>& expected) const {
        const auto after = since(from);
        return std::search(after.begin(), after.end(), expected.begin(), expected.end()) !=
               after.end();
    }

    // Waiting for those on the wire.
    bool waitUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        return m_wait(done, limit);
    }
    bool waitSent(const std::string& command, std::size_t from = 0,
                  std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        return waitUntil([&] { return sent(command, from); }, limit);
    }
    bool waitInOrder(std::size_t from, const std::vector<std::string>& words,
                     std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        return waitUntil([&] { return sentInOrder(from, words); }, limit);
    }
    bool waitNext(std::size_t from, const std::vector<std::string>& expected,
                  std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        return waitUntil([&] { return sentNext(from, expected); }, limit);
    }
    bool waitRun(std::size_t from, const std::vector<std::string>& expected,
                 std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        return waitUntil([&] { return sentRun(from, expected); }, limit);
    }

private:
    Wait m_wait;
    Process m_process;
    std::string m_dir;
    std::string m_device;
};

// Joins lists of commands, for an expected wire.
inline std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

}  // namespace korvex::test
