#include "link/Decoders.h"

#include <algorithm>

#include "model/Tables.h"

namespace korvex {

namespace {

std::string orEmptyField(std::string_view value) {
    return value.empty() ? std::string(EMPTY_FIELD) : std::string(value);
}

// A report line split at its free-text tag: the tags are looked for only in
// the head, so a name such as "ST MARY RF" is never taken for a field.
struct TaggedLine {
    std::string_view head;
    std::optional<std::string_view> text;
};

TaggedLine splitAtText(std::string_view line, std::string_view textTag, std::size_t from) {
    const std::size_t pos = findFieldTag(line, textTag, from);
    if (pos == std::string_view::npos) {
        return {line, std::nullopt};
    }
    return {line.substr(0, pos), line.substr(pos + textTag.size())};
}

// The n characters after a tag in field position; nullopt without the tag.
std::optional<std::string_view> tagged(std::string_view head, std::string_view tag, std::size_t n) {
    const std::size_t pos = findFieldTag(head, tag);
    if (pos == std::string_view::npos) {
        return std::nullopt;
    }
    return afterTag(head, pos, n);
}

std::string taggedOrEmpty(std::string_view head, std::string_view tag, std::size_t n) {
    return orEmptyField(tagged(head, tag, n).value_or(std::string_view{}));
}

// Step, auto mode, mode and attenuator: fields 3 to 6 of every channel-like record.
void decodeTuning(std::string_view head, ChannelRecord& out) {
    const auto step = tagged(head, "ST", 6);
    out[ChannelRecord::kStep] =
        step && !step->empty() ? stepWithPoint(*step) : std::string(EMPTY_FIELD);
    out[ChannelRecord::kAutoMode] = taggedOrEmpty(head, "AU", 1);
    const auto mode = tagged(head, "MD", 1);
    out[ChannelRecord::kMode] =
        mode && !mode->empty() ? modeTextFromDigit(*mode) : std::string(EMPTY_FIELD);
    out[ChannelRecord::kAttenuator] = taggedOrEmpty(head, "AT", 1);
}

std::string frequencyOrEmpty(std::optional<std::string_view> digits) {
    return digits && !digits->empty() ? frequencyWithPoint(*digits) : std::string(EMPTY_FIELD);
}

}  // namespace

std::string_view charsAt(std::string_view line, std::size_t pos, std::size_t n) {
    if (pos >= line.size()) {
        return {};
    }
    return line.substr(pos, n);
}

std::size_t findFieldTag(std::string_view line, std::string_view tag, std::size_t from) {
    if (tag.empty()) {
        return std::string_view::npos;
    }
    for (std::size_t pos = line.find(tag, from); pos != std::string_view::npos;
         pos = line.find(tag, pos + 1)) {
        if (pos == 0 || line[pos - 1] == ' ') {
            return pos;
        }
    }
    return std::string_view::npos;
}

std::optional<bool> flagAfterTag(std::string_view line, std::size_t tagPos) {
    const std::string_view c = afterTag(line, tagPos, 1);
    if (c.empty()) {
        return std::nullopt;
    }
    return flagOn(c.front());
}

std::optional<std::int64_t> parseDigits(std::string_view text) {
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string_view headBeforeText(std::string_view line) {
    const std::size_t end = std::min(findFieldTag(line, "TM"), findFieldTag(line, "TT"));
    return end == std::string_view::npos ? line : line.substr(0, end);
}

std::string frequencyWithPoint(std::string_view tenDigits) {
    std::string text(tenDigits);
    if (text.size() > 4) {
        text.insert(4, 1, '.');
    }
    return text;
}

std::string displayFrequency(std::string_view tenDigits) {
    std::string text = frequencyWithPoint(tenDigits);
    std::size_t zeros = 0;
    while (zeros + 1 < text.size() && text[zeros] == '0' && text[zeros + 1] != '.') {
        ++zeros;
    }
    text.erase(0, zeros);
    return text;
}

std::string stepWithPoint(std::string_view sixDigits) {
    std::string text(sixDigits);
    if (text.size() > 3) {
        text.insert(3, 1, '.');
    }
    return text;
}

std::string modeTextFromDigit(std::string_view digit) {
    if (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '8') {
        return std::string(kModeNamesByDigit[static_cast<std::size_t>(digit[0] - '0')]);
    }
    return std::string(digit);
}

bool decodeMemoryChannel(std::string_view line, ChannelRecord& out) {
    const std::size_t mx = findFieldTag(line, "MX");
    if (mx == std::string_view::npos) {
        return false;
    }
    const std::string channel = orEmptyField(afterTag(line, mx, 3));
    const TaggedLine parts = splitAtText(line, "TM", mx);
    const auto frequency = tagged(parts.head, "RF", 10);
    if (!frequency) {
        out = ChannelRecord::emptySlot(channel);
        return true;
    }
    out[ChannelRecord::kChannel] = channel;
    const auto pass = tagged(parts.head, "MP", 1);
    out[ChannelRecord::kPass] = pass && !pass->empty() ? std::string(*pass) : std::string("0");
    out[ChannelRecord::kFrequency] = frequencyOrEmpty(frequency);
    decodeTuning(parts.head, out);
    out[ChannelRecord::kText] = parts.text ? std::string(*parts.text) : std::string(EMPTY_FIELD);
    return true;
}

void decodeSearchBank(std::string_view line, ChannelRecord& out) {
    const std::string bank = orEmptyField(charsAt(line, 2, 1));
    const TaggedLine parts = splitAtText(line, "TT", 0);
    const auto lower = tagged(parts.head, "SL", 10);
    if (!lower) {
        out = ChannelRecord::emptySlot(bank);
        return;
    }
    out[ChannelRecord::kBank] = bank;
    out[ChannelRecord::kLower] = frequencyOrEmpty(lower);
    out[ChannelRecord::kUpper] = frequencyOrEmpty(tagged(parts.head, "SU", 10));
    decodeTuning(parts.head, out);
    out[ChannelRecord::kText] = parts.text ? std::string(*parts.text) : std::string(EMPTY_FIELD);
}

void decodeSelectScan(std::string_view line, ChannelRecord& out) {
    out[ChannelRecord::kIndex] = orEmptyField(charsAt(line, 2, 2));
    const TaggedLine parts = splitAtText(line, "TM", 0);
    out[ChannelRecord::kLink] = taggedOrEmpty(parts.head, "MX", 3);
    out[ChannelRecord::kFrequency] = frequencyOrEmpty(tagged(parts.head, "RF", 10));
    decodeTuning(parts.head, out);
    out[ChannelRecord::kText] = parts.text ? std::string(*parts.text) : std::string(EMPTY_FIELD);
}

void decodePassFrequency(std::string_view line, PassFrequencyRecord& out) {
    out[PassFrequencyRecord::kChannel] = std::string(charsAt(line, 0, 5));
    if (line.find("---") != std::string_view::npos) {
        out[PassFrequencyRecord::kFrequency] = std::string(EMPTY_FIELD);
        return;
    }
    const std::string_view digits = charsAt(line, 6, 10);
    out[PassFrequencyRecord::kFrequency] =
        digits.empty() ? std::string(EMPTY_FIELD) : frequencyWithPoint(digits);
}

void decodeGroupFields(std::string_view line, const GroupTags& tags, GroupRecord& out) {
    const std::string_view head = headBeforeText(line);
    const std::size_t delay = findFieldTag(head, tags.delay);
    if (delay == std::string_view::npos) {
        out[GroupRecord::kDelay] = std::string(EMPTY_FIELD);
    } else {
        std::string digits(charsAt(head, delay + 2, 1));
        digits += charsAt(head, delay + 4, 1);
        out[GroupRecord::kDelay] = orEmptyField(digits);
    }
    auto field = [&](std::string_view tag, std::size_t offset, std::size_t n) {
        const std::size_t pos = findFieldTag(head, tag);
        return pos == std::string_view::npos ? std::string(EMPTY_FIELD)
                                             : orEmptyField(charsAt(head, pos + offset, n));
    };
    out[GroupRecord::kLevelSquelch] = field(tags.levelSquelch, 3, 3);
    out[GroupRecord::kVoiceSquelch] = field(tags.voiceSquelch, 3, 3);
    out[GroupRecord::kFreePause] = field(tags.freePause, 2, 2);
    out[GroupRecord::kOption] = field(tags.option, 2, 1);
}

}  // namespace korvex
