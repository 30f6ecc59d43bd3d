#include "ui/SweepFile.h"

#include <cstdint>
#include <cstdio>

#include "log/ZelDoc.h"
#include "settings/AtomicFile.h"

namespace korvex {

std::string sweepCsv(const CZelDoc& doc) {
    std::string text = "frequency_hz,level,peak,hits,samples,percent\n";
    text.reserve(text.size() + doc.bins.size() * 32);
    for (std::size_t i = 0; i < doc.bins.size(); ++i) {
        const BandscopeBin& bin = doc.bins[i];
        const std::uint64_t hz =
            bin.samples > 0
                ? bin.frequency
                : doc.scopeLower + i * static_cast<std::uint64_t>(std::max(doc.scopeStep, 0));
        text += std::to_string(hz);
        for (const std::uint32_t value :
             {bin.level, bin.peak, bin.hits, bin.samples, bin.percent}) {
            text += ',';
            text += std::to_string(value);
        }
        text += '\n';
    }
    return text;
}

bool writeSweepCsv(const std::filesystem::path& file, const CZelDoc& doc) {
    return writeFileAtomically(file, sweepCsv(doc));
}

std::string sweepDigest(std::string_view csv) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : csv) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

bool writeSweepPair(const std::filesystem::path& csvFile, std::string_view csv,
                    const std::filesystem::path& pngFile, std::string_view png) {
    PendingFile csvPending(csvFile, csv);
    if (!csvPending.ok()) {
        return false;
    }
    PendingFile pngPending(pngFile, png);
    if (!pngPending.ok()) {
        return false;
    }
    if (!pngPending.commit()) {
        return false;
    }
    return csvPending.commit();
}

}  // namespace korvex
