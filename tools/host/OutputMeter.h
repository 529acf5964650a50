// Watches the rendered samples: peak, samples at or over full scale, and samples that were not
// finite numbers (which it replaces by silence so they never reach the file).
#pragma once

#include <cstddef>
#include <cstdint>

class OutputMeter {
public:
    // Main thread: measures `count` samples in place; NaN and infinities become 0.
    void Measure(float* samples, size_t count);

    // Main thread: largest |x| so far.
    float Peak() const { return peak; }
    // Main thread: the peak in dBFS; minus infinity for silence.
    double PeakDb() const;
    // Main thread: samples with |x| >= 1.0.
    uint64_t Overs() const { return overs; }
    // Main thread: samples that were NaN or infinite.
    uint64_t NonFinite() const { return nonFinite; }

private:
    float peak = 0.0f;
    uint64_t overs = 0;
    uint64_t nonFinite = 0;
};
