#pragma once

// What happens on the band the simulated receiver listens to: carriers that
// are always there (or keyed on and off at a fixed rhythm) and transmissions,
// each on one frequency for a while. A scenario is either the seeded built-in
// band (defaultScenario) or a script, usually read from a file
// (parseScenario, readScenarioFile).
//
// Times are milliseconds of the receiver's clock, which starts at 0 when the
// simulator starts: when an Ar8600 is constructed, when a PtySimulator's
// start() runs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::sim {

struct Carrier {
    int64_t hz = 0;
    int64_t halfWidthHz = 10'000;  // the level falls to the noise floor here
    int peak = 100;
    int onMs = 0;  // 0 = always on
    int offMs = 0;
    int phaseMs = 0;
    bool operator==(const Carrier&) const = default;
};

// A transmission is heard at its full level on its frequency, less within
// kTransmissionHalfWidthHz of it, and not at all further away.
inline constexpr int64_t kTransmissionHalfWidthHz = 6'000;

struct Transmission {
    int64_t startMs = 0;
    int64_t hz = 0;
    int level = 0;  // 0..255
    int64_t durationMs = 0;
    int64_t endMs() const { return startMs + durationMs; }
    bool operator==(const Transmission&) const = default;
};

struct Scenario {
    std::vector<Carrier> carriers;
    std::vector<Transmission> transmissions;
    int64_t repeatMs = 0;  // > 0: the transmissions, all starting within one period, come
                           // round again with this period
    uint32_t seed = 1;     // of the noise floor
    bool operator==(const Scenario&) const = default;
};

inline constexpr uint32_t kDefaultScenarioSeed = 1;

// The built-in band: steady broadcast, ATIS and weather carriers that no
// sample scan stops on, and transmissions of 3 to 30 s with quiet gaps on
// sample memory channels and inside the sample search banks. The seed picks
// the traffic; one seed always gives the same band. The traffic repeats
// every hour.
Scenario defaultScenario(uint32_t seed = kDefaultScenarioSeed);

// The script format: one transmission per line,
//   start_ms frequency_hz level duration_ms
// whole decimal numbers separated by blanks or tabs; "#" starts a comment
// that runs to the end of the line; blank lines are skipped. start_ms counts
// from the start of the simulator, the level is 0..255, the frequency lies
// within what the receiver tunes (100 kHz to 3000 MHz), the duration is at
// least 1 ms. A line
//   carrier frequency_hz half_width_hz level [on_ms off_ms [phase_ms]]
// adds a carrier: heard at its level on its frequency, falling to nothing
// half_width_hz away; with on_ms and off_ms it is keyed on and off at that
// rhythm (0 on_ms: always on). Without carrier lines the band is quiet
// besides its transmissions. On a bad line the result is empty and `error` (when given)
// says "line N: " and what is wrong.
std::optional<Scenario> parseScenario(std::string_view text, std::string* error);
// The same for a file; an unreadable file is an error too, and so is one
// larger than kScenarioFileLimit or anything but a regular file (a FIFO, a
// device), refused before it is read.
inline constexpr std::size_t kScenarioFileLimit = 1024 * 1024;
std::optional<Scenario> readScenarioFile(const std::string& path, std::string* error);

}  // namespace korvex::sim
