#pragma once

// The commands that write a previewed memory file or CSV import into a bank.

#include <string>
#include <string_view>
#include <vector>

#include "model/Records.h"

namespace korvex::cmd {

// The channel write of a row marked "+": "MX" + channel + " RF" + frequency
// and " ST" + step without their points, " AU" + auto flag, " MD" + mode
// digit, " AT" + attenuator, " TM" + text, CR, through the sanitising
// builder. "" for a row whose channel is no bank letter and two digits or
// whose values would not make a well-formed write (a 10-digit frequency, a
// 6-digit step, a known mode, an attenuator flag of 0 or 1), so an unknown
// mode or a malformed number never reaches the receiver.
std::string fileChannelWrite(const ChannelRecord& row);

// "AF0", "WP0", the bank's "WM" + letter + "0", one write per row marked
// "+" and one clear per row marked "-" in row order, then the bank
// description and the bank sizes read.
std::string memoryFileWrite(const std::vector<ChannelRecord>& rows, char target,
                            std::string_view label);

}  // namespace korvex::cmd
