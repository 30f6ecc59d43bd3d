#pragma once

#include <cstdint>
#include <string>

#include "link/LinkHost.h"

namespace korvex::bench {

// The window's side of the link with nothing to show: the benchmarks that
// drive the link without a window override what they count.
class SilentHost : public LinkHost {
public:
    void showStatus(const std::string&) override {}
    void showMessage(const std::string&, const std::string&, MessageKind) override {}
    void beep() override {}
    void setBusyCursor(bool) override {}
    void refreshFromModel() override {}
    void refreshView() override {}
    void bandscopeSample(int, std::int64_t) override {}
};

}  // namespace korvex::bench
