#include "engine/FX_HilbertAllPass.h"

#include <cmath>

#include "engine/GlobalSampleRate.h"

namespace {

// Pole frequencies of the two chains, in units of 15 Hz.
constexpr double kPoleTable[FX_HilbertAllPass::kSections] = {
    0.3609, 2.7412, 11.1573, 44.7581, 179.6242, 798.4578,      // first chain
    1.2524, 5.5671, 22.3423, 89.6271, 364.7914, 2770.1114,     // second chain
};

constexpr float kFallbackPeriod = 1.0f / 44100.0f;

}  // namespace

FX_HilbertAllPass::FX_HilbertAllPass() {
    float period = GlobalSampleRateOver();
    // A period of 0, inf or NaN would give NaN coefficients and a shifter that never recovers.
    if (!(period > 0.0f) || !std::isfinite(period)) period = kFallbackPeriod;
    for (int i = 0; i < kSections; ++i) {
        fPoleFreq[i] = static_cast<float>(kPoleTable[i] * 15.0);
        fTimeConst[i] = 0.15915494f / fPoleFreq[i];
        fOmega[i] = 1.0f / fTimeConst[i];
        fBilinear[i] = (fOmega[i] * period * -0.5f + 1.0f) / (fOmega[i] * period * 0.5f + 1.0f);
        fCoef[i] = -fBilinear[i];
    }
    Reset();
}

void FX_HilbertAllPass::Reset() {
    for (int i = 0; i < kSections; ++i) {
        fInMem[i] = 0.0f;
        fOutMem[i] = 0.0f;
    }
}
