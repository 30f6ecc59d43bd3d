#include "link/OptionCommands.h"

#include <optional>

#include "link/Commands.h"

namespace korvex {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The contrast as its two digits: one or two digits, 0..31. A text that is
// no number is refused like one out of range, so it never reaches the
// receiver as "LB" with letters.
std::optional<std::string> contrastDigits(std::string_view text) {
    if (text.empty() || text.size() > 2 || !isDigit(text[0]) ||
        (text.size() == 2 && !isDigit(text[1]))) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
    }
    if (value > 31) {
        return std::nullopt;
    }
    return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

}  // namespace

OpeningLines splitOpeningMessage(std::string_view message) {
    OpeningLines lines;
    for (std::size_t i = 0; i < kOpeningLineCount; ++i) {
        const std::size_t from = i * kOpeningLineLength;
        if (from < message.size()) {
            lines[i] = std::string(message.substr(from, kOpeningLineLength));
        }
    }
    return lines;
}

std::string joinOpeningLines(const OpeningLines& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        std::string padded = line.substr(0, kOpeningLineLength);
        padded.resize(kOpeningLineLength, ' ');
        joined += padded;
    }
    return joined;
}

int openingChoiceOf(char openingMode) {
    return openingMode >= '0' && openingMode <= '2' ? openingMode - '0' : kStandardMessage;
}

OptionCommands collectOptionCommands(const ReceiverOptions& atOpening, const ReceiverOptions& now,
                                     bool messageWasUnknown) {
    OptionCommands out;
    if (now.choice != atOpening.choice || now.message != atOpening.message) {
        const bool sendEmpty = atOpening.choice != kUserMessage && messageWasUnknown;
        const char mode = static_cast<char>('0' + now.choice);
        out.commands += cmd::openingMessageSet(mode, sendEmpty ? std::string() : now.message) +
                        cmd::openingMessageRead();
    }
    if (now.contrast != atOpening.contrast) {
        const std::optional<std::string> contrast = contrastDigits(now.contrast);
        if (!contrast) {
            return {OptionRefusal::Contrast, {}};
        }
        out.commands += cmd::lbSet(*contrast) + cmd::lbRead();
    }
    if (now.volume != atOpening.volume) {
        if (now.volume.empty() || !isDigit(now.volume.front())) {
            return {OptionRefusal::Volume, {}};
        }
        out.commands += cmd::vlSet(now.volume.front()) + cmd::vlRead();
    }
    return out;
}

}  // namespace korvex
