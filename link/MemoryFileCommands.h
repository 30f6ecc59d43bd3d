#pragma once

// The commands that write a previewed memory file or CSV import into a bank.

#include <string>
#include <string_view>
#include <vector>

#include "model/Records.h"

namespace korvex::cmd {

// The channel write of a row marked "+": "MX" + channel + " RF" + frequency
// and " ST" + step without their points, " AU" + auto flag, " MD" + mode
// digit ("?" for an unknown mode), " AT" + attenuator, " TM" + text, CR.
// Every field is cleaned of control characters; "" for a row whose channel
// is no bank letter and two digits.
std::string fileChannelWrite(const ChannelRecord& row);

// "AF0", "WP0", the bank's "WM" + letter + "0", one write per row marked
// "+" and one clear per row marked "-" in row order, then the bank
// description and the bank sizes read.
std::string memoryFileWrite(const std::vector<ChannelRecord>& rows, char target,
                            std::string_view label);

}  // namespace korvex::cmd
