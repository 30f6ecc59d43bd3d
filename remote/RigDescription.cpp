#include "remote/RigDescription.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "link/FrequencyText.h"
#include "model/Receiver.h"
#include "model/Tables.h"

namespace korvex::remote {

namespace {

// The protocol's mode bits.
constexpr std::uint64_t kModeAm = 1ULL << 0;
constexpr std::uint64_t kModeCw = 1ULL << 1;
constexpr std::uint64_t kModeUsb = 1ULL << 2;
constexpr std::uint64_t kModeLsb = 1ULL << 3;
constexpr std::uint64_t kModeFm = 1ULL << 5;
constexpr std::uint64_t kModeWfm = 1ULL << 6;
constexpr std::uint64_t kModeFmn = 1ULL << 21;
constexpr std::uint64_t kModeAmn = 1ULL << 29;
constexpr std::uint64_t kAllModes =
    kModeAm | kModeCw | kModeUsb | kModeLsb | kModeFm | kModeWfm | kModeFmn | kModeAmn;

struct ModeEntry {
    std::string_view protocolName;
    std::string_view receiverName;
    int passbandHz;
    std::uint64_t bit;
};

// In the model's mode order.
constexpr std::array<ModeEntry, 9> kModes = {{
    {"WFM", "WFM", 200000, kModeWfm},
    {"FM", "NFM", 12000, kModeFm},
    {"FMN", "SFM", 6000, kModeFmn},
    {"AM", "WAM", 15000, kModeAm},
    {"AM", "AM", 6000, kModeAm},
    {"AMN", "NAM", 3000, kModeAmn},
    {"USB", "USB", 2400, kModeUsb},
    {"LSB", "LSB", 2400, kModeLsb},
    {"CW", "CW", 500, kModeCw},
}};
static_assert(kModes.size() == kModeNamesByIndex.size());

// An AM passband from here up is the wide AM's: between the two filters.
constexpr long kWideAmHz = 10000;

// The protocol's level bits of what can be read: SQL, RAWSTR, STRENGTH.
constexpr std::uint64_t kReadableLevels = (1ULL << 5) | (1ULL << 26) | (1ULL << 30);
constexpr unsigned kVfoAB = 0x3;

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

std::optional<ProtocolMode> protocolMode(int modelMode) {
    if (modelMode < 0 || modelMode >= static_cast<int>(kModes.size())) {
        return std::nullopt;
    }
    const ModeEntry& m = kModes[static_cast<std::size_t>(modelMode)];
    return ProtocolMode{m.protocolName, m.passbandHz};
}

std::optional<std::string_view> receiverModeName(std::string_view protocolName, long passbandHz,
                                                 int currentModelMode) {
    // "AM" is the plain AM unless the passband or the current mode says
    // wide; the wide AM has no name of its own.
    if (protocolName == "AM") {
        const bool inWideAm =
            currentModelMode >= 0 && currentModelMode < static_cast<int>(kModes.size()) &&
            kModes[static_cast<std::size_t>(currentModelMode)].receiverName == "WAM";
        if (passbandHz >= kWideAmHz || (passbandHz <= 0 && inWideAm)) {
            return "WAM";
        }
    }
    for (const ModeEntry& m : kModes) {
        if (m.protocolName == protocolName && m.receiverName != "WAM") {
            return m.receiverName;
        }
    }
    return std::nullopt;
}

std::string protocolModeList() {
    std::string list;
    for (const ModeEntry& m : kModes) {
        if (m.receiverName == "WAM") {
            continue;
        }
        if (!list.empty()) {
            list += ' ';
        }
        list += m.protocolName;
    }
    return list;
}

std::string_view vfoToken(int operatingState) {
    switch (operatingState) {
        case kStateVfoA:
        case kStateVvA:
        case kStateVfoSearchA:
            return "VFOA";
        case kStateVfoB:
        case kStateVvB:
        case kStateVfoSearchB:
            return "VFOB";
        case kStateMemoryRead:
        case kStateMemoryScan:
        case kStateSelectScan:
            return "MEM";
        default:
            return "VFO";
    }
}

int strengthDb(int level) {
    // 0..255 spread over S0 (-54 dB) to S9+60 dB.
    return level * 114 / 255 - 54;
}

std::string dumpState(bool mark2) {
    const long long topHz = (mark2 ? kFrequencyLimitMark2MHz : kFrequencyLimitMHz) * 1000000LL;
    std::string s;
    s += "1\n";  // protocol version
    s += "2\n";  // the network model
    s += "1\n";  // ITU region
    s += "100000.000000 " + std::to_string(topHz) + ".000000 " + hex(kAllModes) + " -1 -1 " +
         hex(kVfoAB) + " 0x0\n";
    s += "0 0 0 0 0 0 0\n";  // end of the receive ranges
    s += "0 0 0 0 0 0 0\n";  // no transmit range
    for (std::string_view code : kStepCodes) {
        s += hex(kAllModes) + " " + std::to_string(std::stoi(std::string(code))) + "\n";
    }
    s += "0 0\n";
    for (const ModeEntry& m : kModes) {
        s += hex(m.bit) + " " + std::to_string(m.passbandHz) + "\n";
    }
    s += "0 0\n";
    s += "0\n0\n0\n0\n";  // no RIT, XIT, IF shift, announcements
    s += "\n\n";          // no preamplifier or attenuator steps
    s += "0x0\n0x0\n";    // functions read and set
    s += hex(kReadableLevels) + "\n0x0\n";
    s += "0x0\n0x0\n";  // parameters read and set
    s += "vfo_ops=0x0\n";
    s += "ptt_type=0x0\n";
    // Frequency and mode are read and set on the VFO in use: a client need
    // not switch the receiver's VFO back and forth to read them.
    s += "targetable_vfo=0x3\n";
    s += "has_set_vfo=1\n";
    s += "has_get_vfo=1\n";
    s += "has_set_freq=1\n";
    s += "has_get_freq=1\n";
    s += "has_set_conf=0\n";
    s += "has_get_conf=0\n";
    s += "has_power2mW=0\n";
    s += "has_mW2power=0\n";
    s += "timeout=2000\n";
    s += "rig_model=2\n";
    s += "rigctld_version=Korvex 1.41\n";
    s += "done\n";
    return s;
}

}  // namespace korvex::remote
