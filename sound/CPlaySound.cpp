#include "CPlaySound.h"

#include "ErrorReport.h"

namespace mrqsnd {

WorkerHandle CPlaySound::start(std::string device, std::atomic<int>* playing,
                               std::shared_ptr<PlaybackGate> gate) {
    auto queue = std::make_shared<MessageQueue>();
    std::unique_ptr<CPlaySound> worker(
        new CPlaySound(queue, std::move(device), playing, std::move(gate)));
    return startWorker(std::move(worker), queue);
}

CPlaySound::CPlaySound(QueuePtr queue, std::string device, std::atomic<int>* playing,
                       std::shared_ptr<PlaybackGate> gate)
    : m_queue(std::move(queue)),
      m_device(std::move(device)),
      m_playing(playing),
      m_gate(std::move(gate)) {}

void CPlaySound::run() {
    while (true) {
        Message message = m_queue->wait();
        switch (message.id) {
            case kOpenDevice:
                if (auto* format = std::get_if<WaveFormat>(&message.param)) {
                    openDevice(*format);
                }
                break;
            case kPlayBlock:
                if (auto* block = std::get_if<std::unique_ptr<SoundBuffer>>(&message.param)) {
                    playBlock(std::move(*block));
                }
                break;
            case kOutputBufferDone:
                m_gate->release();
                break;
            case kCloseDevice: {
                const bool* drain = std::get_if<bool>(&message.param);
                closeDevice(drain != nullptr && *drain);
                break;
            }
            case kDeviceDrained:
                if (m_draining) {
                    closeNow();
                }
                break;
            case kQuitPlayer:
                closeNow();
                m_playing->store(0);
                return;
            default:
                break;
        }
    }
}

void CPlaySound::openDevice(const WaveFormat& format) {
    if (m_isOpen) {
        return;
    }
    m_format = format;
    const int err = m_waveOut.open(m_device, m_format, m_queue);
    if (err < 0) {
        reportError(deviceErrorText("WAVEOUT", err));
        return;
    }
    m_isOpen = true;
}

void CPlaySound::playBlock(std::unique_ptr<SoundBuffer> block) {
    if (!m_isOpen || m_draining) {
        // Dropped: it will never come back from the device.
        m_gate->release();
        return;
    }
    m_waveOut.write(std::move(block));
    ++m_blocksWritten;
}

void CPlaySound::closeDevice(bool drain) {
    if (!m_isOpen) {
        return;
    }
    if (drain) {
        // Closed when the device reports that it has played everything, or
        // that it gave up on a device that stopped playing.
        m_draining = true;
        m_waveOut.drain();
        return;
    }
    closeNow();
}

void CPlaySound::closeNow() {
    if (!m_isOpen) {
        return;
    }
    m_waveOut.reset();
    m_waveOut.close();
    m_isOpen = false;
    m_draining = false;
}

}  // namespace mrqsnd
