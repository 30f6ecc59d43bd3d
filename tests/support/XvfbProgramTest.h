#pragma once

// A test of the real program under a private X server against the simulator
// tool, driven by keys from xdotool; the test program is registered with
// korvex_test(... KIND XVFB), which defines the tools' paths. Everything of
// one test case lives in a temporary folder of its own: the simulator's
// wire log, the program's settings, HOME and runtime folder.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/Simulator.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbDisplay.h"

namespace korvex::test {

class XvfbProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp.path().empty());
        dir = temp.path();
        ASSERT_TRUE(display.start(dir + "/xvfb.out", screenSize())) << readFile(dir + "/xvfb.out");
    }
    void TearDown() override {
        korvex.kill();
        sim.stop();
        display.stop();
    }

    // The screen, WIDTHxHEIGHTxDEPTH.
    virtual std::string screenSize() const { return "1400x900x24"; }

    // Starts the simulator (with `simArgs`) and the program on it, waits for
    // the program's first read-out of the receiver to end ("LB") and gives
    // its window the keyboard. Call it under ASSERT_NO_FATAL_FAILURE.
    void startProgram(const std::vector<std::string>& simArgs = {},
                      const std::vector<std::string>& extraEnv = {}) {
        ASSERT_TRUE(sim.start(dir, simArgs));
        ASSERT_TRUE(korvex.start(dir, sim.device(), display.name(), {}, extraEnv));
        ASSERT_TRUE(sim.waitSent("LB", 0, std::chrono::seconds(30))) << korvex.output();
        ASSERT_TRUE(focusProgramWindow()) << korvex.output();
    }

    // Runs a helper program on this display to its end: its output, or
    // nothing when it failed.
    std::optional<std::string> run(const std::vector<std::string>& args) {
        Process p;
        const std::string out = dir + "/run.out";
        if (!p.startWithEnvironment(args, {"PATH=/usr/bin:/bin", "DISPLAY=" + display.name()},
                                    out) ||
            p.wait(std::chrono::seconds(20)) != 0) {
            return std::nullopt;
        }
        return readFile(out);
    }
    // Presses keys in the focused window. The X server keeps them in order
    // and Qt hands a key to an open menu itself; the short default pause
    // lets the program take in one key before the next (a menu opening, the
    // focus moving). A test that must see what a key did waits for that (on
    // the wire, for a window, for pixels); `pause` is for the few steps that
    // have nothing of the kind to wait for.
    void key(const std::string& keys,
             std::chrono::milliseconds pause = std::chrono::milliseconds(100)) {
        EXPECT_TRUE(run({XDOTOOL_PATH, "key", "--clearmodifiers", keys})) << keys;
        std::this_thread::sleep_for(pause);
    }
    // Types text key by key.
    void type(const std::string& text, int msPerKey = 80) {
        EXPECT_TRUE(run({XDOTOOL_PATH, "type", "--delay", std::to_string(msPerKey), text})) << text;
    }
    // The whole screen into the build folder, to look at after the run.
    void screenshot(const std::string& name) {
        run({IMPORT_PATH, "-window", "root", std::string(SCREENSHOT_DIR) + "/" + name});
    }
    // How many pixels of the screen have this colour now.
    std::size_t pixelsOf(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        const std::string path = dir + "/screen.ppm";
        if (!run({IMPORT_PATH, "-window", "root", "-depth", "8", "ppm:" + path})) {
            return 0;
        }
        // P6: the magic, width, height and maximum, then three bytes a pixel.
        const std::string data = readFile(path);
        std::istringstream header(data);
        std::string magic;
        int width = 0, height = 0, maximum = 0;
        header >> magic >> width >> height >> maximum;
        const auto start = static_cast<std::size_t>(header.tellg()) + 1;
        if (magic != "P6" || maximum != 255 ||
            data.size() < start + 3 * static_cast<std::size_t>(width) * height) {
            return 0;
        }
        std::size_t count = 0;
        for (std::size_t i = start; i + 2 < data.size(); i += 3) {
            count += static_cast<std::uint8_t>(data[i]) == r &&
                     static_cast<std::uint8_t>(data[i + 1]) == g &&
                     static_cast<std::uint8_t>(data[i + 2]) == b;
        }
        return count;
    }
    // Waits until the screen shows at least `count` pixels of this colour:
    // something the program draws has been drawn.
    bool waitForPixels(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::size_t count,
                       std::chrono::milliseconds limit = std::chrono::seconds(15)) {
        return waitFor([&] { return pixelsOf(r, g, b) >= count; }, limit);
    }

    // Waits for the program's main window and gives it the keyboard focus;
    // no window manager runs under Xvfb, so the focus is given directly
    // (again after a dialog has closed). False when no window came.
    bool focusProgramWindow() {
        if (m_window.empty()) {
            m_window = waitForWindow("Korvex v1.41");
        }
        return !m_window.empty() && focus(m_window);
    }
    // Waits for a window of the program by its title and gives it the keyboard.
    bool focusWindow(const std::string& title) {
        const std::string id = waitForWindow(title);
        return !id.empty() && focus(id);
    }
    // Waits for a visible window whose title matches `title` (a regular
    // expression): its id, or empty when none came in time.
    std::string waitForWindow(const std::string& title,
                              std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::string id;
        waitFor(
            [&] {
                id = run({XDOTOOL_PATH, "search", "--onlyvisible", "--name", title}).value_or("");
                return !id.empty();
            },
            limit);
        return id.substr(0, id.find('\n'));
    }
    // Waits until no visible window matches `title`: a dialog has closed
    // and its modality no longer holds the keys back from the main window.
    bool waitWindowGone(const std::string& title,
                        std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return waitFor(
            [&] {
                return run({XDOTOOL_PATH, "search", "--onlyvisible", "--name", title})
                    .value_or("")
                    .empty();
            },
            limit);
    }

    TempDir temp{"korvex-xvfb"};
    std::string dir;
    XvfbDisplay display;
    Simulator sim;
    KorvexProgram korvex;

private:
    // Gives the window the keyboard and waits until the server says it has
    // it; then a moment for the program to take in the focus, since it
    // sends keys to the window it believes focused.
    bool focus(const std::string& id) {
        run({XDOTOOL_PATH, "windowfocus", "--sync", id});
        const bool focused = waitFor(
            [&] {
                const std::string now = run({XDOTOOL_PATH, "getwindowfocus"}).value_or("");
                return now.substr(0, now.find('\n')) == id;
            },
            std::chrono::seconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return focused;
    }

    std::string m_window;
};

}  // namespace korvex::test
