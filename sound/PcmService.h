// What the capture and playback services share: the PCM, the queue of
// buffers, the service thread and the requests the owner makes of it (reset,
// close). The service loop answers those requests itself and hands the rest
// of its work to the device, one step at a time. Only the service thread
// touches the PCM while it runs.
#pragma once

#include <alsa/asoundlib.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "MessageQueue.h"
#include "WaveFormat.h"

namespace mrqsnd {

class PcmService {
public:
    PcmService(const PcmService&) = delete;
    PcmService& operator=(const PcmService&) = delete;

    // Returns 0 or a negative ALSA error.
    int open(const std::string& name, const WaveFormat& format, QueuePtr notify);
    bool isOpen() const { return m_pcm != nullptr; }

    // Drops what the device holds and hands every buffer back, the current
    // one included; returns when all of them are posted.
    void reset();
    // Ends the service thread and closes the device; buffers still queued
    // are freed.
    void close();

protected:
    PcmService(snd_pcm_stream_t stream, std::uint32_t bufferDone)
        : m_stream(stream), m_bufferDone(bufferDone) {}
    // A device must close() in its own destructor: the service thread calls
    // into it until then.
    ~PcmService() = default;

    // Called by open() before the service thread starts.
    virtual void prepare(const WaveFormat& format) = 0;
    // Called on the service thread, with m_mutex held, after the device has
    // been dropped and before the buffers go back.
    virtual void afterDrop() = 0;
    // One step of the service loop, entered with m_mutex held through lock
    // and left with it held again; no reset or quit is pending.
    virtual void serviceStep(std::unique_lock<std::mutex>& lock) = 0;

    void enqueue(std::unique_ptr<SoundBuffer> buffer);
    // Posts the buffer to the owner as done.
    void giveBack(std::unique_ptr<SoundBuffer> buffer);
    // On the service thread with m_mutex held: drops what the device holds
    // and hands every buffer back, as a reset does.
    void dropAll();

    static constexpr int kWaitMilliseconds = 50;

    snd_pcm_t* m_pcm = nullptr;
    QueuePtr m_notify;
    unsigned m_frameBytes = 1;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<SoundBuffer>> m_queued;

    // Owned by the service thread.
    std::unique_ptr<SoundBuffer> m_current;

private:
    void serviceLoop();
    void returnAllBuffers();

    const snd_pcm_stream_t m_stream;
    const std::uint32_t m_bufferDone;
    std::thread m_service;
    bool m_resetRequested = false;
    bool m_quit = false;
};

}  // namespace mrqsnd
