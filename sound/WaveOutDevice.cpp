#include "WaveOutDevice.h"

#include <algorithm>
#include <cerrno>

#include "AlsaPcm.h"
#include "ErrorReport.h"

namespace mrqsnd {

namespace {

constexpr int kWaitMilliseconds = 50;

}  // namespace

WaveOutDevice::~WaveOutDevice() {
    close();
}

int WaveOutDevice::open(const std::string& name, const WaveFormat& format, QueuePtr notify) {
    if (m_pcm != nullptr) {
        return -EBUSY;
    }
    const int err = openPcm(name, SND_PCM_STREAM_PLAYBACK, format, &m_pcm);
    if (err < 0) {
        return err;
    }
    m_notify = std::move(notify);
    m_frameBytes = frameBytes(format);
    m_drainRequested = false;
    m_resetRequested = false;
    m_quit = false;
    m_failed = false;
    m_service = std::thread(&WaveOutDevice::serviceLoop, this);
    return 0;
}

void WaveOutDevice::write(std::unique_ptr<SoundBuffer> block) {
    if (m_pcm == nullptr) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_queued.push_back(std::move(block));
    }
    m_changed.notify_all();
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

void WaveOutDevice::reset() {
    if (m_pcm == nullptr) {
        return;
    }
    std::unique_lock lock(m_mutex);
    m_resetRequested = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_resetRequested; });
}

void WaveOutDevice::close() {
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

void WaveOutDevice::returnAllBlocks() {
    if (m_current) {
        m_notify->post(kOutputBufferDone, std::move(m_current));
    }
    while (!m_queued.empty()) {
        m_notify->post(kOutputBufferDone, std::move(m_queued.front()));
        m_queued.pop_front();
    }
}

void WaveOutDevice::serviceLoop() {
    std::unique_lock lock(m_mutex);
    while (true) {
        if (m_resetRequested) {
            snd_pcm_drop(m_pcm);
            snd_pcm_prepare(m_pcm);
            returnAllBlocks();
            m_drainRequested = false;
            m_resetRequested = false;
            m_changed.notify_all();
            continue;
        }
        if (m_quit) {
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
                m_notify->post(kOutputBufferDone, std::move(m_current));
            }
            lock.lock();
            continue;
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
            continue;
        }
        m_changed.wait(lock);
    }
}

bool WaveOutDevice::writeSome() {
    SoundBuffer& block = *m_current;
    const std::size_t used = std::min(block.bytesUsed, block.data.size());
    const std::size_t framesLeft = (used - m_currentOffset) / m_frameBytes;
    if (framesLeft == 0) {
        m_notify->post(kOutputBufferDone, std::move(m_current));
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
