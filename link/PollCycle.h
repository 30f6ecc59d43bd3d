#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "link/LinkHost.h"
#include "link/PollFields.h"
#include "model/Receiver.h"

namespace korvex {

class SerialPort;
class Trace;

// The wire rules in one place: the 100 ms poll tick with its time-outs,
// retries and errors, the one-command send step, and the hand-over of
// received bytes to the line builder. Driven from outside: the window's
// timer calls tick(), the port's input goes to receive().
class PollCycle {
public:
    using LineBuilder = std::function<void(std::string_view)>;
    using RecordingProbe = std::function<bool()>;
    // Told when the outstanding command is finished: answered (the link
    // left WAIT on a reply) or not (the error that empties the queue).
    using CommandObserver = std::function<void(const std::string& command, bool answered)>;

    static constexpr int kTicksPerTimeout = 10;  // 1 s at 100 ms
    static constexpr int kMaxTimeouts = 4;       // the fifth time-out is an error
    static constexpr int kDeferredRefreshTicks = 30;
    // Ticks in a row that lines nobody asked for may hold the queue back.
    static constexpr int kMaxUnaskedDataTicks = 10;

    PollCycle(CReceiver& rx, PollFields& fields, LinkHost& host);

    void setPort(SerialPort* port) { m_port = port; }
    void setTrace(Trace* trace) { m_trace = trace; }
    void setLineBuilder(LineBuilder builder) { m_lineBuilder = std::move(builder); }
    void setRecordingProbe(RecordingProbe probe) { m_isRecording = std::move(probe); }
    void setCommandObserver(CommandObserver observer) { m_observer = std::move(observer); }

    // Appends the initial read-out of the receiver to the queue.
    void queueInitialReadout();
    // One poll tick.
    void tick();
    // Cuts the first command off the queue and writes it when the link is
    // free; a command that cannot be written is lost.
    bool sendNext();
    // Received bytes, in whatever pieces the port delivers them.
    void receive(std::string_view bytes);
    // Reads the receiver's status back 3 s after the last call.
    void requestDeferredRefresh();
    // Replaces the queue with the last command ("QP" or "EX") and writes it
    // at once, unless the receiver has already been switched off.
    void sendFinalCommand(bool powerOff);

    // Counts the blink and sets the "LOG" and "REC" texts; every tick does
    // this, and the window does it while no port is polled.
    void updateIndicators();

private:
    void tickWait();
    void tickError();
    void tickIdle();

    CReceiver& m_rx;
    PollFields& m_fields;
    LinkHost& m_host;
    SerialPort* m_port = nullptr;
    Trace* m_trace = nullptr;
    LineBuilder m_lineBuilder;
    RecordingProbe m_isRecording;
    CommandObserver m_observer;
};

}  // namespace korvex
