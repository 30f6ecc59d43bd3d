#pragma once

// A test of the real program under an X server, driven by xdotool. The
// including test target defines XDOTOOL_PATH.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Process.h"

namespace korvex::test {

class XvfbProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        }
        char tmpl[] = "/tmp/korvex-xvfb-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        korvex.kill(SIGKILL);
        sim.kill(SIGTERM);
        sim.wait(std::chrono::seconds(2));
        if (!dir.empty()) {
            std::filesystem::remove_all(dir);
        }
    }

    // Runs a helper program to its end: its output, or nothing when it failed.
    std::optional<std::string> run(const std::vector<std::string>& args) {
        Process p;
        const std::string out = dir + "/run.out";
        if (!p.start(args, {}, out) || p.wait(std::chrono::seconds(20)) != 0) {
            return std::nullopt;
        }
        return readFile(out);
    }
    // Presses keys in the focused window and gives the program time to act.
    void key(const std::string& keys,
             std::chrono::milliseconds pause = std::chrono::milliseconds(300)) {
        EXPECT_TRUE(run({XDOTOOL_PATH, "key", "--clearmodifiers", keys})) << keys;
        std::this_thread::sleep_for(pause);
    }

    // Waits for the program's main window and gives it the keyboard focus;
    // no window manager runs under Xvfb, so the focus is given directly
    // (again after a dialog has closed). False when no window came.
    bool focusProgramWindow() {
        if (m_window.empty()) {
            waitFor(
                [&] {
                    m_window =
                        run({XDOTOOL_PATH, "search", "--onlyvisible", "--name", "Korvex v1.41"})
                            .value_or("");
                    return !m_window.empty();
                },
                std::chrono::seconds(10));
            m_window = m_window.substr(0, m_window.find('\n'));
        }
        if (m_window.empty()) {
            return false;
        }
        run({XDOTOOL_PATH, "windowfocus", "--sync", m_window});
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return true;
    }

    std::string dir;
    Process sim;
    Process korvex;

private:
    std::string m_window;
};

}  // namespace korvex::test
