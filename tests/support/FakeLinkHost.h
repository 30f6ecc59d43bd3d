#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/LinkHost.h"

namespace korvex::test {

// Records everything the core asks of the window.
class FakeLinkHost : public LinkHost {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageKind kind;
    };

    std::vector<std::string> statusTexts;
    std::vector<Message> messages;
    int beeps = 0;
    bool busy = false;
    int refreshes = 0;
    int viewRefreshes = 0;
    std::vector<std::pair<int, std::int64_t>> samples;

    void showStatus(const std::string& text) override { statusTexts.push_back(text); }
    void showMessage(const std::string& text, const std::string& caption,
                     MessageKind kind) override {
        messages.push_back({text, caption, kind});
    }
    void beep() override { ++beeps; }
    void setBusyCursor(bool b) override { busy = b; }
    void refreshFromModel() override { ++refreshes; }
    void refreshView() override { ++viewRefreshes; }
    void bandscopeSample(int level, std::int64_t hz) override { samples.emplace_back(level, hz); }
};

}  // namespace korvex::test
