#include "WaveFormat.h"

namespace mrqsnd {

namespace {

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

WaveFormat monoPcmFormat(std::uint32_t rate, std::uint16_t bits) {
    WaveFormat format;
    format.formatTag = kFormatPcm;
    format.channels = 1;
    format.samplesPerSec = rate;
    format.blockAlign = static_cast<std::uint16_t>(bits / 8);
    format.avgBytesPerSec = rate * format.blockAlign;
    format.bitsPerSample = bits;
    format.extraSize = 0;
    return format;
}

bool isRecordableFormat(int rate, int bits) {
    return (rate == 11025 || rate == 22050 || rate == 44100) && (bits == 8 || bits == 16);
}

std::array<std::uint8_t, kWaveFormatSize> encodeWaveFormat(const WaveFormat& format) {
    std::array<std::uint8_t, kWaveFormatSize> out{};
    put16(&out[0], format.formatTag);
    put16(&out[2], format.channels);
    put32(&out[4], format.samplesPerSec);
    put32(&out[8], format.avgBytesPerSec);
    put16(&out[12], format.blockAlign);
    put16(&out[14], format.bitsPerSample);
    put16(&out[16], format.extraSize);
    return out;
}

bool decodeWaveFormat(const std::uint8_t* bytes, std::size_t size, WaveFormat& format) {
    if (size < kPcmFormatSize) {
        return false;
    }
    format.formatTag = get16(bytes + 0);
    format.channels = get16(bytes + 2);
    format.samplesPerSec = get32(bytes + 4);
    format.avgBytesPerSec = get32(bytes + 8);
    format.blockAlign = get16(bytes + 12);
    format.bitsPerSample = get16(bytes + 14);
    format.extraSize = size >= kWaveFormatSize ? get16(bytes + 16) : 0;
    return true;
}

}  // namespace mrqsnd
