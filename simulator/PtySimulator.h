#pragma once

// The simulated AR8600 on a pseudo-terminal: the program under test opens
// the slave side (/dev/pts/N) as its serial port and uses its real serial
// code. A thread feeds what the program writes to the receiver core and
// writes the replies back, letting simulated time follow the steady clock.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "simulator/Ar8600.h"
#include "simulator/CommandSplitter.h"
#include "simulator/Faults.h"
#include "simulator/OutputQueue.h"
#include "simulator/Scenario.h"

namespace korvex::sim {

struct ReceivedCommand {
    int64_t ms = 0;    // since start()
    std::string text;  // without its CR
};

struct PtyOptions {
    int baudRate = 9600;
    bool pace = false;       // write no faster than the baud rate carries
    std::string linkPath;    // when set, a symbolic link to the device is made here
    Ar8600Options receiver;  // its baud rate is taken from baudRate
    Faults faults;
    // Called on the simulator's thread for every command, after it was recorded.
    std::function<void(const ReceivedCommand&)> onCommand;
    // The band; without one, defaultScenario(). Its times count from start(),
    // or, when scenarioFrom is set, its transmissions count from the first
    // command that begins with that word (silent until then).
    std::optional<Scenario> scenario;
    std::string scenarioFrom;
};

class PtySimulator {
public:
    explicit PtySimulator(PtyOptions options = {});
    ~PtySimulator();
    PtySimulator(const PtySimulator&) = delete;
    PtySimulator& operator=(const PtySimulator&) = delete;

    // Opens the pseudo-terminal and starts the thread.
    bool start(std::string* error);
    void stop();
    bool running() const { return m_thread.joinable(); }

    std::string devicePath() const { return m_devicePath; }
    std::vector<ReceivedCommand> received() const;
    void clearReceived();

    void setFaults(const Faults& faults);
    Faults faults() const;
    // Runs `fn` on the receiver core with the simulator's lock held.
    void withReceiver(const std::function<void(Ar8600&)>& fn);
    // Sends bytes as if the receiver had produced them.
    void inject(std::string bytes);

private:
    void run();
    int64_t elapsedMs() const;
    void handleInput(const char* data, size_t size, int64_t now,
                     std::vector<ReceivedCommand>& fresh);
    void advanceReceiver(int64_t now);   // with the lock held
    void flood(int64_t now, bool room);  // with the lock held
    void writeOutput(int64_t now);
    int pollTimeoutMs(int64_t now);
    void wake();
    void closeAll();

    PtyOptions m_options;
    Ar8600 m_receiver;
    OutputQueue m_output;
    CommandSplitter m_splitter;
    std::vector<ReceivedCommand> m_received;
    mutable std::mutex m_mutex;  // guards the receiver, the output and the record

    int m_master = -1;
    int m_slave = -1;  // kept open, so the program closing the port never hangs the master up
    int m_wakePipe[2] = {-1, -1};
    std::string m_devicePath;
    bool m_linkMade = false;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    bool m_xoff = false;          // the program's side asked us to stop sending
    bool m_writeBlocked = false;  // the pty took no more bytes
    int64_t m_startNs = 0;
    int64_t m_advancedTo = 0;
    double m_nextFloodMs = -1;  // when the flood fault's next report is due
    int m_floodCount = 0;
};

}  // namespace korvex::sim
