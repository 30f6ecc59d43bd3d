// Thread messages between the library's workers. Each worker reads its own
// queue; whoever takes a message owns its parameter, and a message still
// queued when the last reference to the queue goes is freed with it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "WaveFormat.h"

namespace mrqsnd {

class MessageQueue;
class PlaybackGate;

// Message numbers; the two device notifications are the wave service's own.
enum MessageId : std::uint32_t {
    kOutputBufferDone = 0x3BD,
    kInputBufferDone = 0x3C0,
    kOpenPlayFile = 0x52D,
    kStopReading = 0x52E,
    kSetPlayer = 0x52F,
    kQuitReader = 0x530,
    kStartRecording = 0x5F4,
    kStopRecording = 0x5F5,
    kQuitRecorder = 0x5F7,
    kSetWriter = 0x5F8,
    kOpenDevice = 0x658,
    kCloseDevice = 0x659,
    kPlayBlock = 0x65A,
    kQuitPlayer = 0x65B,
    kDeviceDrained = 0x65C,
    kOpenWaveFile = 0x6BC,
    kWriteBlock = 0x6BD,
    kCloseWaveFile = 0x6BE,
    kQuitWriter = 0x6BF,
};

// A device buffer: capture buffers are filled by the device, play blocks are
// filled from the file. bytesUsed counts the valid bytes of data.
struct SoundBuffer {
    std::vector<std::uint8_t> data;
    std::size_t bytesUsed = 0;
};

// What the recorder hands the writer to create the file.
struct FileOpenBlock {
    std::string path;
    WaveFormat format;
};

// What the file reader needs of the player: its queue and its flow control.
struct PlayerLink {
    std::shared_ptr<MessageQueue> queue;
    std::shared_ptr<PlaybackGate> gate;
};

using MessageParam =
    std::variant<std::monostate, std::unique_ptr<SoundBuffer>, std::unique_ptr<FileOpenBlock>,
                 std::string, std::shared_ptr<MessageQueue>, PlayerLink, WaveFormat, bool>;

struct Message {
    std::uint32_t id = 0;
    MessageParam param;
};

class MessageQueue {
public:
    void post(std::uint32_t id, MessageParam param = {});
    // Blocks until a message arrives.
    Message wait();
    // Messages posted and not yet taken.
    std::size_t size();

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<Message> m_messages;
};

using QueuePtr = std::shared_ptr<MessageQueue>;

}  // namespace mrqsnd
