#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/PollFields.h"
#include "link/ResponseParser.h"
#include "model/Receiver.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex::test {

// Every command the program sends, as the parser sees it in sentCommand,
// plus a few malformed ones.
inline constexpr std::array<std::string_view, 64> kSentCommands = {
    "RX\r",
    "AF\r",
    "NL\r",
    "DB\r",
    "SB\r",
    "XB\r",
    "TB\r",
    "GA\r",
    "MP\r",
    "GM\r",
    "BM\r",
    "GS\r",
    "BS\r",
    "OM\r",
    "VL\r",
    "LB\r",
    "GV\r",
    "MAA\r",
    "MAj\r",
    "MA\r",
    "SR%%\r",
    "SR\r",
    "GR\r",
    "PR\r",
    "MWA50\r",
    "LC0\r",
    "LC1\r",
    "LC2\r",
    "ST012500\r",
    "MD1\r",
    "AU1\r",
    "AT1\r",
    "AF1\r",
    "NL0\r",
    "GA1\r",
    "MP0\r",
    "EX\r",
    "QP\r",
    "VA\r",
    "VB\r",
    "VF\r",
    "RF0145500000\r",
    "MXA00 RF0145500000 AU0 ST012500 MD1 AT0 TMname\r",
    "MRA05\r",
    "MQ05\r",
    "MS\r",
    "SM\r",
    "SSA\r",
    "VS\r",
    "PQ5\r",
    "WP1\r",
    "WMA051\r",
    "GD%%\r",
    "QSA\r",
    "PDAx\r",
    "PW0145500000\r",
    "OM1 Hello\r",
    "GM3\r",
    "XB100\r",
    "\x1e",
    "",
    "M",
    "LC",
    "\r"};

// One parser with the state that its input drives.
struct FuzzRig {
    CReceiver rx;
    PollFields poll;
    FakeLinkHost host;
    ResponseParser parser{rx, poll, host};

    // Sets the command and the model state from a few control bytes.
    void setUp(std::uint8_t command, std::uint8_t flags, std::uint8_t state) {
        rx.sentCommand = std::string(kSentCommands[command % kSentCommands.size()]);
        rx.linkState = LinkState::Wait;
        rx.logActive = (flags & 0x01) != 0;
        rx.bandscopeRunning = (flags & 0x02) != 0;
        rx.bandscopeHalted = (flags & 0x04) != 0;
        rx.bankResizeActive = (flags & 0x08) != 0;
        poll.memWriteActive = (flags & 0x10) != 0;
        rx.operatingState = state % 12;
        rx.currentScanGroup = (state >> 4) % 10;
        rx.currentSearchGroup = (state >> 4) % 11;
        rx.selectBank(kBankLetters[state % kBankLetters.size()]);
    }

    // Keeps the lists small, so long runs stay fast.
    void trim() {
        if (rx.currentBank().size() > 200) {
            rx.currentBank().clear();
        }
        if (rx.searchBanks.size() > 200) {
            rx.searchBanks.clear();
        }
        if (rx.selectScanList.size() > 200) {
            rx.selectScanList.clear();
        }
        if (rx.passFrequencies.size() > 200) {
            rx.passFrequencies.clear();
        }
        rx.squelchEvents.clear();
        host.samples.clear();
        host.statusTexts.clear();
    }
};

}  // namespace korvex::test
