#include "simulator/SignalField.h"

#include <algorithm>

namespace korvex::sim {

namespace {

std::vector<Carrier> builtInCarriers() {
    return {
        // broadcast stations, always on
        {101'100'000, 150'000, 180},
        {94'300'000, 150'000, 150},
        {91'300'000, 150'000, 120},
        // airband: a continuous ATIS and keyed traffic
        {118'475'000, 12'000, 90},
        {118'100'000, 12'000, 120, 3000, 9000, 0},
        {121'800'000, 12'000, 100, 2000, 12000, 4000},
        {132'525'000, 6'000, 85, 4000, 11000, 7000},
        // 2 m and 70 cm amateur
        {144'800'000, 8'000, 90, 1000, 5000, 2500},
        {145'500'000, 8'000, 140, 4000, 6000, 1000},
        {145'612'500, 8'000, 110, 5000, 15000, 8000},
        {433'500'000, 8'000, 95, 3000, 10000, 5000},
        {438'800'000, 8'000, 120, 6000, 9000, 0},
        // PMR446, marine, CB, weather, ISM
        {446'006'250, 5'000, 130, 2000, 8000, 3000},
        {446'031'250, 5'000, 85, 3000, 11000, 6000},
        {156'800'000, 12'000, 120, 4000, 14000, 2000},
        {27'185'000, 6'000, 100, 5000, 10000, 1500},
        {162'550'000, 12'000, 110},
        {433'920'000, 15'000, 70, 1000, 4000, 500},
        {137'100'000, 20'000, 75, 20000, 40000, 10000},
    };
}

}  // namespace

SignalField::SignalField() : m_carriers(builtInCarriers()) {}

SignalField::SignalField(std::vector<Carrier> carriers, uint32_t seed)
    : m_carriers(std::move(carriers)), m_seed(seed) {}

bool SignalField::isOn(const Carrier& c, int64_t ms) const {
    if (c.onMs <= 0) {
        return true;
    }
    const int64_t period = static_cast<int64_t>(c.onMs) + std::max(c.offMs, 0);
    const int64_t t = ((ms + c.phaseMs) % period + period) % period;
    return t < c.onMs;
}

int SignalField::noise(int64_t hz, int64_t ms) const {
    // A hash of the frequency and the half-second slot: stable within a
    // slot, so a repeated reading of one frequency agrees with itself.
    uint64_t x = static_cast<uint64_t>(hz) * 0x9E3779B97F4A7C15ULL;
    x ^= static_cast<uint64_t>(ms / 500) * 0xC2B2AE3D27D4EB4FULL;
    x ^= m_seed;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 32;
    return static_cast<int>(x % 9);
}

int SignalField::level(int64_t hz, int64_t ms) const {
    int best = noise(hz, ms);
    for (const Carrier& c : m_carriers) {
        const int64_t distance = hz > c.hz ? hz - c.hz : c.hz - hz;
        if (distance >= c.halfWidthHz || !isOn(c, ms)) {
            continue;
        }
        const int64_t level = c.peak * (c.halfWidthHz - distance) / c.halfWidthHz;
        best = std::max(best, static_cast<int>(level));
    }
    return std::clamp(best, 0, 255);
}

}  // namespace korvex::sim
