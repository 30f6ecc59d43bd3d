// The PCM wave format record as it is stored in a WAV file's "fmt " chunk.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace mrqsnd {

inline constexpr std::uint16_t kFormatPcm = 1;
inline constexpr std::uint16_t kFormatFloat = 3;
inline constexpr std::uint16_t kFormatExtensible = 0xFFFE;

// Size of the record with its extra-size field; the older record stops at 16.
inline constexpr std::size_t kWaveFormatSize = 18;
inline constexpr std::size_t kPcmFormatSize = 16;

struct WaveFormat {
    std::uint16_t formatTag = kFormatPcm;
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSec = 11025;
    std::uint32_t avgBytesPerSec = 22050;
    std::uint16_t blockAlign = 2;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t extraSize = 0;

    bool operator==(const WaveFormat&) const = default;
};

// Mono PCM at rate and bits, with the derived fields filled in.
WaveFormat monoPcmFormat(std::uint32_t rate, std::uint16_t bits);

// True for the rates and sample sizes a recording accepts.
bool isRecordableFormat(int rate, int bits);

// The 18-byte little-endian form written into a "fmt " chunk.
std::array<std::uint8_t, kWaveFormatSize> encodeWaveFormat(const WaveFormat& format);

// Reads a record from size bytes (16 or more); bytes past 18 are ignored and a
// 16-byte record counts as extra size 0. Returns false when size < 16.
bool decodeWaveFormat(const std::uint8_t* bytes, std::size_t size, WaveFormat& format);

}  // namespace mrqsnd
