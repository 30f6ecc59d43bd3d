#include "model/MemoryFile.h"

#include <cstdio>

#include "model/Tables.h"

namespace korvex::memfile {

namespace {

constexpr std::string_view kChannelLetters = "ABCDEFGHIJabcdefghij";
constexpr std::string_view kCrLf = "\r\n";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    return text;
}

// Leading zeros become blanks, down to the digit right before the point.
std::string blankLeadingZeros(std::string text) {
    for (std::size_t i = 0; i + 1 < text.size() && text[i] == '0' && text[i + 1] != '.'; ++i) {
        text[i] = ' ';
    }
    return text;
}

std::string rightAligned(std::string_view text, std::size_t width) {
    std::string out(text);
    if (out.size() < width) {
        out.insert(0, width - out.size(), ' ');
    }
    return out;
}

std::string_view withoutLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

int channelNumber(std::string_view line) {
    return (line[1] - '0') * 10 + (line[2] - '0');
}

// Puts "0" in front while the point stands before position limit.
std::string zeroFilled(std::string text, std::size_t limit) {
    for (std::size_t i = 0; i < limit; ++i) {
        const std::size_t point = text.find('.');
        if (point != std::string::npos && point >= limit) {
            break;
        }
        text.insert(0, 1, '0');
    }
    return text;
}

// The text up to the next blank, a point put after a whole number, "0" put
// in front while the point stands before position integerDigits, then padded
// with "0" to width; rest keeps what follows.
std::string takeNumber(std::string_view& rest, std::size_t integerDigits, std::size_t width) {
    const std::size_t blank = rest.find(' ');
    std::string value(rest.substr(0, blank));
    rest = blank == std::string_view::npos ? std::string_view{} : rest.substr(blank);
    if (value.find('.') == std::string::npos) {
        value += '.';
    }
    value = zeroFilled(std::move(value), integerDigits);
    if (value.size() < width) {
        value.append(width - value.size(), '0');
    }
    return value;
}

// Blanks the first occurrence of a flag word when it stands below limit.
bool takeFlag(std::string& rest, std::string_view word, std::size_t limit) {
    const std::size_t at = rest.find(word);
    if (at == std::string::npos || at >= limit) {
        return false;
    }
    rest.replace(at, word.size(), word.size(), ' ');
    return true;
}

}  // namespace

bool inChannelOrder(const Rows& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& channel = rows[i][ChannelRecord::kChannel];
        if (channel.size() < 3 || !isDigit(channel[1]) || !isDigit(channel[2]) ||
            static_cast<std::size_t>(channelNumber(channel)) != i) {
            return false;
        }
    }
    return true;
}

std::string labelFromBankInfo(std::string_view bankInfo) {
    return std::string(trimLeft(bankInfo.size() > 4 ? bankInfo.substr(4) : std::string_view{}));
}

std::string channelLine(const ChannelRecord& row) {
    std::string line = row[ChannelRecord::kChannel] + " ";
    if (isEmptyField(row[ChannelRecord::kPass])) {
        return line + "---";
    }
    line += row[ChannelRecord::kPass] == "1" ? "P   " : "    ";
    line += blankLeadingZeros(row[ChannelRecord::kFrequency]);
    line += ' ';
    std::string step = blankLeadingZeros(row[ChannelRecord::kStep]);
    if (!step.empty()) {
        step.pop_back();
    }
    line += step;
    line += row[ChannelRecord::kAutoMode] != "0" ? "  AUTO " : "       ";
    line += rightAligned(row[ChannelRecord::kMode], 3);
    line += ' ';
    line += row[ChannelRecord::kAttenuator] == "1" ? "ATT               " : std::string(18, ' ');
    line += row[ChannelRecord::kText];
    return line;
}

std::string fileText(const Rows& rows, std::string_view label) {
    std::string text(kHeader);
    text += kCrLf;
    for (const ChannelRecord& row : rows) {
        text += channelLine(row);
        text += kCrLf;
    }
    text += kLabelPrefix;
    text += label;
    return text;
}

bool isChannelLine(std::string_view line) {
    return line.size() >= 7 && kChannelLetters.find(line[0]) != std::string_view::npos &&
           isDigit(line[1]) && isDigit(line[2]) && line[3] == ' ';
}

void forEachFileLine(std::string_view text, const std::function<void(std::string_view)>& visit) {
    // One line at a time: a file of line ends costs nothing per line.
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
        length = std::min(length, kLineLimit);
        visit(text.substr(0, length));
        text.remove_prefix(length);
    }
}

FileSummary summarize(std::string_view text) {
    FileSummary summary;
    forEachFileLine(text, [&](std::string_view line) {
        if (isChannelLine(line)) {
            if (summary.channelLines > 0 && line[0] != summary.lastLetter) {
                summary.mixed = true;
            }
            ++summary.channelLines;
            summary.highestChannel = std::max(summary.highestChannel, channelNumber(line));
            summary.lastLetter = line[0];
        }
        if (line.starts_with(kLabelPrefix)) {
            std::string_view label = withoutLineEnd(trimLeft(line.substr(6)));
            summary.label = std::string(label.substr(0, 8));
        } else {
            summary.label = std::string(kUndefinedLabel);
        }
    });
    return summary;
}

std::vector<Question> questionsFor(const FileSummary& summary, char target, std::size_t bankSize) {
    std::vector<Question> questions;
    const auto size = static_cast<int>(bankSize);
    if (summary.highestChannel > size - 1 || summary.channelLines > size) {
        questions.push_back(Question::BeyondHighest);
    }
    if (summary.channelLines < size) {
        questions.push_back(Question::FewerEntries);
    }
    if (summary.channelLines > 0 && summary.lastLetter != target) {
        questions.push_back(Question::OtherBank);
    }
    return questions;
}

// Digits, a point after integerDigits of them, then fractionDigits digits.
bool isFixedPoint(std::string_view text, std::size_t integerDigits, std::size_t fractionDigits) {
    if (text.size() != integerDigits + 1 + fractionDigits || text[integerDigits] != '.') {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != integerDigits && !isDigit(text[i])) {
            return false;
        }
    }
    return true;
}

bool isWritableChannel(const ChannelRecord& row) {
    const std::string& attenuator = row[ChannelRecord::kAttenuator];
    return isFixedPoint(row[ChannelRecord::kFrequency], 4, 6) &&
           isFixedPoint(row[ChannelRecord::kStep], 3, 3) &&
           modeDigitFromName(row[ChannelRecord::kMode]).has_value() &&
           (attenuator == "0" || attenuator == "1");
}

void applyLine(std::string_view line, char target, Rows& rows) {
    if (!isChannelLine(line)) {
        return;
    }
    const auto n = static_cast<std::size_t>(channelNumber(line));
    if (n >= rows.size()) {
        return;
    }
    ChannelRecord row = rows[n];
    row[ChannelRecord::kChannel] = std::string(1, target) + std::string(line.substr(1, 2));
    std::string_view rest = trimLeft(withoutLineEnd(line.substr(3)));
    if (rest.starts_with("---")) {
        if (!isEmptyField(row[ChannelRecord::kPass])) {
            row[ChannelRecord::kPass] = "-";
            row[ChannelRecord::kFrequency] = "---";
        }
        rows[n] = std::move(row);
        return;
    }
    std::string head(rest);
    for (const char flag : {'P', 'S', '*'}) {
        const std::size_t at = head.find(flag);
        if (at != std::string::npos && at < 3) {
            head[at] = ' ';
        }
    }
    rest = trimLeft(head);
    row[ChannelRecord::kPass] = "+";
    row[ChannelRecord::kFrequency] = takeNumber(rest, 4, 11);
    rest = trimLeft(rest);
    row[ChannelRecord::kStep] = takeNumber(rest, 3, 7);
    std::string_view after = trimLeft(rest);
    if (after.starts_with("AUTO")) {
        row[ChannelRecord::kAutoMode] = "1";
        after = trimLeft(after.substr(4));
    } else {
        row[ChannelRecord::kAutoMode] = "0";
    }
    const std::size_t blank = after.find(' ');
    row[ChannelRecord::kMode] = std::string(after.substr(0, blank));
    std::string tail(blank == std::string_view::npos ? std::string_view{} : after.substr(blank));
    // Only the flag columns are cleared: a name that holds the same letters stays whole.
    const bool attenuator = takeFlag(tail, "ATT", 5);
    takeFlag(tail, "NL", 7);
    takeFlag(tail, "AFC", 11);
    const std::size_t digit = tail.find_first_of("0123");
    if (digit != std::string::npos && digit < 13) {
        tail.erase(digit, 2);
    }
    row[ChannelRecord::kText] = std::string(trimLeft(tail).substr(0, ChannelRecord::kTextLength));
    row[ChannelRecord::kAttenuator] = attenuator ? "1" : "0";
    if (isWritableChannel(row)) {
        rows[n] = std::move(row);
    }
}

void applyFile(std::string_view text, char target, Rows& rows) {
    forEachFileLine(text, [&](std::string_view line) { applyLine(line, target, rows); });
}

}  // namespace korvex::memfile
