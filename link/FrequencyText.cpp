#include "link/FrequencyText.h"

namespace korvex {

namespace {

constexpr std::string_view kAllowed = "9876543210,.";

// Decimal value of a short digit string.
long long decimalValue(std::string_view s) {
    long long v = 0;
    for (char c : s) {
        v = v * 10 + (c - '0');
    }
    return v;
}

}  // namespace

std::string frequencyText(std::string_view text, FrequencyUnit unit, bool mark2) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (text.size() > 1 && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return {};
    }
    std::string t(text);
    if (t.find_first_of(",.") == std::string::npos) {
        t += ".0";
    }
    if (t.find_first_not_of(kAllowed) != std::string::npos) {
        return {};
    }
    const std::size_t sep = t.find_first_of(",.");
    if (t.find_last_of(",.") != sep) {
        return {};
    }
    std::string intPart = t.substr(0, sep);
    std::string fraction = t.substr(sep + 1);

    if (unit == FrequencyUnit::MHz) {
        if (intPart.size() > 4 || fraction.size() > 6) {
            return {};
        }
    } else {
        if (intPart.size() > 7 || fraction.size() > 3) {
            return {};
        }
        // kHz: seven integer digits, the point moved three places to the
        // left, so the last three kHz digits become the first MHz decimals.
        intPart.insert(0, 7 - intPart.size(), '0');
        fraction = intPart.substr(4) + fraction;
        intPart.resize(4);
    }
    intPart.insert(0, 4 - intPart.size(), '0');
    fraction.append(6 - fraction.size(), '0');

    // The receiver tunes in 50 Hz steps: drop the 1 Hz digit, keep a 10 Hz
    // digit only when it is a 0 or a 5.
    fraction[5] = '0';
    if (fraction[4] != '0' && fraction[4] != '5') {
        fraction[4] = '0';
    }
    const long long mhz = decimalValue(intPart);
    const long long hz = decimalValue(fraction);
    const long long limit = mark2 ? kFrequencyLimitMark2MHz : kFrequencyLimitMHz;
    if (mhz > limit || (mhz == limit && hz != 0) || (mhz == 0 && hz < 100000)) {
        return {};
    }
    return "RF" + intPart + fraction;
}

std::string heldFrequency(std::string_view mhz, bool mark2) {
    const std::string rf = frequencyText(mhz, FrequencyUnit::MHz, mark2);
    return rf.empty() ? rf : rf.substr(2, 4) + "." + rf.substr(6);
}

}  // namespace korvex
