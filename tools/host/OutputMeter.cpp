#include "OutputMeter.h"

#include <cmath>
#include <limits>

void OutputMeter::Measure(float* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        float x = samples[i];
        if (!std::isfinite(x)) {
            ++nonFinite;
            x = 0.0f;
            samples[i] = x;
        }
        const float magnitude = std::fabs(x);
        if (magnitude > peak) {
            peak = magnitude;
        }
        if (magnitude >= 1.0f) {
            ++overs;
        }
    }
}

double OutputMeter::PeakDb() const {
    if (peak <= 0.0f) {
        return -std::numeric_limits<double>::infinity();
    }
    return 20.0 * std::log10(static_cast<double>(peak));
}
