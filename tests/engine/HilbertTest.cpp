// The Hilbert shifter: its design at the rate of construction, quadrature over the band, reset.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "EngineHarness.h"

using mhtest::SetGlobalRate;

namespace {

constexpr double kPi = std::numbers::pi;

// Section coefficients of the 44.1 kHz design, first chain then second.
constexpr float kCoefs441[FX_HilbertAllPass::kSections] = {
    -0.99922901f, -0.99415874f, -0.97643620f, -0.90871179f, -0.67793560f, -0.07921009f,
    -0.99732703f, -0.98817271f, -0.95336479f, -0.82519597f, -0.43905100f, 0.49495652f,
};

void ExpectDesign441(const FX_HilbertAllPass& h) {
    for (int i = 0; i < FX_HilbertAllPass::kSections; ++i) EXPECT_NEAR(h.Coefficient(i), kCoefs441[i], 1e-7) << i;
}

}  // namespace

TEST(Hilbert, DesignFollowsTheRateAtConstructionOnly) {
    SetGlobalRate(44100.0f);
    FX_HilbertAllPass h44;
    ExpectDesign441(h44);
    SetGlobalRate(48000.0f);
    FX_HilbertAllPass h48;
    SetGlobalRate(44100.0f);  // a later change does not reach the 48 kHz object
    for (int i = 0; i < FX_HilbertAllPass::kSections; ++i) {
        // The bilinear design at 48 kHz, worked out independently in double precision.
        const double wt = 2.0 * kPi * h48.PoleFrequency(i) / 48000.0;
        EXPECT_NEAR(h48.Coefficient(i), -(1.0 - wt / 2.0) / (1.0 + wt / 2.0), 2e-6) << i;
        EXPECT_GT(std::fabs(h48.Coefficient(i) - kCoefs441[i]), 1e-5) << i;
    }
    // A period nobody can mean falls back to the 44.1 kHz design.
    for (float period : {0.0f, -1.0f / 44100.0f, NAN, INFINITY}) {
        fGlobalSampleRateOver.store(period);
        ExpectDesign441(FX_HilbertAllPass());
    }
    SetGlobalRate(44100.0f);
}

TEST(Hilbert, OutputsAreInQuadratureWithUnitGainAcrossTheBand) {
    SetGlobalRate(44100.0f);
    const double rate = 44100.0;
    for (double f : {13.5, 20.0, 100.0, 1000.0, 8000.0, 12200.0}) {
        // Two seconds to settle, then two of correlation with sin and cos: whole periods, as every
        // frequency is a multiple of 0.5 Hz.
        FX_HilbertAllPass h;
        const double w = 2.0 * kPi * f / rate;
        double i1 = 0, q1 = 0, i2 = 0, q2 = 0;
        for (int n = 0; n < 4 * rate; ++n) {
            float o1, o2;
            h.process(static_cast<float>(std::sin(w * n)), o1, o2);
            if (n < 2 * rate) continue;
            i1 += o1 * std::sin(w * n);
            q1 += o1 * std::cos(w * n);
            i2 += o2 * std::sin(w * n);
            q2 += o2 * std::cos(w * n);
        }
        const double lead = std::remainder(std::atan2(q2, i2) - std::atan2(q1, i1), 2.0 * kPi) * 180.0 / kPi;
        EXPECT_NEAR(lead, 90.0, 1.0) << f << " Hz: out2 leads out1";
        EXPECT_NEAR(std::hypot(i1, q1) / rate, 1.0, 1e-3) << f << " Hz";
        EXPECT_NEAR(std::hypot(i2, q2) / rate, 1.0, 1e-3) << f << " Hz";
    }
}

TEST(Hilbert, ConstantInputSettlesToItselfAndResetSilencesAtOnce) {
    SetGlobalRate(44100.0f);
    FX_HilbertAllPass h, fresh;
    float o1 = 0, o2 = 0;
    for (float level : {0.5f, -0.25f}) {
        for (int n = 0; n < 88200; ++n) h.process(level, o1, o2);
        // Float steady states of a section with a near -1 sit up to ulp / (1 + a), about 1300 ulps,
        // from the exact one; 1e-4 of the level is that floor, an error of -80 dB.
        EXPECT_NEAR(o1, level, 1e-4 * std::fabs(level));
        EXPECT_NEAR(o2, level, 1e-4 * std::fabs(level));
    }
    h.Reset();
    ExpectDesign441(h);
    for (int n = 0; n < 256; ++n) {  // after a reset: silence at once, then a fresh object's step response
        float f1, f2;
        h.process(n < 64 ? 0.0f : 1.0f, o1, o2);
        fresh.process(n < 64 ? 0.0f : 1.0f, f1, f2);
        ASSERT_TRUE(o1 == f1 && o2 == f2) << n;
    }
}
