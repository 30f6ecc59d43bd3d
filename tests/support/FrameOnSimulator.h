#pragma once

// The real main window in the test's own process, on the simulator tool's
// pseudo-terminal: a temporary folder for the wire log and the settings, the
// simulator, the frame, and waiting with Qt's events handled.

#include <QSize>
#include <QString>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/PumpUntil.h"
#include "tests/support/Simulator.h"
#include "tests/support/TempDir.h"
#include "ui/MainFrame.h"

namespace korvex::test {

class FrameOnSimulator {
public:
    // In a temporary folder of its own, named after `prefix`.
    explicit FrameOnSimulator(const std::string& prefix = "korvex-frame")
        : m_temp(std::make_unique<TempDir>(prefix)), dir(m_temp->path()) {}
    // In a folder the test owns (one with its tables and their settings).
    struct InFolder {
        std::string path;
    };
    explicit FrameOnSimulator(InFolder folder) : dir(std::move(folder.path)) {}
    FrameOnSimulator(const FrameOnSimulator&) = delete;
    FrameOnSimulator& operator=(const FrameOnSimulator&) = delete;
    ~FrameOnSimulator() { stop(); }

    // Starts the simulator with further options (--scenario FILE, --pace ...).
    bool startSimulator(const std::vector<std::string>& args = {}) {
        return !dir.empty() && sim.start(dir, args);
    }
    // The frame on the simulator's line with its settings in the folder, not
    // yet started, for a test to set up before it runs. `size` when given.
    CMainFrame& makeFrame(QSize size = {}) {
        FrameOptions options;
        options.portDevice = QString::fromStdString(sim.device());
        options.configDir = QString::fromStdString(dir);
        frame = std::make_unique<CMainFrame>(options);
        if (size.isValid()) {
            frame->resize(size);
        }
        return *frame;
    }
    // Shows and starts the frame, then waits until its first read-out of the
    // receiver has ended ("LB" answered, nothing queued). False when it
    // did not poll or the read-out did not end in time.
    bool startFrame(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        if (!frame) {
            makeFrame();
        }
        frame->show();
        frame->start();
        return frame->isPolling() && sim.waitUntil([&] { return sim.sent("LB") && idle(); }, limit);
    }
    // Both at once, the common start of a test.
    bool start(const std::vector<std::string>& simArgs = {}, QSize size = {}) {
        if (!startSimulator(simArgs)) {
            return false;
        }
        makeFrame(size);
        return startFrame();
    }
    // The frame closes without writing its settings; then the simulator ends.
    void stop() {
        if (frame) {
            frame->settings().saveOnExit = false;
            frame.reset();
        }
        sim.stop();
    }

    // Nothing queued and no reply awaited.
    bool idle() const {
        return frame->pollFields().commandQueue.empty() &&
               frame->receiver().linkState == LinkState::Idle;
    }
    bool pump(const std::function<bool()>& done,
              std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        return sim.waitUntil(done, limit);
    }

private:
    std::unique_ptr<TempDir> m_temp;

public:
    std::string dir;
    Simulator sim{[](const std::function<bool()>& done, std::chrono::milliseconds limit) {
        return pumpUntil(done, static_cast<int>(limit.count()));
    }};
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace korvex::test
