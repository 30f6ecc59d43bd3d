#pragma once

// A bandscope sweep as CSV, for keeping, comparing and plotting elsewhere:
// the header "frequency_hz,level,peak,hits,samples,percent" and one row per
// bin. A bin that has had no sample gives the frequency it stands for.

#include <filesystem>
#include <string>
#include <string_view>

namespace korvex {

class CZelDoc;

std::string sweepCsv(const CZelDoc& doc);
// Replaces the file whole; false when it could not be written.
bool writeSweepCsv(const std::filesystem::path& file, const CZelDoc& doc);

// The key of the PNG text entry that names the CSV file a picture belongs to,
// and its value: a 64-bit FNV-1a digest of the CSV's bytes in hexadecimal.
inline constexpr std::string_view kSweepDigestKey = "Sweep-CSV-FNV1a";
std::string sweepDigest(std::string_view csv);

// Saves a sweep's CSV and its picture (which carries sweepDigest(csv)) as a
// pair: both are complete and synced beside their targets before either is
// replaced, then the picture is renamed, then the CSV. A failure before the
// renames leaves both old files; only a kill between the two renames can
// leave a new picture beside an old CSV, and its digest then shows that
// they do not belong together. False when anything failed.
bool writeSweepPair(const std::filesystem::path& csvFile, std::string_view csv,
                    const std::filesystem::path& pngFile, std::string_view png);

}  // namespace korvex
