#include "WaveOutDevice.h"

#include <algorithm>
#include <cerrno>

#include "ErrorReport.h"

namespace mrqsnd {

namespace {

// How much longer than its queued frames a drain may take.
constexpr std::chrono::milliseconds kDrainMargin{1000};
// How often a drain in progress is looked at.
constexpr std::chrono::milliseconds kDrainPoll{20};

}  // namespace

WaveOutDevice::~WaveOutDevice() {
    close();
}

void WaveOutDevice::prepare(const WaveFormat& format) {
    m_rate = format.samplesPerSec;
    snd_pcm_uframes_t period = 0;
    if (snd_pcm_get_params(m_pcm, &m_bufferFrames, &period) < 0) {
        m_bufferFrames = m_rate;
    }
    m_drainRequested = false;
    m_failed = false;
    m_draining = false;
    m_drainStarted = false;
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
    m_draining = false;
    m_drainStarted = false;
}

std::uint64_t WaveOutDevice::framesPending() {
    std::uint64_t bytes = 0;
    for (const auto& block : m_queued) {
        bytes += std::min(block->bytesUsed, block->data.size());
    }
    if (m_current) {
        bytes += std::min(m_current->bytesUsed, m_current->data.size()) - m_currentOffset;
    }
    // What the device reports, but never more than it can hold.
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(m_pcm, &delay) < 0 || delay < 0) {
        delay = 0;
    }
    const auto inDevice =
        std::min(static_cast<std::uint64_t>(delay), static_cast<std::uint64_t>(m_bufferFrames));
    return bytes / m_frameBytes + inDevice;
}

void WaveOutDevice::serviceStep(std::unique_lock<std::mutex>& lock) {
    if (m_drainRequested && !m_draining) {
        m_draining = true;
        m_drainStarted = false;
        const std::chrono::duration<double> playTime(static_cast<double>(framesPending()) / m_rate);
        m_drainDeadline =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(playTime) + kDrainMargin;
    }
    if (m_draining && Clock::now() >= m_drainDeadline) {
        // The device stopped playing: what it has not played is given up.
        dropAll();
        endDrain();
        return;
    }
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
    if (m_draining) {
        drainStep(lock);
        return;
    }
    m_changed.wait(lock);
}

void WaveOutDevice::drainStep(std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    bool done;
    if (!m_drainStarted) {
        m_drainStarted = true;
        // The device was opened non-blocking, but not every plugin carries
        // that into its drain; a blocking drain could wait for ever.
        snd_pcm_nonblock(m_pcm, 1);
        done = snd_pcm_drain(m_pcm) != -EAGAIN;
    } else {
        snd_pcm_avail_update(m_pcm);
        done = snd_pcm_state(m_pcm) != SND_PCM_STATE_DRAINING;
    }
    lock.lock();
    if (done) {
        snd_pcm_prepare(m_pcm);
        endDrain();
        return;
    }
    // A reset or close wakes this wait and is served first.
    m_changed.wait_until(lock, std::min(Clock::now() + kDrainPoll, m_drainDeadline));
}

void WaveOutDevice::endDrain() {
    m_drainRequested = false;
    m_draining = false;
    m_drainStarted = false;
    m_notify->post(kDeviceDrained);
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
