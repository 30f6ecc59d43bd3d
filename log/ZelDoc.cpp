#include "log/ZelDoc.h"

#include <algorithm>
#include <cstdio>
#include <new>

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
    if (frequency1 == 0 || frequency2 == 0 || stepHz <= 0) {
        return false;
    }
    scopeLower = std::min(frequency1, frequency2);
    scopeUpper = std::max(frequency1, frequency2);
    scopeStep = stepHz;
    scopeModeText = modeText;
    scopeBankText = bankText;
    scopeKind = kind;
    // Without a full scale (a settings file that never had one) every bar
    // would divide by zero: the receiver's whole level range stands in.
    scopeLevelMax = levels.levelMax > 0 ? levels.levelMax : kFullLevel;
    levelThreshold = levels.threshold;
    buildLabels();
    buildTitle();
    scopeReady = true;
    scopeStale = false;
    return true;
}

void CZelDoc::markStale() {
    scopeStale = true;
    if (scopeTitle.find("stale data") == std::string::npos) {
        scopeTitle += "  [stale data!]";
    }
}

std::uint64_t CZelDoc::binCountFor(std::uint32_t lower, std::uint32_t upper, int stepHz) {
    if (stepHz <= 0 || upper < lower) {
        return 0;
    }
    return (upper - lower) / static_cast<std::uint64_t>(stepHz) + 2;
}

std::uint64_t CZelDoc::stepCount() const {
    if (scopeStep <= 0 || scopeUpper < scopeLower) {
        return 0;
    }
    return (scopeUpper - scopeLower) / static_cast<std::uint64_t>(scopeStep);
}

bool CZelDoc::resetBins() {
    bins.clear();
    const std::uint64_t count = binCountFor(scopeLower, scopeUpper, scopeStep);
    if (count == 0 || count > kMaxBins) {
        return false;
    }
    try {
        bins.assign(static_cast<std::size_t>(count), BandscopeBin{});
    } catch (const std::bad_alloc&) {
        bins.clear();
        return false;
    }
    currentBin = 0;
    m_currentHz = -1;
    return true;
}

void CZelDoc::addSample(std::int64_t frequencyHz, int level) {
    if (scopeStep <= 0 || level < 0 || frequencyHz < static_cast<std::int64_t>(scopeLower)) {
        return;
    }
    const std::uint64_t index = static_cast<std::uint64_t>(frequencyHz - scopeLower) /
                                static_cast<std::uint64_t>(scopeStep);
    if (index >= bins.size()) {
        return;
    }
    currentBin = static_cast<int>(index);
    m_currentHz = frequencyHz;

    BandscopeBin& bin = bins[index];
    const auto l = static_cast<std::uint32_t>(level);
    bin.frequency = static_cast<std::uint32_t>(frequencyHz);
    bin.level = l;
    if (level > levelThreshold) {
        ++bin.hits;
    }
    bin.peak = std::max(bin.peak, l);
    ++bin.samples;
    bin.percent =
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(bin.hits) * 100 / bin.samples);
}

std::string CZelDoc::currentText() const {
    if (m_currentHz < 0) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "%4.4f", static_cast<double>(m_currentHz) * 0.000001);
    return text;
}

void CZelDoc::buildLabels() {
    const std::uint64_t span = scopeUpper - scopeLower;
    for (std::size_t k = 0; k < kLabelCount; ++k) {
        xLabels[k] = formatMHz(scopeLower + k * span / 5);
    }
    const double full = scopeLevelMax;
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
