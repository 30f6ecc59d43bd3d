#include "link/MemoryFileCommands.h"

#include <algorithm>

#include "link/Commands.h"
#include "link/MemoryCommands.h"
#include "model/MemoryFile.h"
#include "model/Tables.h"

namespace korvex::cmd {

namespace {

std::string withoutPoint(std::string text) {
    std::erase(text, '.');
    return text;
}

}  // namespace

std::string fileChannelWrite(const ChannelRecord& row) {
    ChannelRecord clean;
    for (std::size_t i = 0; i < ChannelRecord::kFieldCount; ++i) {
        clean[i] = removeControlCharacters(row[i]);
    }
    const std::string& channel = clean[ChannelRecord::kChannel];
    if (!channelSlot(channel) || !memfile::isWritableChannel(clean)) {
        return {};
    }
    const std::string digit(1, *modeDigitFromName(clean[ChannelRecord::kMode]));
    const std::string_view autoMode = clean[ChannelRecord::kAutoMode] == "1" ? "1" : "0";
    return composeCommandParts(
        "MX", {channel, " RF", withoutPoint(clean[ChannelRecord::kFrequency]), " AU", autoMode,
               " ST", withoutPoint(clean[ChannelRecord::kStep]), " MD", digit, " AT",
               clean[ChannelRecord::kAttenuator], " TM", clean[ChannelRecord::kText]});
}

std::string memoryFileWrite(const std::vector<ChannelRecord>& rows, char target,
                            std::string_view label) {
    const std::string letter(1, target);
    std::string out = composeCommand("AF", "0") + writeProtect(false) + wmFlag(letter, false);
    for (const ChannelRecord& row : rows) {
        const std::string pass = removeControlCharacters(row[ChannelRecord::kPass]);
        if (pass == "+") {
            out += fileChannelWrite(row);
        } else if (pass == "-") {
            out += deleteChannelTransfer(row[ChannelRecord::kChannel]);
        }
    }
    return out + bankTextWrite(letter, label) + bankSizesRead();
}

}  // namespace korvex::cmd
