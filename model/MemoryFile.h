#pragma once

// Memory files: one bank as text, one line per channel slot and a label line
// with the bank description. Writing turns the shown rows into fixed
// columns; reading previews the file in the rows (column 1 becomes "+" for a
// channel to write, "-" for one to clear) before anything is sent.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Records.h"

namespace korvex::memfile {

using Rows = std::vector<ChannelRecord>;

inline constexpr std::string_view kHeader = "AR8200 extras memory data";
inline constexpr std::string_view kLabelPrefix = "Label: ";
inline constexpr std::string_view kUndefinedLabel = "undef";
// Every file line is read in pieces of at most this many characters.
inline constexpr std::size_t kLineLimit = 254;

// True when characters 1 and 2 of every row's column 0 give the row's index.
bool inChannelOrder(const Rows& rows);

// The bank description of a bank's view-selector text: the first four
// characters (letter and size) removed, leading blanks trimmed.
std::string labelFromBankInfo(std::string_view bankInfo);

// One channel line without its line end.
std::string channelLine(const ChannelRecord& row);
// The whole file: header, one line per row, label line without a line end.
std::string fileText(const Rows& rows, std::string_view label);

// What the first pass over a file found.
struct FileSummary {
    int channelLines = 0;
    int highestChannel = -1;
    bool mixed = false;
    char lastLetter = '\0';
    std::string label{kUndefinedLabel};
};

// A line as the reader takes a channel line: at least seven characters,
// a bank letter A..J or a..j, two digits and a blank.
bool isChannelLine(std::string_view line);
// The file cut into the reader's lines, at each LF and after kLineLimit
// characters, each given to `visit` in order; none is kept.
void forEachFileLine(std::string_view text, const std::function<void(std::string_view)>& visit);
FileSummary summarize(std::string_view text);

// The questions a read asks before the preview, in order.
enum class Question { BeyondHighest, FewerEntries, OtherBank };
std::vector<Question> questionsFor(const FileSummary& summary, char target, std::size_t bankSize);

// True when a row's frequency reads "dddd.dddddd", its step "ddd.ddd", its
// mode is one the receiver knows and its attenuator flag is "0" or "1": only
// such a row gives a channel write the receiver can take.
bool isWritableChannel(const ChannelRecord& row);

// Applies one channel line to row n (n = its channel number, below the row
// count): column 0 gets the target letter, and the row is marked "+" with
// the line's values or "-" for a clear. A number without a point is a whole
// number ("5" reads as 005.000). A line whose values give no writable channel
// leaves its row as it was, unmarked. Other lines change nothing.
void applyLine(std::string_view line, char target, Rows& rows);
// The second pass: every channel line of the file.
void applyFile(std::string_view text, char target, Rows& rows);

}  // namespace korvex::memfile
