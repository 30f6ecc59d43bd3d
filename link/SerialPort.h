#pragma once

#include <string>
#include <string_view>

namespace korvex {

// Port number, settings string ("9600,N,8,2") and an optional device path
// that names the port instead of the number (/dev/ttyUSB0 and the like).
struct SerialSettings {
    int portNumber = 1;
    std::string settings = "9600,N,8,2";
    std::string device;
};

// The baud rate at the start of a settings string; 0 when it is none of
// 4800, 9600 and 19200.
int baudFromSettings(std::string_view settings);

// The device a set of settings opens: the device path when one is given,
// else /dev/ttyS0../dev/ttyS3 for port numbers 1..4.
std::string devicePathFor(const SerialSettings& settings);

// The serial line to the receiver as the link uses it: open with the
// configured settings, write a command, read whatever has arrived.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual void setSettings(const SerialSettings& settings) = 0;
    virtual SerialSettings settings() const = 0;
    // Configures the line (8N2, XON/XOFF, RTS and DTR on) and opens it.
    // On failure errorText() says why.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void write(std::string_view text) = 0;
    virtual std::string readAll() = 0;
    virtual std::string errorText() const = 0;
};

}  // namespace korvex
