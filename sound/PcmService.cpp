#include "PcmService.h"

#include <cerrno>

#include "AlsaPcm.h"

namespace mrqsnd {

int PcmService::open(const std::string& name, const WaveFormat& format, QueuePtr notify) {
    if (m_pcm != nullptr) {
        return -EBUSY;
    }
    const int err = openPcm(name, m_stream, format, &m_pcm);
    if (err < 0) {
        return err;
    }
    m_notify = std::move(notify);
    m_frameBytes = frameBytes(format);
    m_resetRequested = false;
    m_quit = false;
    prepare(format);
    m_service = std::thread(&PcmService::serviceLoop, this);
    return 0;
}

void PcmService::reset() {
    if (m_pcm == nullptr) {
        return;
    }
    std::unique_lock lock(m_mutex);
    m_resetRequested = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_resetRequested; });
}

void PcmService::close() {
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

void PcmService::enqueue(std::unique_ptr<SoundBuffer> buffer) {
    {
        std::lock_guard lock(m_mutex);
        m_queued.push_back(std::move(buffer));
    }
    m_changed.notify_all();
}

void PcmService::giveBack(std::unique_ptr<SoundBuffer> buffer) {
    m_notify->post(m_bufferDone, std::move(buffer));
}

void PcmService::dropAll() {
    snd_pcm_drop(m_pcm);
    afterDrop();
    returnAllBuffers();
}

void PcmService::returnAllBuffers() {
    if (m_current) {
        giveBack(std::move(m_current));
    }
    while (!m_queued.empty()) {
        giveBack(std::move(m_queued.front()));
        m_queued.pop_front();
    }
}

void PcmService::serviceLoop() {
    std::unique_lock lock(m_mutex);
    while (true) {
        if (m_resetRequested) {
            dropAll();
            m_resetRequested = false;
            m_changed.notify_all();
            continue;
        }
        if (m_quit) {
            return;
        }
        serviceStep(lock);
    }
}

}  // namespace mrqsnd
