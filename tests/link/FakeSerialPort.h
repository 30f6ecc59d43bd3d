#pragma once

#include <string>
#include <vector>

#include "link/SerialPort.h"

namespace korvex::test {

// Records what is written; open or closed as the test says.
class FakeSerialPort : public SerialPort {
public:
    std::vector<std::string> writes;
    bool opened = true;
    SerialSettings current;

    void setSettings(const SerialSettings& s) override { current = s; }
    SerialSettings settings() const override { return current; }
    bool open() override { return opened = true; }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void write(std::string_view text) override { writes.emplace_back(text); }
    std::string readAll() override { return {}; }
    std::string errorText() const override { return {}; }
};

}  // namespace korvex::test
