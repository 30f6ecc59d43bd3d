#pragma once

// Writing to the log file and checking an entry's recording, with every
// failure returned instead of being lost.

#include <functional>
#include <string>
#include <string_view>

namespace korvex {

// The text to append, its lines ended with the line end it is given.
using LogLines = std::function<std::string(std::string_view lineEnd)>;

// Appends lines at the end of the log file (created when missing), all of
// them or nothing: a write that fails part way is cut off again, so no
// fragment is left for the next line to glue to. The lines end as the file's
// last line does (CR LF for a new file or one whose last line end is CR LF).
// A file whose last line lacks its end (a line torn by a kill) gets that line
// end first. The bytes are synced before it returns. 0, or the errno value of
// the failure.
int appendLogLines(const std::string& path, const LogLines& lines);
// appendLogLines with a text whose line ends are already chosen.
int appendLogText(const std::string& path, std::string_view text);

// Whether the log file can be opened for appending (it is created when
// missing); 0 or an errno value. Never blocks on a FIFO.
int probeLogFile(const std::string& path);

// The line end a rewrite of the file keeps: the one most of its lines end
// with; CR LF, the appends' own, for a file without lines or on a tie.
std::string_view logLineEndOf(const std::string& path);

// A WAV file that holds at least one sample as its header says: false when
// it is missing, empty, holds the header only, or its header is not ours.
bool usableRecording(const std::string& path);

}  // namespace korvex
