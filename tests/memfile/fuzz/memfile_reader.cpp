// libFuzzer: the memory-file reader's two passes and the commands they give.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/MemoryFileCommands.h"
#include "model/MemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvex;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    memfile::Rows rows(50, ChannelRecord::emptySlot("A00"));
    const memfile::FileSummary summary = memfile::summarize(text);
    memfile::questionsFor(summary, 'A', rows.size());
    memfile::applyFile(text, 'A', rows);
    cmd::memoryFileWrite(rows, 'A', summary.label);
    return 0;
}
