#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/CommandQueue.h"
#include "model/Receiver.h"
#include "remote/RigctlCommands.h"

namespace korvex::remote {

// The rigctld protocol for any number of clients, over whatever carries
// their bytes. Every request that needs the receiver goes into the
// program's own command queue as a command built by the link's builders,
// so the one-command-at-a-time rule holds and the window sees it all.
// Reads are answered from the model while it is fresh, otherwise after the
// status read they queue; sets after the receiver acknowledged them.
// Driven from outside: bytes from receive(), the link's finished commands
// from commandFinished(), the time from pump().
class RigctlServer {
public:
    static constexpr std::size_t kMaxLine = 1024;
    // Requests a client may have waiting before its input is left unread.
    static constexpr std::size_t kMaxWaiting = 64;
    static constexpr std::size_t kMaxClients = 16;
    // A client that has sent nothing for this long, with nothing waiting,
    // is closed; when all places are taken the longest idle one makes room.
    static constexpr std::int64_t kIdleLimitMs = 10 * 60 * 1000;
    static constexpr std::int64_t kAnswerTimeoutMs = 2000;
    // How long an "RX" reply answers reads without asking the receiver again.
    static constexpr std::int64_t kFreshMs = 1000;
    // How long the status reads a set left behind may be passed by the sets
    // that follow it, from the first that did; then they go first, so a
    // client that never stops setting cannot keep them (and every read
    // waiting on them) back.
    static constexpr std::int64_t kReadsMayWaitMs = 500;

    using Send = std::function<void(int client, std::string_view text)>;
    using Close = std::function<void(int client)>;
    using Probe = std::function<bool()>;

    RigctlServer(CReceiver& rx, CommandQueue& queue, std::int64_t idleLimitMs = kIdleLimitMs);

    void setSend(Send send) { m_send = std::move(send); }
    // Asks the carrier to close a client; it calls disconnect() when it has.
    void setClose(Close close) { m_close = std::move(close); }
    // Whether the receiver can be reached: port open and polled, not
    // switched off. Without a probe it can.
    void setLinkProbe(Probe probe) { m_linkUp = std::move(probe); }
    void setMark2Probe(Probe probe) { m_mark2 = std::move(probe); }

    // A new client's id. When every place is taken, the client that has
    // been idle longest is closed (through the carrier's close) to make
    // room. nowMs defaults to the latest time the server has been given.
    std::optional<int> connect(std::optional<std::int64_t> nowMs = std::nullopt);
    void disconnect(int client);
    std::size_t clientCount() const { return m_sessions.size(); }

    // Bytes from a client, at any size and split anywhere.
    void receive(int client, std::string_view bytes, std::int64_t nowMs);
    // False while the client's requests wait in numbers: its input stays
    // unread until they are answered.
    bool wantsInput(int client) const;

    // The link has finished a command: answered, or lost to the link's
    // error (which empties the queue).
    void commandFinished(const std::string& command, bool answered, std::int64_t nowMs);
    // Answers what can be answered now, times out what waited too long and
    // closes clients idle for the idle limit.
    void pump(std::int64_t nowMs);

private:
    enum class Wait { None, Status, Command };

    struct Session {
        std::string partial;
        bool skipping = false;  // an overlong line is being thrown away
        std::deque<Request> requests;
        Wait wait = Wait::None;
        std::string awaited;  // the command a set waits for
        // The first command of a set that timed out: while it still waits
        // in the queue, the client's next set is not queued behind it.
        std::string lingering;
        std::uint64_t generation = 0;
        std::int64_t deadline = 0;
        bool closing = false;
        std::int64_t lastHeardMs = 0;  // connected or last bytes received
    };

    using Values = std::vector<std::pair<std::string_view, std::string>>;

    void line(Session& s, std::string_view text);
    void serve(int client, Session& s, std::int64_t nowMs);
    // Starts the head request: true when it has been answered.
    bool start(int client, Session& s, std::int64_t nowMs);
    bool startSet(int client, Session& s, const std::string& commands, std::int64_t nowMs);
    // Queues a set's commands and the reads behind it. Reads earlier sets
    // left waiting at the front of the queue go behind this set, merged with
    // its own, for kReadsMayWaitMs from the first set that passed them.
    void queueSet(const std::string& commands, std::int64_t nowMs);
    // Whether some of the reads behind the last set are still queued.
    bool readsBehindSetQueued() const;
    bool startRead(int client, Session& s, std::int64_t nowMs);
    // The answer of a read from the model.
    void answerRead(int client, const Request& r);
    void reply(int client, const Request& r, int code, const Values& values = {});
    void finish(int client, Session& s, int code);
    void noteStatus(std::int64_t nowMs);
    bool fresh(std::int64_t nowMs) const;
    bool linkUp() const { return !m_linkUp || m_linkUp(); }
    bool mark2() const { return m_mark2 && m_mark2(); }
    void closePending();

    std::optional<std::string> frequencySet(std::string_view hzText) const;

    void closeIdle(std::int64_t nowMs);
    void noteTime(std::int64_t nowMs);

    CReceiver& m_rx;
    CommandQueue& m_queue;
    std::int64_t m_idleLimitMs;
    std::int64_t m_latestMs = 0;
    Send m_send;
    Close m_close;
    Probe m_linkUp;
    Probe m_mark2;
    std::map<int, Session> m_sessions;
    std::vector<int> m_toClose;
    int m_nextId = 1;
    std::uint64_t m_seenGeneration = 0;
    std::uint64_t m_staleGeneration = 0;  // replies up to this one predate a set
    std::int64_t m_lastStatusMs = 0;
    // The reads queued behind the last set, each with its CR, and when a set
    // first passed them.
    std::vector<std::string> m_readsBehindSet;
    std::optional<std::int64_t> m_readsPassedSinceMs;
    bool m_statusSeen = false;
    // A client has locked the mode: mode sets are answered but not made.
    bool m_modeLocked = false;
};

}  // namespace korvex::remote
