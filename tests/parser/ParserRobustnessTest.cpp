#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/parser/FuzzDriver.h"

namespace korvex::test {
namespace {

// Lines in the receiver's formats; the generator cuts, corrupts and mixes them.
const std::vector<std::string> kSeedLines = {
    "MXA00 MP0 RF0101100000 ST100000 AU0 MD0 AT0 TMname",
    "MXA01 ---",
    "MR MXb07 MP1 RF0145500000 ST012500 AU0 MD1 AT0 TMST MARY",
    "VF RF0145500000 ST012500 AU0 MD1 AT0",
    "VV VB RF2999999950 ST008330+ AU1 MD8 AT1",
    "SR SA RF0145500000 ST012500 AU0 MD1 AT0",
    "SRA SL0080000000 SU0108000000 ST100000 AU0 MD0 AT0 TTbroadcast",
    "GR03 MXB10 RF0145500000 ST012500 AU0 MD1 AT0 TMRepeater",
    "GR04 ---",
    "PRA00 0145500000",
    "PRV02 ---",
    "MW A:50 TBAAmateur ",
    "GM3 XD2.5 XB 100 XA 050 XP05 XM1",
    "GS7 SD0.9 SB+200 SA 010 SP60 AS0",
    "GV DD1.0 DB 030 DA 000 DP10 VT2",
    "BM ABCDE-----abcde-----",
    "BS ----------------------------------------",
    "LC%012 V1",
    "LC123 V1 RF0145500000",
    "XB 123",
    "XB+045",
    "OM1 Welcome",
    "VL5",
    "LB12",
    "AF1",
    "NL0",
    "GA1",
    "MP0",
    "ST012500+",
    "MD5",
    "AU1 MD2",
    "?",
};

std::string randomBytes(std::mt19937& rng, std::size_t n) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(n, '\0');
    for (char& c : s) {
        c = static_cast<char>(byte(rng));
    }
    return s;
}

// A line: a real one cut short, with bytes replaced, a real one doubled, or noise.
std::string randomLine(std::mt19937& rng) {
    std::uniform_int_distribution<std::size_t> pick(0, kSeedLines.size() - 1);
    std::string line = kSeedLines[pick(rng)];
    switch (rng() % 6) {
        case 0:
            line.resize(rng() % (line.size() + 1));
            break;
        case 1:
            for (int n = static_cast<int>(rng() % 4); n >= 0; --n) {
                line[rng() % line.size()] = static_cast<char>(rng() % 256);
            }
            break;
        case 2:
            line += kSeedLines[pick(rng)];
            break;
        case 3:
            line = randomBytes(rng, rng() % 40);
            break;
        case 4:
            line.insert(rng() % (line.size() + 1), randomBytes(rng, 1 + rng() % 3));
            break;
        default:
            break;
    }
    return line + (rng() % 8 == 0 ? "\r" : "\r\n");
}

void expectSaneState(const FuzzRig& rig) {
    const auto state = static_cast<int>(rig.rx.linkState);
    EXPECT_TRUE(state >= 0 && state <= 4);
    EXPECT_TRUE(rig.rx.operatingState >= 0 && rig.rx.operatingState <= 11);
    EXPECT_TRUE(rig.rx.mode >= 0 && rig.rx.mode <= 8);
    EXPECT_LE(rig.rx.rxBuffer.size(), ResponseParser::kMaxPartialLine + 4096);
    for (const auto& [level, hz] : rig.host.samples) {
        EXPECT_TRUE(level >= 0 && level <= 255);
        EXPECT_GE(hz, 0);
    }
}

// Several hundred thousand lines under every command and model state, cut
// into random chunks: nothing may read outside a line (the sanitizer build
// checks that) and the state stays in its ranges.
TEST(ParserRobustness, RandomLinesUnderEveryCommand) {
    std::mt19937 rng(20261208);
    FuzzRig rig;
    constexpr int kRounds = 60000;
    int lines = 0;
    for (int round = 0; round < kRounds; ++round) {
        rig.setUp(static_cast<std::uint8_t>(round % kSentCommands.size()),
                  static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()));
        std::string bytes;
        for (int n = 1 + static_cast<int>(rng() % 12); n > 0; --n, ++lines) {
            bytes += randomLine(rng);
        }
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            const std::size_t len = 1 + rng() % 64;
            rig.parser.receive(std::string_view(bytes).substr(pos, len));
            pos += len;
        }
        if (round % 64 == 0) {
            expectSaneState(rig);
            rig.trim();
        }
    }
    expectSaneState(rig);
    EXPECT_GT(lines, 200000);
}

// Any bytes as one line, for every command: the parser takes it as
// currentLine directly, so lines with CR or LF inside are covered too.
TEST(ParserRobustness, EveryShortLineUnderEveryCommand) {
    std::mt19937 rng(7);
    FuzzRig rig;
    for (std::size_t c = 0; c < kSentCommands.size(); ++c) {
        for (int n = 0; n < 2000; ++n) {
            rig.setUp(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(rng()),
                      static_cast<std::uint8_t>(rng()));
            rig.rx.currentLine = randomBytes(rng, rng() % 24);
            rig.parser.parseLine();
        }
        rig.trim();
    }
    expectSaneState(rig);
}

}  // namespace
}  // namespace korvex::test
