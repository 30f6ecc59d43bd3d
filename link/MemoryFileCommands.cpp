#include "link/MemoryFileCommands.h"

#include <algorithm>

#include "link/Commands.h"
#include "link/MemoryCommands.h"
#include "model/Tables.h"

namespace korvex::cmd {

namespace {

std::string cleanWithoutPoints(std::string_view text) {
    std::string out = removeControlCharacters(text);
    std::erase(out, '.');
    return out;
}

}  // namespace

std::string fileChannelWrite(const ChannelRecord& row) {
    const std::string channel = removeControlCharacters(row[ChannelRecord::kChannel]);
    if (!channelSlot(channel)) {
        return {};
    }
    const auto digit = modeDigitFromName(row[ChannelRecord::kMode]);
    const std::string attenuator =
        removeControlCharacters(row[ChannelRecord::kAttenuator]).substr(0, 1);
    const std::string autoMode = row[ChannelRecord::kAutoMode] == "1" ? "1" : "0";
    return "MX" + channel + " RF" + cleanWithoutPoints(row[ChannelRecord::kFrequency]) + " AU" +
           autoMode + " ST" + cleanWithoutPoints(row[ChannelRecord::kStep]) + " MD" +
           std::string(1, digit.value_or('?')) + " AT" + attenuator + " TM" +
           removeControlCharacters(row[ChannelRecord::kText]) + "\r";
}

std::string memoryFileWrite(const std::vector<ChannelRecord>& rows, char target,
                            std::string_view label) {
    const std::string letter(1, target);
    std::string out = composeCommand("AF", "0") + writeProtect(false) + wmFlag(letter, false);
    for (const ChannelRecord& row : rows) {
        if (row[ChannelRecord::kPass] == "+") {
            out += fileChannelWrite(row);
        } else if (row[ChannelRecord::kPass] == "-") {
            out += deleteChannelTransfer(row[ChannelRecord::kChannel]);
        }
    }
    return out + bankTextWrite(letter, label) + bankSizesRead();
}

}  // namespace korvex::cmd
