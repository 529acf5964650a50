#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "engine/FX_HilbertAllPass.h"
#include "engine/GlobalSampleRate.h"

namespace {

constexpr double kPi = std::numbers::pi;

// Section coefficients of the 44.1 kHz design, first chain then second.
constexpr float kCoefs441[FX_HilbertAllPass::kSections] = {
    -0.99922901f, -0.99415874f, -0.97643620f, -0.90871179f, -0.67793560f, -0.07921009f,
    -0.99732703f, -0.98817271f, -0.95336479f, -0.82519597f, -0.43905100f, 0.49495652f,
};

void SetGlobalRate(float rate) {
    fGlobalSampleRate.store(rate);
    fGlobalSampleRateOver.store(1.0f / rate);
    iGlobalSampleRate.store(static_cast<int32_t>(rate));
}

class HilbertTest : public ::testing::Test {
protected:
    void SetUp() override { SetGlobalRate(44100.0f); }
    void TearDown() override { SetGlobalRate(44100.0f); }
};

struct Tone {
    double amplitude1, amplitude2;
    double leadDegrees;  // phase of out2 minus phase of out1, in (-180, 180]
};

// Settles on a unit sine for two seconds, then correlates both outputs with sin and cos over the
// next two seconds; every frequency used is a multiple of 0.5 Hz, so the window holds whole periods.
Tone MeasureTone(FX_HilbertAllPass& h, double frequency, double rate) {
    const int settle = static_cast<int>(2 * rate);
    const int window = static_cast<int>(2 * rate);
    const double w = 2.0 * kPi * frequency / rate;
    float o1, o2;
    for (int n = 0; n < settle; ++n) h.process(static_cast<float>(std::sin(w * n)), o1, o2);
    double i1 = 0, q1 = 0, i2 = 0, q2 = 0;
    for (int n = settle; n < settle + window; ++n) {
        const double s = std::sin(w * n), c = std::cos(w * n);
        h.process(static_cast<float>(s), o1, o2);
        i1 += o1 * s;
        q1 += o1 * c;
        i2 += o2 * s;
        q2 += o2 * c;
    }
    double lead = (std::atan2(q2, i2) - std::atan2(q1, i1)) * 180.0 / kPi;
    while (lead > 180.0) lead -= 360.0;
    while (lead <= -180.0) lead += 360.0;
    return {2.0 * std::hypot(i1, q1) / window, 2.0 * std::hypot(i2, q2) / window, lead};
}

}  // namespace

TEST_F(HilbertTest, DesignAt44100MatchesTheKnownCoefficients) {
    FX_HilbertAllPass h;
    for (int i = 0; i < FX_HilbertAllPass::kSections; ++i)
        EXPECT_NEAR(h.Coefficient(i), kCoefs441[i], 1e-7) << "section " << i;
    EXPECT_NEAR(h.PoleFrequency(0), 5.4135f, 1e-5);
    EXPECT_NEAR(h.PoleFrequency(5), 11976.867f, 1e-2);
    EXPECT_NEAR(h.PoleFrequency(11), 41551.671f, 1e-2);
}

TEST_F(HilbertTest, DesignFollowsTheRateAtConstructionOnly) {
    SetGlobalRate(48000.0f);
    FX_HilbertAllPass h48;
    SetGlobalRate(44100.0f);  // checked below: the 48 kHz object ignores this later change
    FX_HilbertAllPass h44;
    for (int i = 0; i < FX_HilbertAllPass::kSections; ++i) {
        // The bilinear design at 48 kHz, worked out independently in double precision.
        const double wt = 2.0 * kPi * h48.PoleFrequency(i) / 48000.0;
        const double expected = -(1.0 - wt / 2.0) / (1.0 + wt / 2.0);
        EXPECT_NEAR(h48.Coefficient(i), expected, 2e-6) << "section " << i;
        EXPECT_GT(std::fabs(h48.Coefficient(i) - kCoefs441[i]), 1e-5) << "section " << i;
        EXPECT_NEAR(h44.Coefficient(i), kCoefs441[i], 1e-7) << "section " << i;
    }
}

TEST_F(HilbertTest, UnusableGlobalPeriodFallsBackToFiniteDesign) {
    for (float period : {0.0f, -1.0f / 44100.0f, std::nanf(""), INFINITY}) {
        fGlobalSampleRateOver.store(period);
        FX_HilbertAllPass h;
        for (int i = 0; i < FX_HilbertAllPass::kSections; ++i)
            EXPECT_NEAR(h.Coefficient(i), kCoefs441[i], 1e-7) << "period " << period << " section " << i;
        float o1, o2;
        for (int n = 0; n < 1000; ++n) h.process(n % 2 ? 1.0f : -1.0f, o1, o2);
        EXPECT_TRUE(std::isfinite(o1) && std::isfinite(o2));
    }
}

TEST_F(HilbertTest, ConstantInputSettlesToItselfOnBothOutputs) {
    for (float level : {0.5f, -0.25f, 1.0f}) {
        FX_HilbertAllPass h;
        float o1 = 0, o2 = 0;
        for (int n = 0; n < 88200; ++n) h.process(level, o1, o2);
        // Float steady states of a section with a near -1 sit up to ulp / (1 + a), about 1300 ulps,
        // from the exact one; 1e-4 of the level is that floor, an error of -80 dB.
        EXPECT_NEAR(o1, level, 1e-4 * std::fabs(level));
        EXPECT_NEAR(o2, level, 1e-4 * std::fabs(level));
        float later1, later2;
        h.process(level, later1, later2);
        EXPECT_EQ(later1, o1);  // settled, not still drifting
        EXPECT_EQ(later2, o2);
    }
}

TEST_F(HilbertTest, OutputsAreInQuadratureAcrossTheBand) {
    for (double f : {13.5, 20.0, 100.0, 440.0, 1000.0, 3000.0, 8000.0, 10000.0, 12200.0}) {
        FX_HilbertAllPass h;
        const Tone t = MeasureTone(h, f, 44100.0);
        EXPECT_NEAR(t.leadDegrees, 90.0, 1.0) << f << " Hz";
        EXPECT_NEAR(t.amplitude1, 1.0, 1e-3) << f << " Hz";
        EXPECT_NEAR(t.amplitude2, 1.0, 1e-3) << f << " Hz";
    }
}

TEST_F(HilbertTest, QuadratureDegradesOutsideTheBandButGainStaysOne) {
    // The band edges are real: well outside them the lead is off by more than a degree.
    for (double f : {5.0, 16000.0, 20000.0}) {
        FX_HilbertAllPass h;
        const Tone t = MeasureTone(h, f, 44100.0);
        EXPECT_GT(std::fabs(t.leadDegrees - 90.0), 1.0) << f << " Hz";
        EXPECT_LT(t.leadDegrees, 90.0) << f << " Hz";
        EXPECT_NEAR(t.amplitude1, 1.0, 1e-3) << f << " Hz";
        EXPECT_NEAR(t.amplitude2, 1.0, 1e-3) << f << " Hz";
    }
}

TEST_F(HilbertTest, QuadratureHoldsAt48kWhenDesignedThere) {
    SetGlobalRate(48000.0f);
    for (double f : {20.0, 1000.0, 12000.0}) {
        FX_HilbertAllPass h;
        const Tone t = MeasureTone(h, f, 48000.0);
        EXPECT_NEAR(t.leadDegrees, 90.0, 1.0) << f << " Hz";
    }
}

TEST_F(HilbertTest, ResetSilencesAtOnceAndKeepsTheDesign) {
    FX_HilbertAllPass h;
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    float o1 = 0, o2 = 0;
    for (int n = 0; n < 4096; ++n) h.process(noise(gen), o1, o2);
    h.process(0.0f, o1, o2);
    ASSERT_NE(o1, 0.0f);  // there really was state to clear
    h.Reset();
    for (int n = 0; n < 64; ++n) {
        h.process(0.0f, o1, o2);
        ASSERT_EQ(o1, 0.0f) << "sample " << n;
        ASSERT_EQ(o2, 0.0f) << "sample " << n;
    }
    for (int i = 0; i < FX_HilbertAllPass::kSections; ++i) EXPECT_NEAR(h.Coefficient(i), kCoefs441[i], 1e-7);
    // After a reset the response to a step is the fresh object's, sample for sample.
    FX_HilbertAllPass fresh;
    for (int n = 0; n < 256; ++n) {
        float f1, f2;
        h.process(1.0f, o1, o2);
        fresh.process(1.0f, f1, f2);
        ASSERT_EQ(o1, f1);
        ASSERT_EQ(o2, f2);
    }
}
