#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace korvex::test {

// A child process started with posix_spawn, stdout captured to a file.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { kill(SIGKILL); }

    // The child gets this process's environment without the names in
    // `unset`, plus `extraEnv` ("NAME=value" each).
    bool start(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
               const std::string& stdoutPath, const std::vector<std::string>& unset = {}) {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            if (std::find(unset.begin(), unset.end(), name) == unset.end()) {
                env.push_back(entry);
            }
        }
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        return startWithEnvironment(args, env, stdoutPath);
    }

    // The child gets exactly `env` ("NAME=value" each), nothing of the caller's.
    // Its standard error goes with its standard output unless `stderrPath`
    // names a file of its own.
    bool startWithEnvironment(const std::vector<std::string>& args, std::vector<std::string> env,
                              const std::string& stdoutPath, const std::string& stderrPath = {}) {
        m_exited = false;
        m_status = -1;
        std::vector<char*> argv;
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (stderrPath.empty()) {
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        const int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0;
    }

    void kill(int signal) {
        if (m_pid > 0 && !m_exited) {
            ::kill(m_pid, signal);
            if (signal == SIGKILL) {
                wait(std::chrono::seconds(5));
            }
        }
    }

    // Stops it (SIGSTOP) and returns once it has stopped: from then on it does
    // nothing until SIGCONT. False when it has ended instead.
    bool hold() {
        if (m_pid <= 0 || m_exited) {
            return false;
        }
        ::kill(m_pid, SIGSTOP);
        int status = 0;
        if (waitpid(m_pid, &status, WUNTRACED) != m_pid) {
            return false;
        }
        if (WIFSTOPPED(status)) {
            return true;
        }
        m_exited = true;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }

    // The exit status, or -1 when it did not end in time (or was signalled).
    int wait(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (m_pid > 0 && !m_exited) {
            int status = 0;
            const pid_t r = waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                m_exited = true;
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (std::chrono::steady_clock::now() > end) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return m_status;
    }

private:
    pid_t m_pid = -1;
    bool m_exited = false;
    int m_status = -1;
};

// Polls a condition until it holds or the time is up; the last look decides.
inline bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace korvex::test
