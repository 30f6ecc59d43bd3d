// Where the library's error texts go: a callback the program sets, standard
// error by default.
#pragma once

#include <string>

#include "mrqSnd.h"

namespace mrqsnd {

void setErrorCallback(MrqSndErrorCallback callback, void* context);
void reportError(const std::string& text);

// "WAVEIN:%x:%s" and "WAVEOUT:%x:%s": prefix, the error number in hexadecimal
// and ALSA's text for it (at most 259 characters).
std::string deviceErrorText(const char* prefix, int alsaError);

}  // namespace mrqsnd
