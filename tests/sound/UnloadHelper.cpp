// Loads the sound library at run time and runs one scenario in a process of
// its own; the unload tests look at how the process ends.
//
//   record PATH  records into PATH and plays a missing file, drops the
//                library and ends without stopping either.
//   hold PATH    records into PATH and waits to be killed.
//   stuck FIFO   records into a new FIFO that nobody opens, so the writer
//                is stuck in its open past StopRec's wait; drops the
//                library, then opens and reads the FIFO, which lets the
//                writer run on. Prints the first four bytes and the count.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "mrqSnd.h"

namespace {

struct Library {
    void* handle = nullptr;
    decltype(&StartRec) startRec = nullptr;
    decltype(&StopRec) stopRec = nullptr;
    decltype(&StartPlay) startPlay = nullptr;
    decltype(&IsRecording) isRecording = nullptr;

    bool load() {
        handle = dlopen(MRQSND_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            std::fprintf(stderr, "%s\n", dlerror());
            return false;
        }
        startRec = reinterpret_cast<decltype(startRec)>(dlsym(handle, "StartRec"));
        stopRec = reinterpret_cast<decltype(stopRec)>(dlsym(handle, "StopRec"));
        startPlay = reinterpret_cast<decltype(startPlay)>(dlsym(handle, "StartPlay"));
        isRecording = reinterpret_cast<decltype(isRecording)>(dlsym(handle, "IsRecording"));
        return startRec && stopRec && startPlay && isRecording;
    }
};

int recordAndEnd(const std::string& path) {
    Library library;
    if (!library.load() || library.startRec(11025, 16, path.c_str()) != 1 ||
        library.startPlay("/nonexistent/file.wav") != 1) {
        return 2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (library.isRecording() != 1 || dlclose(library.handle) != 0) {
        return 3;
    }
    return 0;
}

int recordUntilKilled(const std::string& path) {
    Library library;
    if (!library.load() || library.startRec(11025, 16, path.c_str()) != 1) {
        return 2;
    }
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 3;
}

int stuckWriter(const std::string& path) {
    Library library;
    if (mkfifo(path.c_str(), 0600) != 0 || !library.load() ||
        library.startRec(11025, 8, path.c_str()) != 1) {
        return 2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (library.stopRec() != 1 || dlclose(library.handle) != 0) {
        return 3;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 4;
    }
    std::string bytes;
    char chunk[4096];
    ssize_t got;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0) {
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    std::printf("%s %zu\n", bytes.substr(0, 4).c_str(), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::string scenario = argv[1];
    if (scenario == "record") {
        return recordAndEnd(argv[2]);
    }
    if (scenario == "hold") {
        return recordUntilKilled(argv[2]);
    }
    if (scenario == "stuck") {
        return stuckWriter(argv[2]);
    }
    return 2;
}
