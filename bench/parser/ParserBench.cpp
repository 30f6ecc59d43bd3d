// Parser throughput over a recorded mix of replies: the initial read-out, a
// 50-channel bank in five pages, the search banks, and a memory scan's level
// lines, each reply under the command that asked for it.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "link/PollFields.h"
#include "link/ResponseParser.h"
#include "model/Receiver.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex {
namespace {

struct Exchange {
    std::string command;
    std::string reply;  // one or more lines, CR LF terminated
    int lines;
};

std::vector<Exchange> recordedSession() {
    std::vector<Exchange> s;
    auto add = [&](std::string command, std::vector<std::string> lines) {
        std::string reply;
        for (const std::string& l : lines) {
            reply += l + "\r\n";
        }
        s.push_back({std::move(command), std::move(reply), static_cast<int>(lines.size())});
    };
    add("RX\r", {"VF RF0145500000 ST012500 AU0 MD1 AT0"});
    add("AF\r", {"AF0"});
    add("NL\r", {"NL1"});
    add("DB\r", {"DB 030"});
    add("SB\r", {"SB 040"});
    add("XB\r", {"XB+050"});
    std::vector<std::string> banks;
    for (char b : kBankLetters) {
        banks.push_back(std::string("MW ") + b + ":50 TB" + b + "Bank " + b + "   ");
    }
    add("TB\r", banks);
    add("GA\r", {"GA0"});
    add("MP\r", {"MP0"});
    add("GM\r", {"GM3 XD2.5 XB 100 XA 050 XP05 XM1"});
    add("BM\r", {"BM ABCDE-----abcde-----"});
    add("GS\r", {"GS7 SD0.9 SB+200 SA 010 SP60 AS0"});
    add("BS\r", {"BS " + std::string(40, '-')});
    add("OM\r", {"OM1 Welcome to the AR8600"});
    add("VL\r", {"VL5"});
    add("LB\r", {"LB12"});
    for (int page = 0; page < 5; ++page) {
        std::vector<std::string> lines;
        for (int n = 0; n < 10; ++n) {
            const std::string ch = std::to_string(page) + std::to_string(n);
            lines.push_back(n == 7 ? "MXA" + ch + " ---"
                                   : "MXA" + ch + " MP0 RF0145" + ch +
                                         "0000 ST012500 AU0 MD1 AT0 TMChannel " + ch);
        }
        add(page == 0 ? "MAA\r" : "MA\r", lines);
    }
    for (int page = 0; page < 4; ++page) {
        std::vector<std::string> lines;
        for (int n = 0; n < 10; ++n) {
            lines.push_back("SR" + std::string(1, kBankLetters[static_cast<std::size_t>(n)]) +
                            " SL0080000000 SU0108000000 ST100000 AU0 MD0 AT0 TTbroadcast");
        }
        add(page == 0 ? "SR%%\r" : "SR\r", lines);
    }
    std::vector<std::string> levels;
    for (int n = 0; n < 40; ++n) {
        levels.push_back(n % 5 == 4 ? "LC123 V1 RF0145500000" : "LC%012 V1");
    }
    add("LC1\r", levels);
    return s;
}

void BM_ParserThroughput(benchmark::State& state) {
    const std::vector<Exchange> session = recordedSession();
    const std::size_t chunk = static_cast<std::size_t>(state.range(0));
    CReceiver rx;
    PollFields poll;
    test::FakeLinkHost host;
    ResponseParser parser(rx, poll, host);
    rx.operatingState = kStateMemoryScan;
    rx.logActive = true;
    std::int64_t lines = 0;
    for (auto _ : state) {
        for (const Exchange& e : session) {
            rx.sentCommand = e.command;
            rx.linkState = LinkState::Wait;
            for (std::size_t pos = 0; pos < e.reply.size(); pos += chunk) {
                parser.receive(std::string_view(e.reply).substr(pos, chunk));
            }
            lines += e.lines;
        }
        state.PauseTiming();
        for (MemoryBank& bank : rx.banks) {
            bank.clear();
        }
        rx.searchBanks.clear();
        rx.squelchEvents.clear();
        state.ResumeTiming();
    }
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
// Whole replies at once, and one character per event as the port delivers them.
BENCHMARK(BM_ParserThroughput)->Arg(4096)->Arg(16)->Arg(1);

}  // namespace
}  // namespace korvex

BENCHMARK_MAIN();
