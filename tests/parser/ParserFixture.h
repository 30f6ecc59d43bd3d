#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "link/PollFields.h"
#include "link/ResponseParser.h"
#include "model/Receiver.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex::test {

// A receiver model, the poll fields and a recording window around one
// parser; commands are "sent" by setting what the send step would set.
class ParserFixture : public ::testing::Test {
protected:
    CReceiver rx;
    PollFields poll;
    FakeLinkHost host;
    ResponseParser parser{rx, poll, host};

    // What the send step leaves behind: the command as sentCommand, WAIT.
    void sent(std::string_view command) {
        rx.sentCommand = std::string(command);
        rx.linkState = LinkState::Wait;
    }
    // Bytes from the receiver, in one piece.
    void reply(std::string_view bytes) { parser.receive(bytes); }
    // One reply line with its CR LF.
    void replyLine(std::string_view line) {
        std::string bytes(line);
        bytes += "\r\n";
        parser.receive(bytes);
    }
    // A command and its one-line reply.
    void exchange(std::string_view command, std::string_view line) {
        sent(command);
        replyLine(line);
    }
};

}  // namespace korvex::test
