#include "simulator/Scenario.h"

#include <algorithm>

namespace korvex::sim {

namespace {

constexpr int64_t kHourMs = 3'600'000;

// How one frequency of the built-in band is used: its usual level, the quiet
// time between two transmissions and their length, in seconds.
struct Activity {
    int64_t hz;
    int level;
    int gapMinS;
    int gapMaxS;
    int lengthMinS;
    int lengthMaxS;
};

// On sample memory channels (all in banks of the sample scan groups) and
// inside the sample search banks, on their search step. The tower is busy
// enough that a scan meets a transmission within a minute.
constexpr Activity kActivity[] = {
    // airband: channels a00, a02, a04, a06, a09, and one frequency of search bank A only
    {118'100'000, 120, 5, 35, 3, 12},
    {119'250'000, 95, 20, 90, 3, 15},
    {121'800'000, 100, 10, 60, 3, 10},
    {123'450'000, 70, 60, 300, 5, 20},
    {132'525'000, 85, 20, 120, 4, 15},
    {129'975'000, 80, 30, 150, 3, 12},
    // 2 m: B00, B02, and search bank B
    {145'500'000, 140, 30, 180, 5, 30},
    {145'612'500, 110, 10, 60, 5, 30},
    {145'337'500, 90, 60, 240, 5, 30},
    // 70 cm: b00, b01, and search banks C and a
    {433'500'000, 95, 40, 240, 5, 25},
    {438'800'000, 120, 15, 90, 3, 20},
    {434'600'000, 80, 60, 300, 5, 30},
    // PMR446: C00, C02, and search bank D
    {446'006'250, 130, 15, 90, 3, 15},
    {446'031'250, 85, 30, 150, 3, 12},
    {446'100'000, 70, 60, 240, 3, 15},
    // marine: c00, c02
    {156'800'000, 120, 30, 150, 4, 20},
    {156'650'000, 100, 40, 200, 3, 15},
    // taxi, railway, event security: d00, D00, G01
    {168'500'000, 110, 10, 60, 3, 8},
    {457'937'500, 90, 20, 120, 3, 10},
    {455'487'500, 95, 30, 180, 3, 12},
    // CB: E02, and search bank G
    {27'185'000, 100, 20, 120, 4, 25},
    {27'285'000, 75, 60, 240, 4, 25},
};

// Carriers for the bandscope and the searches. None sits on a memory channel
// a scan visits: 94.3 MHz and the ATIS are pass channels (A03, a01). The 2 m
// band between the sample VFOs (144 to 146 MHz) holds weak steady beacons
// under the squelch and two stronger signals that come and go, so a VFO
// search is not held for good and a sweep has something to show.
std::vector<Carrier> steadyCarriers() {
    return {
        {94'300'000, 150'000, 150},
        {99'000'000, 150'000, 170},
        {103'500'000, 150'000, 120},
        {118'475'000, 12'000, 90},
        {162'475'000, 12'000, 110},
        // 2 m: beacons, a packet burst every few seconds, a busy repeater
        {144'300'000, 6'000, 24},
        {144'487'500, 6'000, 18},
        {145'025'000, 8'000, 28},
        {144'837'500, 8'000, 120, 1'500, 4'500, 0},
        {145'950'000, 10'000, 175, 12'000, 18'000, 5'000},
    };
}

// SplitMix64: small, fast, and the same numbers on every platform (the
// standard library's distributions are not).
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}

    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [lo, hi].
    int64_t between(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(next() % static_cast<uint64_t>(hi - lo + 1));
    }

private:
    uint64_t m_state;
};

// One hour of traffic on one frequency. Its hour begins at a random moment
// with a transmission and ends with at least the shortest gap, so the
// traffic runs on without a seam when the hour comes round again.
void addTraffic(const Activity& a, Random& random, int64_t periodMs,
                std::vector<Transmission>& out) {
    const int64_t begin = random.between(0, periodMs - 1);
    for (int64_t t = 0;;) {
        const int64_t length = random.between(a.lengthMinS * 1000LL, a.lengthMaxS * 1000LL);
        if (t + length + a.gapMinS * 1000LL > periodMs) {
            return;
        }
        const int level =
            static_cast<int>(std::clamp<int64_t>(a.level + random.between(-15, 15), 45, 255));
        out.push_back({(begin + t) % periodMs, a.hz, level, length});
        t += length + random.between(a.gapMinS * 1000LL, a.gapMaxS * 1000LL);
    }
}

}  // namespace

Scenario defaultScenario(uint32_t seed) {
    Scenario s;
    s.carriers = steadyCarriers();
    s.repeatMs = kHourMs;
    s.seed = seed;
    uint64_t index = 0;
    for (const Activity& a : kActivity) {
        Random random((static_cast<uint64_t>(seed) << 32) | index++);
        addTraffic(a, random, s.repeatMs, s.transmissions);
    }
    std::sort(s.transmissions.begin(), s.transmissions.end(),
              [](const Transmission& a, const Transmission& b) {
                  return a.startMs != b.startMs ? a.startMs < b.startMs : a.hz < b.hz;
              });
    return s;
}

}  // namespace korvex::sim
