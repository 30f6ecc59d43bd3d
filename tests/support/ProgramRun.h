#pragma once

// One run of the real program as a child process: its own HOME, settings and
// runtime folders, the X display it is given and the simulator's pseudo-
// terminal. Its environment is built here, nothing of the caller's but the
// sanitizers' options, so a developer's settings or desktop never change what
// a test sees.

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/Process.h"

namespace korvex::test {

// HOME, the XDG settings folder and a private runtime folder under `dir`.
struct ProgramFolders {
    std::string home, config, runtime;

    explicit ProgramFolders(const std::string& dir)
        : home(dir + "/home"), config(dir + "/home/config"), runtime(dir + "/runtime") {
        std::filesystem::create_directories(config);
        std::filesystem::create_directories(runtime);
        chmod(runtime.c_str(), 0700);
    }
    std::vector<std::string> environment() const {
        return {"HOME=" + home, "XDG_CONFIG_HOME=" + config, "XDG_RUNTIME_DIR=" + runtime};
    }
};

// The environment of a program run on `display` (none: the offscreen
// platform): the folders, ALSA's null devices for the sound library (no sound card under
// test), no session bus, and the sanitizers' options of the caller.
inline std::vector<std::string> programEnvironment(const ProgramFolders& folders,
                                                   const std::string& display) {
    std::vector<std::string> env = folders.environment();
    if (display.empty()) {
        env.push_back("QT_QPA_PLATFORM=offscreen");
    } else {
        env.insert(env.end(), {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb"});
    }
    env.insert(env.end(), {"PATH=/usr/bin:/bin", "LANG=C.UTF-8", "MRQSND_CAPTURE_DEVICE=null",
                           "MRQSND_PLAYBACK_DEVICE=null",
                           "DBUS_SESSION_BUS_ADDRESS=unix:path=" + folders.runtime + "/no-bus"});
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            env.push_back(std::string(name) + "=" + value);
        }
    }
#ifdef LSAN_SUPPRESSIONS
    // Libraries the X11 platform plugin loads keep allocations for the
    // life of the process.
    env.push_back(std::string("LSAN_OPTIONS=suppressions=") + LSAN_SUPPRESSIONS);
#endif
    return env;
}

// The environment of a run that must need no window system: as above with
// no display, and `platform` (when given) as Qt's platform plugin.
inline std::vector<std::string> windowlessEnvironment(const ProgramFolders& folders,
                                                      const std::string& platform = {}) {
    std::vector<std::string> env;
    for (std::string& e : programEnvironment(folders, "")) {
        if (e.rfind("QT_QPA_PLATFORM=", 0) != 0) {
            env.push_back(std::move(e));
        }
    }
    if (!platform.empty()) {
        env.push_back("QT_QPA_PLATFORM=" + platform);
    }
    return env;
}

#ifdef KORVEX_PATH
// The program on `device` with its settings file in `dir` (Korv.ini, written
// beforehand by a test that wants other settings).
class KorvexProgram {
public:
    // `name` names its output file: a second run beside the first needs its own.
    explicit KorvexProgram(std::string name = "korvex") : m_name(std::move(name)) {}

    // `extraArgs` follow the usual ones; `extraEnv` adds to the environment.
    bool start(const std::string& dir, const std::string& device, const std::string& display,
               const std::vector<std::string>& extraArgs = {},
               const std::vector<std::string>& extraEnv = {}) {
        std::vector<std::string> args = {"--port", device};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        return startWith(dir, display, args, extraEnv);
    }
    // With no receiver line of its own: `args` say what instead (--simulate).
    bool startWith(const std::string& dir, const std::string& display,
                   const std::vector<std::string>& args,
                   const std::vector<std::string>& extraEnv = {}) {
        m_dir = dir;
        ProgramFolders folders(dir);
        std::vector<std::string> env = programEnvironment(folders, display);
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<std::string> argv = {KORVEX_PATH, "--no-splash", "--config-dir", dir};
        argv.insert(argv.end(), args.begin(), args.end());
        return m_process.startWithEnvironment(argv, env, outputPath());
    }
    // Ends it as a window manager's close or a logout would: the exit status.
    int terminate(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        m_process.kill(SIGTERM);
        return m_process.wait(limit);
    }
    int wait(std::chrono::milliseconds limit) { return m_process.wait(limit); }
    void kill() { m_process.kill(SIGKILL); }
    // Sends it `signal`.
    void signal(int signal) { m_process.kill(signal); }
    // Stops it and waits until it stands still; false when it has ended.
    // resume() lets it go on.
    bool hold() { return m_process.hold(); }
    void resume() { m_process.kill(SIGCONT); }

    std::string outputPath() const { return m_dir + "/" + m_name + ".out"; }
    // What it wrote to stdout and stderr, for a failure message.
    std::string output() const { return readFile(outputPath()); }

private:
    std::string m_name;
    Process m_process;
    std::string m_dir;
};
#endif

}  // namespace korvex::test
