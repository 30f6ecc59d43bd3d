#include "link/SerialPort.h"

#include <charconv>

namespace korvex {

int baudFromSettings(std::string_view settings) {
    int baud = 0;
    auto [ptr, ec] = std::from_chars(settings.data(), settings.data() + settings.size(), baud);
    if (ec != std::errc{}) {
        return 0;
    }
    const bool ends = ptr == settings.data() + settings.size() || *ptr == ',';
    if (!ends || (baud != 4800 && baud != 9600 && baud != 19200)) {
        return 0;
    }
    return baud;
}

std::string devicePathFor(const SerialSettings& settings) {
    if (!settings.device.empty()) {
        return settings.device;
    }
    int n = settings.portNumber;
    if (n < 1 || n > 4) {
        n = 1;
    }
    return "/dev/ttyS" + std::to_string(n - 1);
}

}  // namespace korvex
