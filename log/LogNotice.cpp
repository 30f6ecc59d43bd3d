#include "log/LogNotice.h"

#include <array>
#include <utility>

namespace korvex {

bool CFailureNotice::fail(const std::string& text) {
    m_text = text;
    return !std::exchange(m_failing, true);
}

void CFailureNotice::succeed() {
    m_failing = false;
    m_text.clear();
}

bool isRecordingError(std::string_view text) {
    static constexpr std::array<std::string_view, 4> kPrefixes = {
        "WAVEIN:", "Error creating WAVE file ", "Error writing WAVE file ",
        "Error closing WAVE file "};
    for (const std::string_view prefix : kPrefixes) {
        if (text.substr(0, prefix.size()) == prefix) {
            return true;
        }
    }
    return false;
}

}  // namespace korvex
