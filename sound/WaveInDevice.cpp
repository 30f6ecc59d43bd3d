#include "WaveInDevice.h"

#include <cerrno>

#include "AlsaPcm.h"
#include "ErrorReport.h"

namespace mrqsnd {

namespace {

constexpr int kWaitMilliseconds = 50;

}  // namespace

WaveInDevice::~WaveInDevice() {
    close();
}

int WaveInDevice::open(const std::string& name, const WaveFormat& format, QueuePtr notify) {
    if (m_pcm != nullptr) {
        return -EBUSY;
    }
    const int err = openPcm(name, SND_PCM_STREAM_CAPTURE, format, &m_pcm);
    if (err < 0) {
        return err;
    }
    m_notify = std::move(notify);
    m_frameBytes = frameBytes(format);
    m_rate = format.samplesPerSec;
    m_running = false;
    m_failed = false;
    m_resetRequested = false;
    m_quit = false;
    m_framesDelivered = 0;
    m_service = std::thread(&WaveInDevice::serviceLoop, this);
    return 0;
}

void WaveInDevice::addBuffer(std::unique_ptr<SoundBuffer> buffer) {
    if (m_pcm == nullptr) {
        return;
    }
    buffer->bytesUsed = 0;
    {
        std::lock_guard lock(m_mutex);
        m_queued.push_back(std::move(buffer));
    }
    m_changed.notify_all();
}

int WaveInDevice::start() {
    if (m_pcm == nullptr) {
        return -EBADFD;
    }
    std::lock_guard lock(m_mutex);
    // The service thread leaves the PCM alone while it is not running.
    const int err = snd_pcm_start(m_pcm);
    if (err < 0) {
        return err;
    }
    m_running = true;
    m_startTime = Clock::now();
    m_framesDelivered = 0;
    m_changed.notify_all();
    return 0;
}

void WaveInDevice::stop() {
    std::lock_guard lock(m_mutex);
    m_running = false;
}

void WaveInDevice::reset() {
    if (m_pcm == nullptr) {
        return;
    }
    std::unique_lock lock(m_mutex);
    m_resetRequested = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_resetRequested; });
}

void WaveInDevice::close() {
    if (m_pcm == nullptr) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_service.join();
    closePcm(m_pcm);
    m_pcm = nullptr;
    m_current.reset();
    m_queued.clear();
    m_notify.reset();
}

void WaveInDevice::returnAllBuffers() {
    if (m_current) {
        m_notify->post(kInputBufferDone, std::move(m_current));
    }
    while (!m_queued.empty()) {
        m_notify->post(kInputBufferDone, std::move(m_queued.front()));
        m_queued.pop_front();
    }
}

void WaveInDevice::serviceLoop() {
    std::unique_lock lock(m_mutex);
    while (true) {
        if (m_resetRequested) {
            snd_pcm_drop(m_pcm);
            m_running = false;
            returnAllBuffers();
            m_resetRequested = false;
            m_changed.notify_all();
            continue;
        }
        if (m_quit) {
            return;
        }
        if (!m_running || m_failed || (!m_current && m_queued.empty())) {
            m_changed.wait(lock);
            continue;
        }
        if (!m_current) {
            m_current = std::move(m_queued.front());
            m_queued.pop_front();
        }
        const auto due =
            m_startTime + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                              static_cast<double>(m_framesDelivered) / m_rate));
        if (Clock::now() < due) {
            m_changed.wait_until(lock, due);
            continue;
        }
        lock.unlock();
        const bool ok = readSome();
        lock.lock();
        if (!ok) {
            m_failed = true;
        }
    }
}

bool WaveInDevice::readSome() {
    SoundBuffer& buffer = *m_current;
    const std::size_t framesLeft = (buffer.data.size() - buffer.bytesUsed) / m_frameBytes;
    const snd_pcm_sframes_t got =
        snd_pcm_readi(m_pcm, buffer.data.data() + buffer.bytesUsed, framesLeft);
    if (got == -EAGAIN) {
        snd_pcm_wait(m_pcm, kWaitMilliseconds);
        return true;
    }
    if (got < 0) {
        const int err = snd_pcm_recover(m_pcm, static_cast<int>(got), 1);
        if (err < 0) {
            reportError(deviceErrorText("WAVEIN", err));
            return false;
        }
        snd_pcm_start(m_pcm);
        return true;
    }
    buffer.bytesUsed += static_cast<std::size_t>(got) * m_frameBytes;
    {
        std::lock_guard lock(m_mutex);
        m_framesDelivered += static_cast<std::uint64_t>(got);
    }
    if (buffer.data.size() - buffer.bytesUsed < m_frameBytes) {
        m_notify->post(kInputBufferDone, std::move(m_current));
    }
    return true;
}

}  // namespace mrqsnd
