#include "link/MemoryCommands.h"

#include <algorithm>

#include "link/Commands.h"
#include "link/Decoders.h"
#include "link/LinkHost.h"
#include "model/Receiver.h"
#include "model/Tables.h"

namespace korvex::cmd {

namespace {

constexpr std::string_view kModePositions = "WFM NFM AM  USB LSB CW  SFM WAM NAM";

std::string flagDigit(bool on) {
    return on ? "1" : "0";
}

std::string withoutPoints(std::string_view text) {
    std::string out(text);
    std::erase(out, '.');
    return out;
}

// Decodes a channel-write command text as the receiver would report the
// channel and puts the record into its slot of the current bank.
void replaceFromCommand(CReceiver& rx, std::string_view channel, std::string_view command,
                        bool autoShown = false) {
    const auto slot = channelSlot(channel);
    if (!slot || CReceiver::bankIndex(channel.front()) != rx.currentBankIndex()) {
        return;
    }
    if (!decodeMemoryChannel(command, rx.scratchChannel)) {
        return;
    }
    if (autoShown && rx.scratchChannel[ChannelRecord::kAutoMode] == "1") {
        rx.scratchChannel[ChannelRecord::kStep] = "auto";
        rx.scratchChannel[ChannelRecord::kMode] = "auto";
    }
    if (rx.replaceChannel(*slot, rx.scratchChannel)) {
        rx.listChanged = true;
    }
}

// A built command without its CR, as a reply line would show it.
std::string_view withoutCr(std::string_view command) {
    return command.substr(0, command.size() - 1);
}

std::string wrapAfc(const CReceiver& rx, std::string body) {
    if (!rx.afc) {
        return body;
    }
    return "AF0\r" + body + "AF1\r";
}

}  // namespace

std::optional<std::size_t> channelSlot(std::string_view channel) {
    if (channel.size() != 3 || !CReceiver::isBankLetter(channel[0])) {
        return std::nullopt;
    }
    const char tens = channel[1];
    const char ones = channel[2];
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9') {
        return std::nullopt;
    }
    return static_cast<std::size_t>((tens - '0') * 10 + (ones - '0'));
}

std::string storeChannel(CReceiver& rx, std::string_view channel, std::string_view frequency,
                         std::string_view name, bool mark2) {
    const std::string ch = removeControlCharacters(channel);
    if (!channelSlot(ch)) {
        return {};
    }
    const std::string rf = frequencyText(frequency, FrequencyUnit::MHz, mark2);
    if (rf.empty()) {
        return {};
    }
    const std::string write = composeCommandParts(
        "MX", {ch, " ", rf, " AU0 ST", rx.stepText, " MD", std::string(1, modeDigit(rx.mode)),
               " AT", flagDigit(rx.attenuator), " TM", name});
    replaceFromCommand(rx, ch, withoutCr(write));
    return write + composeCommand("MR", ch) + composeCommand("AF", flagDigit(rx.afc)) +
           composeCommand("NL", flagDigit(rx.noiseLimiter));
}

std::string pasteChannel(CReceiver& rx, std::string_view channel, const ChannelRecord& copied) {
    const std::string ch = removeControlCharacters(channel);
    if (!channelSlot(ch)) {
        return {};
    }
    const std::string mode = removeControlCharacters(copied[ChannelRecord::kMode]);
    const std::size_t modePos = kModePositions.find(mode);
    const char digit =
        static_cast<char>('0' + (modePos == std::string_view::npos ? 0 : modePos / 4));
    const std::string attenuator =
        removeControlCharacters(copied[ChannelRecord::kAttenuator]).substr(0, 1);
    const std::string write = composeCommandParts(
        "MX", {ch, " RF", withoutPoints(copied[ChannelRecord::kFrequency]), " AU0 ST",
               withoutPoints(copied[ChannelRecord::kStep]), " MD", std::string(1, digit), " AT",
               attenuator, " TM", copied[ChannelRecord::kText]});
    replaceFromCommand(rx, ch, withoutCr(write));
    return write + composeCommand("MR", ch);
}

std::string writeChannel(CReceiver& rx, const ChannelRecord& edited) {
    const std::string ch = removeControlCharacters(edited[ChannelRecord::kChannel]);
    if (!channelSlot(ch)) {
        return {};
    }
    const std::string write = composeCommandParts(
        "MX",
        {ch, " RF", edited[ChannelRecord::kFrequency], " AU", edited[ChannelRecord::kAutoMode],
         " ST", edited[ChannelRecord::kStep], " MD", edited[ChannelRecord::kMode], " AT",
         edited[ChannelRecord::kAttenuator], " TM", edited[ChannelRecord::kText]});
    replaceFromCommand(rx, ch, withoutCr(write), true);
    return write;
}

std::string deleteChannelTransfer(std::string_view channel) {
    const std::string ch = removeControlCharacters(channel);
    if (!channelSlot(ch)) {
        return {};
    }
    return composeCommand("MR", ch) + composeCommand("MQ", ch.substr(1));
}

std::string deleteChannel(CReceiver& rx, std::string_view channel) {
    const std::string text = deleteChannelTransfer(channel);
    if (text.empty()) {
        return {};
    }
    const std::string ch = removeControlCharacters(channel);
    replaceFromCommand(rx, ch, "MX" + ch);
    return text + "NL\rNL\r";
}

std::string bankTextWrite(std::string_view bank, std::string_view text) {
    return composeCommand("TB", bank, text);
}

std::string writeProtect(bool on) {
    return composeCommand("WP", flagDigit(on));
}

std::string wmFlag(std::string_view channel, bool on) {
    if (removeControlCharacters(channel).empty()) {
        return {};
    }
    return composeCommand("WM", channel, flagDigit(on));
}

std::string bankResize(CReceiver& rx, std::string_view letterAndSize) {
    // Same shape as a channel name: a bank letter and two digits.
    if (!channelSlot(letterAndSize)) {
        return {};
    }
    rx.bankResizeActive = true;
    return composeCommand("MW", letterAndSize);
}

std::string clearBank(CReceiver& rx, LinkHost& host, char letter) {
    const std::string readout = memoryBankReadout(rx, host, letter);
    if (readout.empty()) {
        return {};
    }
    return composeCommand("MQ", std::string_view(&letter, 1), "%%") + readout;
}

std::string memoryBankReadout(CReceiver& rx, LinkHost& host, char letter) {
    if (!CReceiver::isBankLetter(letter)) {
        host.showMessage("Reading of MemBankSizes failed. Restart the Program. Sorry.", "Error",
                         MessageKind::Error);
        return {};
    }
    rx.selectBank(letter);
    rx.clearCurrentBank();
    rx.listChanged = true;
    const int pages = std::max(1, rx.bankSize(rx.currentBankIndex()) / 10);
    std::string body = composeCommand("MA", std::string_view(&letter, 1));
    for (int page = 1; page < pages; ++page) {
        body += "MA\r";
    }
    return wrapAfc(rx, std::move(body));
}

std::string searchBankReadout(CReceiver& rx) {
    rx.searchBanks.clear();
    rx.listChanged = true;
    return wrapAfc(rx, "SR%%\rSR\rSR\rSR\r");
}

std::string selectScanReadout(CReceiver& rx) {
    rx.selectScanList.clear();
    rx.listChanged = true;
    return wrapAfc(rx, "GR\r");
}

std::string passFrequencyReadout(CReceiver& rx) {
    rx.passFrequencies.clear();
    rx.listChanged = true;
    return wrapAfc(rx, "PR\r");
}

std::string selectScanDeleteAll(CReceiver& rx) {
    return "GD%%\r" + selectScanReadout(rx);
}

std::string selectScanDelete(CReceiver& rx, std::string_view entry) {
    if (removeControlCharacters(entry).empty()) {
        return {};
    }
    return composeCommand("GD", entry) + selectScanReadout(rx);
}

std::string searchBankDelete(CReceiver& rx, std::string_view bank) {
    if (removeControlCharacters(bank).empty()) {
        return {};
    }
    return composeCommand("QS", bank) + searchBankReadout(rx);
}

std::string passDelete(char bank, std::string_view entry) {
    if (removeControlCharacters(std::string_view(&bank, 1)).empty()) {
        return {};
    }
    return composeCommand("PD", std::string_view(&bank, 1), entry);
}

}  // namespace korvex::cmd
