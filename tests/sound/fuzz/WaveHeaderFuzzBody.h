#pragma once

// One input for the WAV header reader: opened as a file, its data chunk read
// to the end in blocks.

#include <cstdint>
#include <string_view>
#include <vector>

#include "WaveFileReader.h"
#include "support/FuzzInput.h"

namespace korvex::test {

// False when what was read breaks a rule the reader promises.
inline bool readWaveInput(std::string_view data) {
    mrqsnd::WaveFileReader reader;
    const mrqsnd::WaveOpenResult result = reader.open(scratchFile("wav", data).string());
    if (result != mrqsnd::WaveOpenResult::ok) {
        return !reader.isOpen();
    }
    std::vector<std::uint8_t> block(4096);
    std::uint64_t total = 0;
    for (long got = 0; (got = reader.read(block.data(), block.size())) > 0;) {
        total += static_cast<std::uint64_t>(got);
        if (total > reader.dataSize() || total > data.size()) {
            return false;
        }
    }
    return true;
}

}  // namespace korvex::test
