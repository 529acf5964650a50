// Each factory program should sound like its name. The person values are turned into what a
// listener hears (shift in Hz, delay in seconds, modulation depth and rate, distance from the
// centre of the stage) and compared against the program's intent and against other programs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>

#include "presets/FactoryPresets.h"

namespace {

const ProgramData& FactoryBank() {
    static const ProgramData* bank = [] {
        auto* filled = new ProgramData();
        PresetPrograms(filled);
        return filled;
    }();
    return *bank;
}

const Program& ByName(const char* name) {
    for (const Program& program : FactoryBank().programs)
        if (std::strcmp(program.name, name) == 0) return program;
    ADD_FAILURE() << "no program named " << name;
    return FactoryBank().programs[0];
}

constexpr float kRate = 44100.0f;

float ShiftHz(const Individual& p) { return 160.0f * (p.parPitchShift - 0.5f); }
float GlobalShiftHz(const Program& program) { return 880.0f * (program.parPitchAll - 0.5f); }
// The drift is 0.01 * v in oscillator-coefficient units, 2*sin(pi*f/fs), about 70 Hz for v = 1.
float DriftDepthHz(const Individual& p) {
    return std::asin(0.01f * p.parPitchModGain / 2.0f) * kRate / std::numbers::pi_v<float>;
}
float DriftRateHz(const Individual& p) { return 2.6f * std::pow(p.parPitchModSpeed, 3.0f) + 0.2f; }
float DelaySeconds(const Individual& p) { return p.parDelayTime / 3.0f; }
float WobbleSamples(const Individual& p) { return 550.0f * p.parDelayModGain; }
float WobbleRateHz(const Individual& p) { return 2.0f * std::pow(p.parDelayModSpeed, 4.0f) + 0.1f; }
float OffCentre(const Individual& p) { return std::fabs(p.parPan - 0.5f); }

float Mean(const Program& program, const std::function<float(const Individual&)>& measure) {
    float sum = 0.0f;
    for (const Individual& p : program.people) sum += measure(p);
    return sum / kNumPeople;
}
float Max(const Program& program, const std::function<float(const Individual&)>& measure) {
    float most = -INFINITY;
    for (const Individual& p : program.people) most = std::max(most, measure(p));
    return most;
}
float Min(const Program& program, const std::function<float(const Individual&)>& measure) {
    float least = INFINITY;
    for (const Individual& p : program.people) least = std::min(least, measure(p));
    return least;
}
float AbsShiftHz(const Individual& p) { return std::fabs(ShiftHz(p)); }

TEST(FactoryCharacter, ManyMonksIsNarrowAndCloseStadiumChantWideAndLate) {
    const Program& monks = ByName("1 Many Monks");
    const Program& stadium = ByName("3 Stadium Chant");
    EXPECT_LT(Mean(monks, AbsShiftHz), 10.0f);
    EXPECT_LE(Max(monks, AbsShiftHz), 20.0f);
    EXPECT_LT(Mean(monks, DelaySeconds), 0.15f);
    EXPECT_GT(Mean(stadium, DelaySeconds), 2.0f * Mean(monks, DelaySeconds));
    EXPECT_GE(Min(stadium, DelaySeconds), 0.1f);
    EXPECT_GE(Mean(stadium, OffCentre), 0.3f);
    EXPECT_GT(Mean(stadium, OffCentre), Mean(monks, OffCentre) + 0.1f);
}

TEST(FactoryCharacter, ChoirishIsGentleGhostMakerDrifts) {
    const Program& choir = ByName("Choirish");
    const Program& ghost = ByName("Ghost Maker");
    EXPECT_LE(Max(choir, AbsShiftHz), 10.0f);
    EXPECT_LE(Max(choir, DriftDepthHz), 6.0f);
    EXPECT_LE(Max(choir, WobbleRateHz), 0.2f);
    EXPECT_GE(Mean(ghost, DriftDepthHz), 40.0f);
    EXPECT_GT(Mean(ghost, DriftDepthHz), 10.0f * Mean(choir, DriftDepthHz));
    EXPECT_LE(Max(ghost, DriftRateHz), 0.6f);  // the ghosts drift slowly
    EXPECT_GT(GlobalShiftHz(ghost), 300.0f);
}

TEST(FactoryCharacter, FatPackIsTightAndShort) {
    const Program& pack = ByName("Fat Pack");
    EXPECT_LE(Max(pack, DelaySeconds), 0.017f);
    EXPECT_LE(Max(pack, AbsShiftHz), 8.0f);
    EXPECT_LE(Max(pack, DriftDepthHz), 4.0f);
    EXPECT_LT(Mean(pack, OffCentre), 0.15f);
}

TEST(FactoryCharacter, MonsterPanIsHardLeftOrRight) {
    const Program& monster = ByName("Monster Pan");
    EXPECT_GE(Min(monster, OffCentre), 0.44f);
    EXPECT_LT(GlobalShiftHz(monster), -100.0f);
    int left = 0;
    for (const Individual& p : monster.people) left += p.parPan < 0.5f ? 1 : 0;
    EXPECT_GT(left, 15);
    EXPECT_LT(left, 45);
}

TEST(FactoryCharacter, UpwardAndDownwardProgramsShiftTheirWay) {
    for (const char* name : {"Spin up", "Up Lilt"}) {
        SCOPED_TRACE(name);
        EXPECT_GT(Min(ByName(name), ShiftHz), 0.0f);
    }
    EXPECT_GT(Mean(ByName("Spin up"), ShiftHz), Mean(ByName("Up Lilt"), ShiftHz));
    EXPECT_LT(Max(ByName("Decender"), ShiftHz), 0.0f);
    EXPECT_LT(GlobalShiftHz(ByName("Decender")), 0.0f);
    EXPECT_LT(Mean(ByName("Ocean Deep"), ShiftHz), -20.0f);
    EXPECT_EQ(GlobalShiftHz(ByName("Ocean Deep")), -440.0f);
    EXPECT_GT(Mean(ByName("Mouse Delirium"), ShiftHz), 20.0f);
    EXPECT_EQ(GlobalShiftHz(ByName("Mouse Delirium")), 440.0f);
}

TEST(FactoryCharacter, SlowMirrorPairsAreTwinsMovingSlowly) {
    const Program& mirror = ByName("Slow Mirror");
    for (int p = 0; p < kNumPeople; p += 2) {
        SCOPED_TRACE(p);
        const Individual& a = mirror.people[p];
        const Individual& b = mirror.people[p + 1];
        EXPECT_NEAR(ShiftHz(a), -ShiftHz(b), 0.0002f);
        EXPECT_NEAR(a.parPan + b.parPan, 1.0f, 1e-6f);
        EXPECT_LT(a.parPan, 0.5f);
        EXPECT_EQ(a.parDelayTime, b.parDelayTime);
        EXPECT_EQ(a.parDelayModGain, b.parDelayModGain);
        EXPECT_EQ(a.parPitchModGain, b.parPitchModGain);
    }
    EXPECT_LE(Max(mirror, DriftRateHz), 0.21f);
    EXPECT_LE(Max(mirror, WobbleRateHz), 0.11f);
    EXPECT_LT(Mean(mirror, DriftRateHz), Mean(ByName("2 Crowded Hall"), DriftRateHz));
}

TEST(FactoryCharacter, MachinesHoldStillAndRippersTearFar) {
    for (const char* name : {"Bodiless Robot", "Metal Ear Box"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Max(ByName(name), DriftDepthHz), 0.0f);
        EXPECT_LE(Max(ByName(name), WobbleSamples), 30.0f);
    }
    EXPECT_LE(Max(ByName("Metal Ear Box"), DelaySeconds), 0.005f);
    EXPECT_GE(Mean(ByName("Bodiless Robot"), AbsShiftHz), 40.0f);
    EXPECT_GE(Min(ByName("Alien Ripper"), AbsShiftHz), 48.0f);
    EXPECT_GE(Mean(ByName("Alien Ripper"), WobbleRateHz), 1.0f);
    EXPECT_GE(Mean(ByName("Busted Larynx"), DriftDepthHz), 40.0f);
    EXPECT_GE(Mean(ByName("Busted Larynx"), DriftRateHz), 1.0f);
}

TEST(FactoryCharacter, WashAndOceanAreLateAndSwaying) {
    for (const char* name : {"Lost in the Wash", "Ocean Deep"}) {
        SCOPED_TRACE(name);
        EXPECT_GE(Mean(ByName(name), DelaySeconds), 0.2f);
        EXPECT_GE(Mean(ByName(name), WobbleSamples), 400.0f);
    }
    EXPECT_LE(Max(ByName("Ocean Deep"), WobbleRateHz), 0.12f);  // slow swells
    EXPECT_LE(Max(ByName("Ocean Deep"), DriftRateHz), 0.25f);
}

}  // namespace
