#include "ErrorReport.h"

#include <alsa/asoundlib.h>

#include <cstdio>
#include <mutex>

namespace mrqsnd {

namespace {

// Held while a callback runs: once setErrorCallback returns, the previous
// callback is neither running nor called again, so its context may go.
// Recursive, so a callback may set another. Trivially destructible, so
// reports at the end of the process stay safe.
std::recursive_mutex callbackMutex;
MrqSndErrorCallback currentCallback = nullptr;
void* currentContext = nullptr;

}  // namespace

void setErrorCallback(MrqSndErrorCallback callback, void* context) {
    std::lock_guard lock(callbackMutex);
    currentCallback = callback;
    currentContext = context;
}

void reportError(const std::string& text) {
    std::lock_guard lock(callbackMutex);
    if (currentCallback != nullptr) {
        currentCallback(text.c_str(), currentContext);
    } else {
        std::fprintf(stderr, "mrqSnd: %s\n", text.c_str());
    }
}

std::string deviceErrorText(const char* prefix, int alsaError) {
    const unsigned number = static_cast<unsigned>(alsaError < 0 ? -alsaError : alsaError);
    std::string detail = snd_strerror(alsaError);
    if (detail.size() > 259) {
        detail.resize(259);
    }
    char head[32];
    std::snprintf(head, sizeof head, "%s:%x:", prefix, number);
    return head + detail;
}

}  // namespace mrqsnd
