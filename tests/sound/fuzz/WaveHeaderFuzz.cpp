// libFuzzer: the WAV header reader on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sound/fuzz/WaveHeaderFuzzBody.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!korvex::test::readWaveInput(std::string_view(reinterpret_cast<const char*>(data), size))) {
        std::abort();
    }
    return 0;
}
