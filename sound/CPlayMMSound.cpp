#include "CPlayMMSound.h"

#include <algorithm>

#include "ErrorReport.h"
#include "PlaybackGate.h"

namespace mrqsnd {

namespace {

// A damaged header must not make the reader allocate without bound.
constexpr std::uint64_t kMaxBlockSize = 1u << 20;

}  // namespace

WorkerHandle CPlayMMSound::start() {
    auto queue = std::make_shared<MessageQueue>();
    std::unique_ptr<CPlayMMSound> worker(new CPlayMMSound(queue));
    return startWorker(std::move(worker), queue);
}

std::size_t CPlayMMSound::blockSizeFor(const WaveFormat& format, std::uint32_t dataSize) {
    const std::uint64_t size =
        std::uint64_t{format.bitsPerSample} * format.blockAlign * format.channels * 100;
    return static_cast<std::size_t>(std::min({size, std::uint64_t{dataSize}, kMaxBlockSize}));
}

void CPlayMMSound::run() {
    while (true) {
        Message message = m_queue->wait();
        switch (message.id) {
            case kSetPlayer:
                if (auto* player = std::get_if<PlayerLink>(&message.param)) {
                    m_player = std::move(*player);
                }
                break;
            case kOpenPlayFile:
                if (auto* path = std::get_if<std::string>(&message.param)) {
                    openPlayFile(*path);
                }
                break;
            case kStopReading:
                stopReading();
                break;
            case kQuitReader:
                stopReading();
                return;
            default:
                break;
        }
    }
}

void CPlayMMSound::openPlayFile(const std::string& path) {
    stopReading();
    if (!m_player.queue || !m_player.gate) {
        return;
    }
    const WaveOpenResult result = m_reader.open(path);
    if (result != WaveOpenResult::ok) {
        reportError(waveOpenMessage(result));
        return;
    }
    m_blockSize = blockSizeFor(m_reader.format(), m_reader.dataSize());
    m_isReading = true;
    m_player.gate->resetStop();
    m_readThread = std::thread(&CPlayMMSound::readLoop, this);
}

void CPlayMMSound::stopReading() {
    if (m_player.gate) {
        m_player.gate->signalStop();
    }
    m_isReading = false;
    // The read loop uses the file until it ends; close it only after that.
    if (m_readThread.joinable()) {
        m_readThread.join();
    }
    m_reader.close();
}

void CPlayMMSound::readLoop() {
    m_player.queue->post(kOpenDevice, m_reader.format());
    bool endOfData = false;
    while (true) {
        auto block = std::make_unique<SoundBuffer>();
        block->data.resize(m_blockSize);
        long got = m_reader.read(block->data.data(), block->data.size());
        if (got < 0) {
            // Reported once; what was read so far still plays out.
            reportError("Error reading WAVE file\n");
            got = 0;
        }
        if (got == 0) {
            endOfData = true;
            m_player.gate->signalStop();
            m_isReading = false;
            m_reader.close();
        }
        if (!m_isReading) {
            break;
        }
        if (!m_player.gate->acquireUnlessStopped()) {
            break;
        }
        if (!m_isReading) {
            break;
        }
        block->bytesUsed = static_cast<std::size_t>(got);
        m_player.queue->post(kPlayBlock, std::move(block));
    }
    // At the end of the file the device plays out what it was given; on a
    // stop it is cut off at once.
    m_player.queue->post(kCloseDevice, endOfData);
}

}  // namespace mrqsnd
