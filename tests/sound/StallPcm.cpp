// An ALSA playback device whose clock never runs, as a stalled sound card or
// sound server looks to a program: it takes one buffer of samples and never
// plays them, so it never drains. Its argument CLOSED names a file that is
// created when the device is closed, so a test sees that it was let go.
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

struct Stall {
    snd_pcm_ioplug_t io{};
    // Polled for input that never comes: the device is never ready.
    int pipeFds[2] = {-1, -1};
    std::string closedMark;
};

int stallStart(snd_pcm_ioplug_t*) {
    return 0;
}

int stallStop(snd_pcm_ioplug_t*) {
    return 0;
}

snd_pcm_sframes_t stallPointer(snd_pcm_ioplug_t*) {
    return 0;
}

snd_pcm_sframes_t stallTransfer(snd_pcm_ioplug_t*, const snd_pcm_channel_area_t*, snd_pcm_uframes_t,
                                snd_pcm_uframes_t size) {
    return static_cast<snd_pcm_sframes_t>(size);
}

void freeStall(Stall* stall) {
    ::close(stall->pipeFds[0]);
    ::close(stall->pipeFds[1]);
    delete stall;
}

int stallClose(snd_pcm_ioplug_t* io) {
    auto* stall = static_cast<Stall*>(io->private_data);
    if (!stall->closedMark.empty()) {
        const int fd = ::open(stall->closedMark.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
        }
    }
    freeStall(stall);
    return 0;
}

snd_pcm_ioplug_callback_t makeCallbacks() {
    snd_pcm_ioplug_callback_t callbacks{};
    callbacks.start = stallStart;
    callbacks.stop = stallStop;
    callbacks.pointer = stallPointer;
    callbacks.transfer = stallTransfer;
    callbacks.close = stallClose;
    return callbacks;
}

const snd_pcm_ioplug_callback_t stallCallbacks = makeCallbacks();

}  // namespace

extern "C" {

SND_PCM_PLUGIN_DEFINE_FUNC(korvexstall) {
    (void)root;
    auto* stall = new Stall;
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* entry = snd_config_iterator_entry(i);
        const char* id = nullptr;
        const char* value = nullptr;
        if (snd_config_get_id(entry, &id) >= 0 && std::strcmp(id, "closed") == 0 &&
            snd_config_get_string(entry, &value) >= 0) {
            stall->closedMark = value;
        }
    }
    if (::pipe2(stall->pipeFds, O_CLOEXEC | O_NONBLOCK) < 0) {
        const int err = -errno;
        delete stall;
        return err;
    }
    stall->io.version = SND_PCM_IOPLUG_VERSION;
    stall->io.name = "korvex stalled device";
    stall->io.callback = &stallCallbacks;
    stall->io.private_data = stall;
    stall->io.poll_fd = stall->pipeFds[0];
    stall->io.poll_events = POLLIN;
    const int err = snd_pcm_ioplug_create(&stall->io, name, stream, mode);
    if (err < 0) {
        freeStall(stall);
        return err;
    }
    static const unsigned accessList[] = {SND_PCM_ACCESS_RW_INTERLEAVED};
    static const unsigned formats[] = {SND_PCM_FORMAT_U8, SND_PCM_FORMAT_S16_LE};
    snd_pcm_ioplug_set_param_list(&stall->io, SND_PCM_IOPLUG_HW_ACCESS, 1, accessList);
    snd_pcm_ioplug_set_param_list(&stall->io, SND_PCM_IOPLUG_HW_FORMAT, 2, formats);
    snd_pcm_ioplug_set_param_minmax(&stall->io, SND_PCM_IOPLUG_HW_CHANNELS, 1, 2);
    snd_pcm_ioplug_set_param_minmax(&stall->io, SND_PCM_IOPLUG_HW_RATE, 8000, 48000);
    snd_pcm_ioplug_set_param_minmax(&stall->io, SND_PCM_IOPLUG_HW_BUFFER_BYTES, 1024, 1 << 20);
    snd_pcm_ioplug_set_param_minmax(&stall->io, SND_PCM_IOPLUG_HW_PERIODS, 2, 64);
    *pcmp = stall->io.pcm;
    return 0;
}

SND_PCM_PLUGIN_SYMBOL(korvexstall)
}
