#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "link/LinkHost.h"
#include "link/PollFields.h"
#include "model/Receiver.h"

namespace korvex {

class SerialPort;
class Trace;

// When the next command leaves: on the 100 ms tick, one tick after a set's
// acknowledgement and two after a query's answer; or as soon as the reply
// to the outstanding command is complete, after a short gap.
enum class Pacing { Tick, Reply };

// The wire rules in one place: the 100 ms poll tick with its time-outs,
// retries and errors, the one-command send step, and the hand-over of
// received bytes to the line builder. Driven from outside: the window's
// timer calls tick(), the port's input goes to receive(). With reply
// pacing a one-shot timer (the scheduler) calls sendIfDue() as well.
class PollCycle {
public:
    using LineBuilder = std::function<void(std::string_view)>;
    // Monotonic milliseconds.
    using Clock = std::function<std::int64_t()>;
    // Asks for one call of sendIfDue() after the given milliseconds; a
    // later request replaces an earlier one.
    using SendScheduler = std::function<void(int delayMs)>;
    using RecordingProbe = std::function<bool()>;
    // Told when the outstanding command is finished: answered (the link
    // left WAIT on a reply) or not (the error that empties the queue).
    using CommandObserver = std::function<void(const std::string& command, bool answered)>;

    static constexpr int kTicksPerTimeout = 10;  // 1 s at 100 ms
    static constexpr int kMaxTimeouts = 4;       // the fifth time-out is an error
    static constexpr int kDeferredRefreshTicks = 30;
    // Ticks in a row that lines nobody asked for may hold the queue back.
    static constexpr int kMaxUnaskedDataTicks = 10;
    static constexpr int kDefaultGapMs = 20;
    static constexpr int kMaxGapMs = 1000;

    PollCycle(CReceiver& rx, PollFields& fields, LinkHost& host);

    void setPort(SerialPort* port) { m_port = port; }
    void setTrace(Trace* trace) { m_trace = trace; }
    void setLineBuilder(LineBuilder builder) { m_lineBuilder = std::move(builder); }
    void setRecordingProbe(RecordingProbe probe) { m_isRecording = std::move(probe); }
    void setCommandObserver(CommandObserver observer) { m_observer = std::move(observer); }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setSendScheduler(SendScheduler scheduler) { m_scheduler = std::move(scheduler); }

    // Tick pacing is the default. The gap (0..1000 ms) lies between a
    // complete reply and the next command under reply pacing.
    void setPacing(Pacing pacing, int gapMs = kDefaultGapMs);
    Pacing pacing() const { return m_pacing; }
    int gapMs() const { return m_gapMs; }
    // The line starts over (a reopened port): no reply is awaited, no gap
    // runs and no send is asked for, so the next command leaves at once.
    void resetLink();

    // Appends the initial read-out of the receiver to the queue.
    void queueInitialReadout();
    // One poll tick.
    void tick();
    // Cuts the first command off the queue and writes it when the link is
    // free; a command that cannot be written is lost.
    bool sendNext();
    // Received bytes, in whatever pieces the port delivers them.
    void receive(std::string_view bytes);
    // Reply pacing: sends the next queued command when the link is free and
    // the gap after the last reply has passed; asks the scheduler again
    // when it is called too early. False when nothing was sent.
    bool sendIfDue();
    // Reply pacing: commands have been queued; an idle link sends them
    // after the gap instead of on the next tick.
    void commandsQueued();
    // The time the scheduler has been asked to send at, if any.
    std::optional<std::int64_t> nextSendAt() const { return m_nextSendAt; }
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
    // The reply to the outstanding command is complete (reply pacing).
    void replyComplete();
    bool replyPacedSendPossible() const;
    void scheduleSend(std::int64_t at);
    std::int64_t now() const;

    CReceiver& m_rx;
    PollFields& m_fields;
    LinkHost& m_host;
    SerialPort* m_port = nullptr;
    Trace* m_trace = nullptr;
    LineBuilder m_lineBuilder;
    RecordingProbe m_isRecording;
    CommandObserver m_observer;
    Clock m_clock;
    SendScheduler m_scheduler;
    Pacing m_pacing = Pacing::Tick;
    int m_gapMs = kDefaultGapMs;
    // No command leaves before this time (the gap after the last reply).
    std::int64_t m_sendNotBefore = 0;
    std::optional<std::int64_t> m_nextSendAt;
    // A command went out between two ticks: the next tick counts no wait,
    // so a time-out never comes before a full second.
    bool m_sentBetweenTicks = false;
    // The command written last, and whether its reply may still have lines
    // to come (reply pacing sends nothing until it has them all).
    std::string m_outstanding;
    bool m_replyOpen = false;
    int m_openReplyTicks = 0;
};

}  // namespace korvex
