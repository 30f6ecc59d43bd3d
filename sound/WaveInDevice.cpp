#include "WaveInDevice.h"

#include <cerrno>

#include "ErrorReport.h"

namespace mrqsnd {

WaveInDevice::~WaveInDevice() {
    close();
}

void WaveInDevice::prepare(const WaveFormat& format) {
    m_rate = format.samplesPerSec;
    m_running = false;
    m_failed = false;
    m_framesDelivered = 0;
}

void WaveInDevice::addBuffer(std::unique_ptr<SoundBuffer> buffer) {
    if (m_pcm == nullptr) {
        return;
    }
    buffer->bytesUsed = 0;
    enqueue(std::move(buffer));
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

void WaveInDevice::afterDrop() {
    m_running = false;
}

void WaveInDevice::serviceStep(std::unique_lock<std::mutex>& lock) {
    if (!m_running || m_failed || (!m_current && m_queued.empty())) {
        m_changed.wait(lock);
        return;
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
        return;
    }
    lock.unlock();
    const bool ok = readSome();
    lock.lock();
    if (!ok) {
        m_failed = true;
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
        giveBack(std::move(m_current));
    }
    return true;
}

}  // namespace mrqsnd
