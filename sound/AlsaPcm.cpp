#include "AlsaPcm.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace mrqsnd {

namespace {

// ALSA's global configuration is loaded on first open; keep opens and
// closes of the library's threads apart.
std::mutex pcmOpenMutex;

constexpr unsigned kLatencyMicroseconds = 500000;
constexpr unsigned kMaxChannels = 32;

snd_pcm_format_t alsaFormat(const WaveFormat& format) {
    const bool integer = format.formatTag == kFormatPcm || format.formatTag == kFormatExtensible;
    if (integer) {
        switch (format.bitsPerSample) {
            case 8:
                return SND_PCM_FORMAT_U8;
            case 16:
                return SND_PCM_FORMAT_S16_LE;
            case 24:
                return SND_PCM_FORMAT_S24_3LE;
            case 32:
                return SND_PCM_FORMAT_S32_LE;
            default:
                return SND_PCM_FORMAT_UNKNOWN;
        }
    }
    if (format.formatTag == kFormatFloat) {
        if (format.bitsPerSample == 32) {
            return SND_PCM_FORMAT_FLOAT_LE;
        }
        if (format.bitsPerSample == 64) {
            return SND_PCM_FORMAT_FLOAT64_LE;
        }
    }
    return SND_PCM_FORMAT_UNKNOWN;
}

}  // namespace

std::string deviceNameFromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? value : "default";
}

unsigned frameBytes(const WaveFormat& format) {
    if (alsaFormat(format) == SND_PCM_FORMAT_UNKNOWN || format.channels == 0 ||
        format.channels > kMaxChannels) {
        return 0;
    }
    const unsigned bytes = format.channels * (format.bitsPerSample / 8u);
    return format.blockAlign == bytes ? bytes : 0;
}

int openPcm(const std::string& name, snd_pcm_stream_t stream, const WaveFormat& format,
            snd_pcm_t** pcm) {
    *pcm = nullptr;
    if (frameBytes(format) == 0 || format.samplesPerSec == 0) {
        return -EINVAL;
    }
    std::lock_guard lock(pcmOpenMutex);
    snd_pcm_t* handle = nullptr;
    int err = snd_pcm_open(&handle, name.c_str(), stream, SND_PCM_NONBLOCK);
    if (err < 0) {
        return err;
    }
    err = snd_pcm_set_params(handle, alsaFormat(format), SND_PCM_ACCESS_RW_INTERLEAVED,
                             format.channels, format.samplesPerSec, 1, kLatencyMicroseconds);
    if (err < 0) {
        snd_pcm_close(handle);
        return err;
    }
    *pcm = handle;
    return 0;
}

void closePcm(snd_pcm_t* pcm) {
    if (pcm != nullptr) {
        std::lock_guard lock(pcmOpenMutex);
        snd_pcm_close(pcm);
    }
}

}  // namespace mrqsnd
