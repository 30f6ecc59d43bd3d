#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex::sim {

// Cuts the received byte stream into commands at CR. LF bytes are dropped;
// a command that grows past kMaxLength keeps only its first kMaxLength + 1
// bytes, so it stays recognisably too long without growing without bound.
class CommandSplitter {
public:
    static constexpr size_t kMaxLength = 256;

    // Returns the commands completed by these bytes, each without its CR.
    std::vector<std::string> push(std::string_view bytes);
    const std::string& pending() const { return m_partial; }

private:
    std::string m_partial;
};

// The command as one log text: control bytes and DEL written as "<1E>".
std::string printableCommand(std::string_view command);

}  // namespace korvex::sim
