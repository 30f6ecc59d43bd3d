#pragma once

// The simulated radio spectrum: a few carriers, some always on and some
// keyed on and off like voice traffic, over a low noise floor. The level at
// a frequency and time is what the receiver's S-meter would read (0..255).

#include <cstdint>
#include <vector>

namespace korvex::sim {

struct Carrier {
    int64_t hz = 0;
    int64_t halfWidthHz = 10'000;  // the level falls to the noise floor here
    int peak = 100;
    int onMs = 0;  // 0 = always on
    int offMs = 0;
    int phaseMs = 0;
};

class SignalField {
public:
    // The built-in carriers, placed on sample channels and inside the sample
    // search banks so scans stop and sweeps show peaks.
    SignalField();
    explicit SignalField(std::vector<Carrier> carriers, uint32_t seed = 1);

    int level(int64_t hz, int64_t ms) const;
    bool isOn(const Carrier& c, int64_t ms) const;
    const std::vector<Carrier>& carriers() const { return m_carriers; }

private:
    int noise(int64_t hz, int64_t ms) const;

    std::vector<Carrier> m_carriers;
    uint32_t m_seed = 1;
};

}  // namespace korvex::sim
