#pragma once

// The simulated radio spectrum of a scenario: carriers and transmissions
// over a low noise floor. The level at a frequency and time is what the
// receiver's S-meter would read (0..255).

#include <cstdint>
#include <vector>

#include "simulator/Scenario.h"

namespace korvex::sim {

class SignalField {
public:
    // The built-in band, defaultScenario().
    SignalField();
    explicit SignalField(std::vector<Carrier> carriers, uint32_t seed = 1);
    explicit SignalField(Scenario scenario);

    int level(int64_t hz, int64_t ms) const;
    // The transmissions stay silent until startTransmissionsAt() gives the
    // moment their start times count from (0 unless held).
    void holdTransmissions() { m_held = true; }
    void startTransmissionsAt(int64_t ms) {
        m_held = false;
        m_originMs = ms;
    }
    bool transmissionsHeld() const { return m_held; }
    bool isOn(const Carrier& c, int64_t ms) const;
    const std::vector<Carrier>& carriers() const { return m_carriers; }
    // Sorted by start.
    const std::vector<Transmission>& transmissions() const { return m_transmissions; }

private:
    int noise(int64_t hz, int64_t ms) const;
    int transmissionLevel(int64_t hz, int64_t ms) const;
    int strongestAt(int64_t hz, int64_t t) const;

    std::vector<Carrier> m_carriers;
    std::vector<Transmission> m_transmissions;
    int64_t m_longestMs = 0;  // of the transmissions
    int64_t m_repeatMs = 0;
    uint32_t m_seed = 1;
    bool m_held = false;
    int64_t m_originMs = 0;
};

}  // namespace korvex::sim
