// A few factory programs should sound like their names. Person values are turned into what a
// listener hears (shift in Hz, delay in seconds, drift depth and rate, distance from the centre)
// and one statistic over the 60 people must fall in the range the name promises.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "FactoryBank.h"

namespace {

float ShiftHz(const Individual& p) { return 160.0f * (p.parPitchShift - 0.5f); }
float AbsShiftHz(const Individual& p) { return std::fabs(ShiftHz(p)); }
// The drift is 0.01 * v in oscillator-coefficient units, 2*sin(pi*f/fs), about 70 Hz for v = 1.
float DriftDepthHz(const Individual& p) {
    return std::asin(0.01f * p.parPitchModGain / 2.0f) * 44100.0f / std::numbers::pi_v<float>;
}
float DriftRateHz(const Individual& p) { return 2.6f * std::pow(p.parPitchModSpeed, 3.0f) + 0.2f; }
float WobbleRateHz(const Individual& p) { return 2.0f * std::pow(p.parDelayModSpeed, 4.0f) + 0.1f; }
float DelaySeconds(const Individual& p) { return p.parDelayTime / 3.0f; }
float OffCentre(const Individual& p) { return std::fabs(p.parPan - 0.5f); }
float OnTheLeft(const Individual& p) { return p.parPan < 0.5f ? 1.0f : 0.0f; }

enum Stat { kMin, kMean, kMax };
struct Promise {
    const char* program;
    float (*measure)(const Individual&);
    Stat stat;
    float low, high;
};

const Promise kPromises[] = {
    {"1 Many Monks", AbsShiftHz, kMax, 0.0f, 20.0f},   {"1 Many Monks", DelaySeconds, kMean, 0.0f, 0.15f},
    {"3 Stadium Chant", DelaySeconds, kMin, 0.1f, 0.34f}, {"3 Stadium Chant", OffCentre, kMean, 0.3f, 0.5f},
    {"Choirish", DriftDepthHz, kMax, 0.0f, 6.0f},     {"Choirish", WobbleRateHz, kMax, 0.0f, 0.2f},
    {"Ghost Maker", DriftDepthHz, kMean, 40.0f, 80.0f}, {"Ghost Maker", DriftRateHz, kMax, 0.0f, 0.6f},
    {"Fat Pack", DelaySeconds, kMax, 0.0f, 0.017f},   {"Fat Pack", AbsShiftHz, kMax, 0.0f, 8.0f},
    {"Monster Pan", OffCentre, kMin, 0.44f, 0.5f},    {"Monster Pan", OnTheLeft, kMean, 0.25f, 0.75f},
    {"Spin up", ShiftHz, kMin, 0.001f, 80.0f},        {"Up Lilt", ShiftHz, kMin, 0.001f, 80.0f},
    {"Decender", ShiftHz, kMax, -80.0f, -0.001f},     {"Ocean Deep", ShiftHz, kMean, -80.0f, -20.0f},
    {"Mouse Delirium", ShiftHz, kMean, 20.0f, 80.0f}, {"Alien Ripper", AbsShiftHz, kMin, 48.0f, 80.0f},
    {"Bodiless Robot", DriftDepthHz, kMax, 0.0f, 0.0f}, {"Metal Ear Box", DelaySeconds, kMax, 0.0f, 0.005f},
    {"Lost in the Wash", DelaySeconds, kMean, 0.2f, 0.34f}, {"Slow Mirror", DriftRateHz, kMax, 0.2f, 0.21f},
};

const Program& ByName(const char* name) {
    for (const Program& program : FactoryBank().programs)
        if (std::strcmp(program.name, name) == 0) return program;
    ADD_FAILURE() << "no program named " << name;
    return FactoryBank().programs[0];
}

TEST(FactoryCharacter, ProgramsKeepWhatTheirNamesPromise) {
    for (const Promise& promise : kPromises) {
        float least = INFINITY, most = -INFINITY, sum = 0.0f;
        for (const Individual& p : ByName(promise.program).people) {
            const float v = promise.measure(p);
            least = std::min(least, v);
            most = std::max(most, v);
            sum += v;
        }
        const float value = promise.stat == kMin ? least : promise.stat == kMax ? most : sum / kNumPeople;
        EXPECT_GE(value, promise.low) << promise.program << ", statistic " << promise.stat;
        EXPECT_LE(value, promise.high) << promise.program << ", statistic " << promise.stat;
    }
}

TEST(FactoryCharacter, SlowMirrorPairsAreMirroredTwins) {
    const Program& mirror = ByName("Slow Mirror");
    for (int p = 0; p < kNumPeople; p += 2) {
        const Individual& a = mirror.people[p];
        const Individual& b = mirror.people[p + 1];
        EXPECT_NEAR(ShiftHz(a), -ShiftHz(b), 0.0002f) << p;
        EXPECT_NEAR(a.parPan + b.parPan, 1.0f, 1e-6f) << p;
        EXPECT_EQ(a.parDelayTime, b.parDelayTime) << p;
    }
}

}  // namespace
