#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex::sim::test {

// The reply text cut into lines at CR LF. A trailing piece without CR LF is
// returned as a last line prefixed "<unterminated>", so a test sees it.
inline std::vector<std::string> lines(std::string_view text) {
    std::vector<std::string> out;
    while (!text.empty()) {
        const size_t end = text.find("\r\n");
        if (end == std::string_view::npos) {
            out.push_back("<unterminated>" + std::string(text));
            break;
        }
        out.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return out;
}

// The ten characters after the first " RF" (a level or RX line), or empty.
inline std::string frequencyAfterRf(std::string_view line) {
    const size_t pos = line.find(" RF");
    return pos == std::string_view::npos ? std::string() : std::string(line.substr(pos + 3, 10));
}

}  // namespace korvex::sim::test
