#include "simulator/CommandSplitter.h"

#include <cstdio>

namespace korvex::sim {

std::vector<std::string> CommandSplitter::push(std::string_view bytes) {
    std::vector<std::string> commands;
    for (char c : bytes) {
        if (c == '\r') {
            commands.push_back(std::move(m_partial));
            m_partial.clear();
        } else if (c != '\n' && m_partial.size() <= kMaxLength) {
            m_partial += c;
        }
    }
    return commands;
}

std::string printableCommand(std::string_view command) {
    std::string text;
    text.reserve(command.size());
    for (char c : command) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "<%02X>", byte);
            text += buf;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace korvex::sim
