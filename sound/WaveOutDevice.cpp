#include "WaveOutDevice.h"

#include <algorithm>
#include <cerrno>

#include "ErrorReport.h"

namespace mrqsnd {

WaveOutDevice::~WaveOutDevice() {
    close();
}

void WaveOutDevice::prepare(const WaveFormat&) {
    m_drainRequested = false;
    m_failed = false;
}

void WaveOutDevice::write(std::unique_ptr<SoundBuffer> block) {
    if (m_pcm == nullptr) {
        return;
    }
    enqueue(std::move(block));
}

void WaveOutDevice::drain() {
    if (m_pcm == nullptr) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_drainRequested = true;
    }
    m_changed.notify_all();
}

void WaveOutDevice::afterDrop() {
    snd_pcm_prepare(m_pcm);
    m_drainRequested = false;
}

void WaveOutDevice::serviceStep(std::unique_lock<std::mutex>& lock) {
    if (!m_current && !m_queued.empty()) {
        m_current = std::move(m_queued.front());
        m_queued.pop_front();
        m_currentOffset = 0;
    }
    if (m_current) {
        lock.unlock();
        if (m_failed || !writeSome()) {
            // A failed device takes no more; its blocks still come back.
            m_failed = true;
            giveBack(std::move(m_current));
        }
        lock.lock();
        return;
    }
    if (m_drainRequested) {
        m_drainRequested = false;
        lock.unlock();
        // Bounded by the half second of buffering the device was given.
        snd_pcm_nonblock(m_pcm, 0);
        snd_pcm_drain(m_pcm);
        snd_pcm_nonblock(m_pcm, 1);
        snd_pcm_prepare(m_pcm);
        m_notify->post(kDeviceDrained);
        lock.lock();
        return;
    }
    m_changed.wait(lock);
}

bool WaveOutDevice::writeSome() {
    SoundBuffer& block = *m_current;
    const std::size_t used = std::min(block.bytesUsed, block.data.size());
    const std::size_t framesLeft = (used - m_currentOffset) / m_frameBytes;
    if (framesLeft == 0) {
        giveBack(std::move(m_current));
        return true;
    }
    const snd_pcm_sframes_t put =
        snd_pcm_writei(m_pcm, block.data.data() + m_currentOffset, framesLeft);
    if (put == -EAGAIN) {
        snd_pcm_wait(m_pcm, kWaitMilliseconds);
        return true;
    }
    if (put < 0) {
        const int err = snd_pcm_recover(m_pcm, static_cast<int>(put), 1);
        if (err < 0) {
            reportError(deviceErrorText("WAVEOUT", err));
            return false;
        }
        return true;
    }
    m_currentOffset += static_cast<std::size_t>(put) * m_frameBytes;
    return true;
}

}  // namespace mrqsnd
