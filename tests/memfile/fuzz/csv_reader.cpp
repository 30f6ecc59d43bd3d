// libFuzzer: the CSV import.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/CsvBank.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    korvex::csv::importBank(text, 'b', 50);
    return 0;
}
