#include "simulator/SignalField.h"

#include <algorithm>

namespace korvex::sim {

SignalField::SignalField() : SignalField(defaultScenario()) {}

SignalField::SignalField(std::vector<Carrier> carriers, uint32_t seed)
    : m_carriers(std::move(carriers)), m_seed(seed) {}

SignalField::SignalField(Scenario scenario)
    : m_carriers(std::move(scenario.carriers)),
      m_transmissions(std::move(scenario.transmissions)),
      m_repeatMs(std::max<int64_t>(scenario.repeatMs, 0)),
      m_seed(scenario.seed) {
    std::stable_sort(
        m_transmissions.begin(), m_transmissions.end(),
        [](const Transmission& a, const Transmission& b) { return a.startMs < b.startMs; });
    for (const Transmission& t : m_transmissions) {
        m_longestMs = std::max(m_longestMs, t.durationMs);
    }
}

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
    // A floor of 3 with up to 9 above it: well under any squelch, visible
    // in a sweep as the band's grass.
    return 3 + static_cast<int>(x % 10);
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
    if (!m_transmissions.empty() && !m_held && ms >= m_originMs) {
        best = std::max(best, transmissionLevel(hz, ms - m_originMs));
    }
    return std::clamp(best, 0, 255);
}

int SignalField::transmissionLevel(int64_t hz, int64_t ms) const {
    if (m_repeatMs <= 0) {
        return strongestAt(hz, ms);
    }
    // The traffic of a period starts within it; a transmission that began
    // late in the previous period may still run.
    const int64_t t = (ms % m_repeatMs + m_repeatMs) % m_repeatMs;
    return std::max(strongestAt(hz, t), strongestAt(hz, t + m_repeatMs));
}

int SignalField::strongestAt(int64_t hz, int64_t t) const {
    // Only a transmission that started at most m_longestMs before t can be on.
    auto it =
        std::partition_point(m_transmissions.begin(), m_transmissions.end(),
                             [&](const Transmission& x) { return x.startMs < t - m_longestMs; });
    int best = 0;
    for (; it != m_transmissions.end() && it->startMs <= t; ++it) {
        const int64_t distance = hz > it->hz ? hz - it->hz : it->hz - hz;
        if (t >= it->endMs() || distance >= kTransmissionHalfWidthHz) {
            continue;
        }
        const int64_t level =
            it->level * (kTransmissionHalfWidthHz - distance) / kTransmissionHalfWidthHz;
        best = std::max(best, static_cast<int>(level));
    }
    return best;
}

}  // namespace korvex::sim
