#pragma once

#include <map>
#include <string>
#include <utility>

namespace korvex::test {

// The receiver's answer to each command the link tests send: the initial
// read-out, the two pages of bank sizes and pages of ten memory channels;
// an empty line acknowledges anything else (a set).
class FakeReceiver {
public:
    // The reply to "RX": the state the receiver is in.
    explicit FakeReceiver(std::string statusReply = "VA RF0145500000 ST012500 AU0 MD1 AT0\r\n")
        : m_status(std::move(statusReply)) {}

    // The bank sizes, upper-case banks first, then lower-case; 50 each.
    static std::string bankSizeLines(bool lower) {
        std::string lines;
        for (char bank = 'A'; bank <= 'J'; ++bank) {
            const char letter = lower ? static_cast<char>(bank - 'A' + 'a') : bank;
            lines += std::string("MW ") + letter + ":50 TB" + letter + "bank " + letter + "  \r\n";
        }
        return lines;
    }

    // Channels A00.. of bank A, ten a page.
    static std::string channelPage(int page) {
        std::string lines;
        for (int n = page * 10; n < page * 10 + 10; ++n) {
            const std::string number = (n < 10 ? "0" : "") + std::to_string(n);
            lines += "MXA" + number + " MP0 RF0145" + number + "0000 ST012500 AU0 MD1 AT0 TMch" +
                     number + "\r\n";
        }
        return lines;
    }

    std::string replyTo(const std::string& command) {
        static const std::map<std::string, std::string> kReplies = {
            {"AF\r", "AF1\r\n"},
            {"NL\r", "NL1\r\n"},
            {"DB\r", "DB 050\r\n"},
            {"SB\r", "SB 040\r\n"},
            {"XB\r", "XB 030\r\n"},
            {"GA\r", "GA1\r\n"},
            {"MP\r", "MP1\r\n"},
            {"GM\r", "GM3 XD0 XB 030 XA 000 XP05 XM0\r\n"},
            {"BM\r", "BM 0123456789ABCDEFGHIJ\r\n"},
            {"GS\r", "GS2 SD0 SB 040 SA 000 SP05 AS0\r\n"},
            {"BS\r", "BS 0123456789ABCDEFGHIJ0123456789abcdefghij\r\n"},
            {"OM\r", "OM1 Hello\r\n"},
            {"VL\r", "VL5\r\n"},
            {"LB\r", "LB12\r\n"},
        };
        if (command == "RX\r") {
            return m_status;
        }
        if (command == "TB\r") {
            return bankSizeLines(m_bankPages++ % 2 == 1);
        }
        if (command.starts_with("MA")) {
            return channelPage(m_channelPages++);
        }
        const auto it = kReplies.find(command);
        return it == kReplies.end() ? std::string("\r\n") : it->second;
    }

private:
    std::string m_status;
    int m_bankPages = 0;
    int m_channelPages = 0;
};

}  // namespace korvex::test
