// libFuzzer entry: the first three bytes choose the command sent and the
// model state, the fourth the chunk size; the rest is received text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/parser/FuzzDriver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    korvex::test::FuzzRig rig;
    rig.setUp(data[0], data[1], data[2]);
    const std::size_t chunk = 1 + data[3] % 32;
    const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);
    for (std::size_t pos = 0; pos < text.size(); pos += chunk) {
        rig.parser.receive(text.substr(pos, chunk));
    }
    return 0;
}
