#include "model/ClipboardRecord.h"

namespace korvex::clip {

namespace {

// Digits, a point after integerDigits of them, then fractionDigits digits:
// the shape of the frequency and step texts a copied row holds, so the
// channel write carries exactly the digits the receiver takes.
bool isFixedPoint(std::string_view text, std::size_t integerDigits, std::size_t fractionDigits) {
    if (text.size() != integerDigits + 1 + fractionDigits || text[integerDigits] != '.') {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != integerDigits && (text[i] < '0' || text[i] > '9')) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string makeRecord(const ChannelRecord& row) {
    std::string text(kPrefix);
    for (std::size_t i = 0; i < ChannelRecord::kFieldCount; ++i) {
        if (i > 0) {
            text += '\t';
        }
        text += row[i];
    }
    return text;
}

std::optional<ChannelRecord> parseRecord(std::string_view text, std::string_view target) {
    if (!text.starts_with(kPrefix)) {
        return std::nullopt;
    }
    // The clipboard's text ends at its first NUL.
    std::string_view rest = text.substr(kPrefix.size());
    rest = rest.substr(0, rest.find('\0'));
    if (rest.size() <= kShortestIgnored || rest.size() < 3 || target.size() != 3 ||
        kPrefix.size() + rest.size() > kLongestRecord) {
        return std::nullopt;
    }
    // The first three characters are the channel, replaced by the target
    // (set below). Every field is held to its column's width before it is
    // kept: the text is cut to what the receiver keeps, a longer field of
    // any other column is no record a copy could have made. So a huge field
    // never becomes a command.
    ChannelRecord record;
    std::size_t field = 0;
    std::string_view remaining = rest.substr(3);
    while (field < ChannelRecord::kFieldCount) {
        const std::size_t tab = remaining.find('\t');
        const bool last = field + 1 == ChannelRecord::kFieldCount || tab == std::string_view::npos;
        const std::string_view value = remaining.substr(0, tab);
        const std::size_t width = ChannelRecord::kWidths[field];
        if (field == ChannelRecord::kText) {
            record[field] = std::string(value.substr(0, width));
        } else if (field != ChannelRecord::kChannel) {
            if (value.size() > width) {
                return std::nullopt;
            }
            record[field] = std::string(value);
        }
        ++field;
        if (last) {
            break;
        }
        remaining.remove_prefix(tab + 1);
    }
    if (field < ChannelRecord::kFieldCount - 1) {
        return std::nullopt;
    }
    // Only a record a copy could have made becomes a channel write.
    const std::string& attenuator = record[ChannelRecord::kAttenuator];
    if (!isFixedPoint(record[ChannelRecord::kFrequency], 4, 6) ||
        !isFixedPoint(record[ChannelRecord::kStep], 3, 3) ||
        (attenuator != "0" && attenuator != "1")) {
        return std::nullopt;
    }
    // Whatever stood in the copied channel's place, the target is the channel.
    record[ChannelRecord::kChannel] = std::string(target);
    return record;
}

}  // namespace korvex::clip
