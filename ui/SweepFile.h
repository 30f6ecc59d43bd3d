#pragma once

// A bandscope sweep as CSV, for keeping, comparing and plotting elsewhere:
// the header "frequency_hz,level,peak,hits,samples,percent" and one row per
// bin. A bin that has had no sample gives the frequency it stands for.

#include <filesystem>
#include <string>

namespace korvex {

class CZelDoc;

std::string sweepCsv(const CZelDoc& doc);
// Replaces the file whole; false when it could not be written.
bool writeSweepCsv(const std::filesystem::path& file, const CZelDoc& doc);

}  // namespace korvex
