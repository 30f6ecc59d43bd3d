#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// One swept frequency of the bandscope.
struct BandscopeBin {
    std::uint32_t frequency = 0;  // Hz
    std::uint32_t level = 0;      // last level
    std::uint32_t peak = 0;       // highest level seen
    std::uint32_t hits = 0;       // samples above the threshold
    std::uint32_t samples = 0;
    std::uint32_t percent = 0;  // hits * 100 / samples

    bool operator==(const BandscopeBin&) const = default;
};

// The settings a bandscope set-up copies: full scale of the level axis and
// the level above which a sample counts as a hit.
struct ScopeLevels {
    int levelMax = 0;
    int threshold = 0;
};

// The program's one document: the activity log's entries and the
// bandscope's sweep data, shared by the list view and the bandscope view.
class CZelDoc {
public:
    static constexpr std::size_t kLabelCount = 6;

    // ---- log ----
    // Set when the log entries have changed and the log list wants a refill;
    // written by the log thread too.
    std::atomic<bool> entriesChanged{false};

    // ---- bandscope ----
    std::uint32_t scopeLower = 0;  // Hz
    std::uint32_t scopeUpper = 0;  // Hz
    int scopeStep = 0;             // Hz
    std::string scopeModeText;
    std::string scopeBankText;
    char scopeKind = 0;  // 'V' VFO search from VFO A, 'W' from VFO B, else the bank letter
    int scopeLevelMax = 0;
    int levelThreshold = 0;
    std::string scopeTitle;
    std::array<std::string, kLabelCount> xLabels;
    std::array<std::string, kLabelCount> yLabels;
    bool scopeReady = false;
    bool scopeStale = false;
    std::vector<BandscopeBin> bins;
    int currentBin = 0;
    std::string currentText;

    // Prepares a sweep between two frequencies (Hz, either order): stores
    // the range and texts, copies the levels and builds the labels and the
    // title. False, with nothing changed, when either frequency is 0. The
    // bins are left as they are.
    bool setupBandscope(std::uint32_t frequency1, std::uint32_t frequency2, int stepHz,
                        std::string_view modeText, std::string_view bankText, char kind,
                        const ScopeLevels& levels);
    void clearBins() { bins.clear(); }

private:
    void buildLabels();
    void buildTitle();
};

}  // namespace korvex
