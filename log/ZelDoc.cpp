#include "log/ZelDoc.h"

#include <algorithm>
#include <cstdio>

namespace korvex {

namespace {

std::string formatMHz(std::uint64_t hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(hz) / 1e6);
    return text;
}

std::string formatLevel(unsigned level) {
    char text[16];
    std::snprintf(text, sizeof text, "%.3u", level);
    return text;
}

}  // namespace

bool CZelDoc::setupBandscope(std::uint32_t frequency1, std::uint32_t frequency2, int stepHz,
                             std::string_view modeText, std::string_view bankText, char kind,
                             const ScopeLevels& levels) {
    if (frequency1 == 0 || frequency2 == 0) {
        return false;
    }
    scopeLower = std::min(frequency1, frequency2);
    scopeUpper = std::max(frequency1, frequency2);
    scopeStep = stepHz;
    scopeModeText = modeText;
    scopeBankText = bankText;
    scopeKind = kind;
    scopeLevelMax = levels.levelMax;
    levelThreshold = levels.threshold;
    buildLabels();
    buildTitle();
    scopeReady = true;
    scopeStale = false;
    return true;
}

void CZelDoc::buildLabels() {
    const std::uint64_t span = scopeUpper - scopeLower;
    for (std::size_t k = 0; k < kLabelCount; ++k) {
        xLabels[k] = formatMHz(scopeLower + k * span / 5);
    }
    // A negative full scale from a hand-edited settings file reads as 0.
    const double full = std::max(scopeLevelMax, 0);
    constexpr std::array<double, kLabelCount> kFractions = {0.0, 0.2, 0.4, 0.6, 0.8, 1.0};
    for (std::size_t k = 0; k < kLabelCount; ++k) {
        yLabels[k] = formatLevel(static_cast<unsigned>(full * kFractions[k]));
    }
}

void CZelDoc::buildTitle() {
    if (scopeKind == 'V') {
        scopeTitle = "VFO Search A";
    } else if (scopeKind == 'W') {
        scopeTitle = "VFO Search B";
    } else {
        scopeTitle = "BANK: ";
        scopeTitle += scopeKind;
        scopeTitle += "   BANK DESC: ";
        scopeTitle += scopeBankText;
    }
    scopeTitle += "   MODE: ";
    scopeTitle += scopeModeText;
    scopeTitle += "   STEP: ";
    scopeTitle += std::to_string(scopeStep);
    scopeTitle += "Hz";
}

}  // namespace korvex
