// libFuzzer: the clipboard record as Paste reads it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/MemoryCommands.h"
#include "model/ClipboardRecord.h"
#include "model/Receiver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvex;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto record = clip::parseRecord(text, "b07")) {
        CReceiver rx;
        cmd::pasteChannel(rx, "b07", *record);
    }
    return 0;
}
