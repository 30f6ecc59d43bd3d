#pragma once

// The receiver options of the Misc Settings dialog (opening message, LCD
// contrast, beep volume): the four message lines, and the commands that a
// change of them gives, collected in one piece or refused as a whole.

#include <array>
#include <string>
#include <string_view>

namespace korvex {

inline constexpr std::size_t kOpeningLineLength = 12;
inline constexpr std::size_t kOpeningLineCount = 4;

// The opening-message choices.
enum OpeningChoice : int { kStandardMessage = 0, kNoMessage = 1, kUserMessage = 2 };

using OpeningLines = std::array<std::string, kOpeningLineCount>;

// The model's message cut into four lines of 12 characters from the left; a
// shorter text leaves the later lines empty.
OpeningLines splitOpeningMessage(std::string_view message);
// Each line padded with blanks to 12 characters (a longer one cut), joined
// into the 48-character message.
std::string joinOpeningLines(const OpeningLines& lines);

// The choice of the model's option character: its digit "0".."2", else the
// standard message (the receiver has not told it yet).
int openingChoiceOf(char openingMode);

// The receiver options as the dialog shows them.
struct ReceiverOptions {
    int choice = kStandardMessage;
    std::string message;  // the 48-character joined text
    std::string contrast;
    std::string volume;
};

enum class OptionRefusal { None, Contrast, Volume };

struct OptionCommands {
    OptionRefusal refusal = OptionRefusal::None;
    std::string commands;  // empty when refused or nothing changed
};

// Compares the options with those at opening and collects, in this order:
// "OM" set and read when the choice or the text changed, "LB" set and read
// when the contrast changed, "VL" set and read when the volume changed. A
// contrast that is not a number 0..31 or a volume that is not a digit
// refuses the whole collection. `messageWasUnknown`: the receiver had not
// reported a message at opening; unless the choice was the user message
// then, the text sent is empty.
OptionCommands collectOptionCommands(const ReceiverOptions& atOpening, const ReceiverOptions& now,
                                     bool messageWasUnknown);

}  // namespace korvex
