// The parameter map: storing and reading values, host names, derivation and when it runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>

#include "EngineHarness.h"

using namespace mhtest;

namespace {

// Stores a value and derives it at once, as a block start would.
void Derive(MurmurhallPlug& engine, int index, float value) {
    engine.setParameter(index, value);
    engine.UpdateRunThrough();
}

// The internal value derived from an index; oscillator coefficients as the Hz they turn at.
double Derived(const MurmurhallPlug& e, int index) {
    const double fs = fGlobalSampleRate.load();
    const int p = (index - kNumGlobals) / kFloatsPerPerson;
    const auto& ps = e.person;
    switch (index < kNumGlobals ? index : kNumGlobals + (index - kNumGlobals) % kFloatsPerPerson) {
        case kParPopulation: return e.iPopulation;
        case kParSelected: return e.iSelected;
        case kParWet: return e.fWetGain;
        case kParSolo: return e.iSolo;
        case kParSpread: return e.fAllpassSpread;
        case kParPitchAll: return CoefHz(e.fPitchAllCoef, fs);
        case PersonParam(0, kSlotPitchShift): return CoefHz(ps.fShiftCoef[p], fs);
        case PersonParam(0, kSlotPitchModGain): return ps.fPitchModGain[p];
        case PersonParam(0, kSlotPitchModSpeed): return CoefHz(ps.fPitchLfoCoef[p], fs);
        case PersonParam(0, kSlotDelayModGain): return ps.fDelayModGain[p];
        case PersonParam(0, kSlotDelayModSpeed): return CoefHz(ps.fDelayLfoCoef[p], fs);
        case PersonParam(0, kSlotGain): return ps.fGain[p];
        default: return NAN;
    }
}

void ProcessSilence(MurmurhallPlug& engine, int frames, int block = 512) {
    Render(engine, std::vector<float>(frames, 0.0f), nullptr, 2, block);
}

}  // namespace

TEST(EngineParameters, SetStoresInTheCurrentProgramRaisesTheFlagAndOnlyZeroSixTwelveFade) {
    auto engine = MakeEngine();
    engine->SetProgramData(7, 44100.0f);
    const Program before = engine->CurrentProgram();
    engine->setParameter(736, 0.3f);
    engine->setParameter(-1, 0.3f);
    EXPECT_EQ(std::memcmp(&before, &engine->CurrentProgram(), sizeof(Program)), 0);
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);
    for (int index = 0; index < kNumParams; ++index) {
        ASSERT_EQ(engine->bParamChanged[index].load(), 0) << index;  // none raised by construction
        engine->fFadeStep.store(0.0f);
        engine->setParameter(index, 0.2f);
        const bool fades = index == kParPopulation || index == kParSolo || index == kParSpread;
        ASSERT_EQ(engine->fFadeStep.load(), fades ? -kFadeStepSize : 0.0f) << index;
        ASSERT_EQ(engine->bParamChanged[index].load(), 1) << index;
    }
    // Read back as stored, unclamped, from the current program; spare slots and outside read 0.
    engine->setParameter(29, 1.75f);
    engine->setParameter(kParDry, NAN);
    EXPECT_EQ(engine->getParameter(29), 1.75f);
    EXPECT_TRUE(std::isnan(engine->getParameter(kParDry)));
    EXPECT_EQ(engine->bank.programs[7].people[1].parPitchShift, 1.75f);
    EXPECT_NE(engine->bank.programs[0].people[1].parPitchShift, 1.75f);
    for (int index : {15, 26, 27, 28, 736, -1, 1 << 30}) EXPECT_EQ(engine->getParameter(index), 0.0f) << index;
}

TEST(EngineParameters, ValuesDeriveByTheirLaws) {
    const int shift = PersonParam(5, kSlotPitchShift), gain = PersonParam(12, kSlotGain);
    // {index, value, derived, tolerance}; rows run in order: the selection rows depend on the
    // population before them.
    const std::tuple<int, float, double, double> cases[] = {
        {kParPopulation, 0.0f, 1, 0}, {kParPopulation, 0.5f, 31, 0}, {kParPopulation, 0.9666f, 59, 0},
        {kParPopulation, 1.0f, 59, 0}, {kParPopulation, 0.008f, 1, 0}, {kParPopulation, 0.0084f, 2, 0},
        {kParPopulation, -0.5f, 1, 0}, {kParPopulation, NAN, 1, 0}, {kParPopulation, INFINITY, 59, 0},
        {kParPopulation, 0.0f, 1, 0}, {kParSelected, 0.5f, 0, 0},  // limited to one person
        {kParPopulation, 0.5f, 31, 0}, {kParSelected, 0.25f, 15, 0}, {kParSelected, 1.0f, 30, 0},
        {kParSelected, NAN, 0, 0},
        {kParSolo, 0.99f, 0, 0}, {kParSolo, 1.0f, 1, 0}, {kParSolo, 5.0f, 1, 0}, {kParSolo, NAN, 0, 0},
        {kParWet, 0.5f, 1, 1e-6}, {kParWet, 1.0f, 4, 1e-6}, {kParWet, 0.25f, 0.25, 1e-6}, {kParWet, 3.0f, 4, 1e-6},
        {kParWet, NAN, 0, 0}, {kParWet, -1.0f, 0, 0},  // dry's law, the same, is heard in the renderer's tests
        {gain, 0.0f, 0.1, 1e-7}, {gain, 1.0f, 0.5, 1e-7}, {gain, 0.5f, 0.3, 1e-7}, {gain, 9.0f, 0.5, 1e-7},
        {shift, 1.0f, 80, 0.01}, {shift, 0.0f, -80, 0.01}, {shift, 0.5f, 0, 0},
        {kParPitchAll, 1.0f, 440, 0.02}, {kParPitchAll, 0.0f, -440, 0.02}, {kParPitchAll, 0.75f, 220, 0.02},
        {shift + 2, 0.0f, 0.2, 1e-4}, {shift + 2, 0.5f, 0.525, 1e-4}, {shift + 2, 1.0f, 2.8, 1e-4},  // pitch mod. speed
        {shift + 5, 0.0f, 0.1, 1e-4}, {shift + 5, 0.5f, 0.225, 1e-4}, {shift + 5, 1.0f, 2.1, 1e-4},  // delay mod. speed
        {shift + 1, 0.5f, 0.005, 1e-9}, {shift + 4, 1.0f, 550, 0},    // depths; samples at any rate
        // Whatever is stored, the derivation works from 0..1.
        {shift, NAN, -80, 0.01}, {shift, 1.0e30f, 80, 0.01}, {kParPitchAll, -INFINITY, -440, 0.02},
        {shift + 2, INFINITY, 2.8, 1e-4}, {shift + 5, NAN, 0.1, 1e-4}, {shift + 1, NAN, 0, 0},
        {shift + 4, -1.0e30f, 0, 0}, {kParSpread, NAN, 0, 0}, {kParSpread, 7.0f, 1, 0}, {kParSpread, -1.0f, 0, 0},
    };
    for (float fs : {44100.0f, 96000.0f}) {
        auto engine = MakeEngine(fs);
        for (const auto& [index, value, expected, tolerance] : cases) {
            Derive(*engine, index, value);
            EXPECT_NEAR(Derived(*engine, index), expected, tolerance) << fs << " " << index << " " << value;
        }
    }
    auto engine = MakeEngine();
    // Each modulation slot refreshes its partner, here stored as 1 without being derived.
    const int partners[][2] = {{1, 2}, {2, 1}, {4, 5}, {5, 4}};
    const double atOne[] = {2.8, 0.01, 2.1, 550.0};
    for (int i = 0; i < 4; ++i) {
        engine->CurrentProgram().Store(PersonParam(8, partners[i][1]), 1.0f);
        Derive(*engine, PersonParam(8, partners[i][0]), 0.0f);
        EXPECT_NEAR(Derived(*engine, PersonParam(8, partners[i][1])), atOne[i], 1e-4) << i;
    }
    // Both flagged: ascending order derives the population before the selection it limits.
    Derive(*engine, kParPopulation, 0.0f);
    engine->setParameter(kParSelected, 40.0f / 60.0f);
    engine->setParameter(kParPopulation, 1.0f);
    engine->UpdateRunThrough();
    EXPECT_EQ(engine->iSelected, 40);
    // Pan: {value, left, right}; 0 is fully left, the centre about -3 dB.
    const float pans[][3] = {{0.0f, 1, 0}, {1.0f, 0, 1}, {0.5f, 0.6875f, 0.6875f},
                             {0.25f, 0.9140625f, 0.3671875f}, {NAN, 1, 0}, {2.0f, 0, 1}};
    for (const auto& [value, left, right] : pans) {
        Derive(*engine, PersonParam(30, kSlotPan), value);
        EXPECT_FLOAT_EQ(engine->person.fPan[0][30], left) << value;
        EXPECT_FLOAT_EQ(engine->person.fPan[1][30], right) << value;
    }
}

TEST(EngineParameters, DelayTimeSetsTargetAndFadesOnlyThatPerson) {
    auto engine = MakeEngine();
    const int delay = engine->person.iDelay[3];
    Derive(*engine, PersonParam(3, kSlotDelayTime), 1.0f);
    EXPECT_EQ(engine->person.iDelayTarget[3], 14699);
    EXPECT_EQ(engine->person.iDelay[3], delay) << "taken at the bottom of its fade";
    EXPECT_EQ(engine->person.fFadeInc[3], -kFadeStepSize);
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);
    // Deriving the delay already in use (a host re-sending it) must not dip the person.
    Derive(*engine, PersonParam(4, kSlotDelayTime), engine->CurrentProgram().Load(PersonParam(4, kSlotDelayTime)));
    EXPECT_EQ(engine->person.fFadeInc[4], 0.0f);
    const std::pair<float, int> targets[] = {{0.5f, 7349}, {-4.0f, 0}, {1.0e30f, 14699}};
    for (const auto& [value, target] : targets) {
        Derive(*engine, PersonParam(3, kSlotDelayTime), value);
        EXPECT_EQ(engine->person.iDelayTarget[3], target) << value;
    }
}

TEST(EngineParameters, OddRatesDeriveStableFiniteCoefficients) {
    // At 1 kHz the raw shift coefficients would sum above 2, where the oscillator grows unbounded.
    auto engine = MakeEngine(1000.0f);
    Derive(*engine, kParPitchAll, 1.0f);
    Derive(*engine, PersonParam(0, kSlotPitchShift), 1.0f);
    EXPECT_LT(std::fabs(engine->fPitchAllCoef) + std::fabs(engine->person.fShiftCoef[0]) + 0.01f, 2.0f);
    for (float bad : {0.0f, NAN, -44100.0f}) {
        fGlobalSampleRate.store(bad);  // written around SetProgramData, which would refuse it
        Derive(*engine, kParPitchAll, 1.0f);
        EXPECT_NEAR(CoefHz(engine->fPitchAllCoef, 44100.0), 440.0, 0.02) << bad;
        Derive(*engine, PersonParam(0, kSlotDelayTime), 1.0f);
        EXPECT_EQ(engine->person.iDelayTarget[0], 14699) << bad;
    }
    SetGlobalRate(44100.0f);
}

TEST(EngineParameters, HostNamesFollowTheMapAndFitTheHostField) {
    auto engine = MakeEngine();
    auto name = [&](int index) {
        char text[64];
        std::fill(std::begin(text), std::end(text), 'x');
        engine->GetParameterName(index, text);
        return std::string(text);
    };
    const std::pair<int, const char*> names[] = {
        {0, "Population"}, {1, "Selected"}, {2, "Global Wet gain"}, {3, "Global Dry gain"}, {6, "Solo"},
        {12, "Allpass Spread"}, {13, "Allpass Gain"}, {17, "Pitch Shift 1"}, {18, "Pitch M. Gain 1"},
        {19, "Pitch M. Speed 1"}, {20, "Delay Time 1"}, {21, "Delay M. Gain 1"}, {22, "Delay M. Speed 1"},
        {23, "Pan 1"}, {24, "Gain 1"}, {727, "Pitch M. Speed 60"}, {731, "Pan 60"}};
    for (const auto& [index, text] : names) EXPECT_EQ(name(index), text) << index;
    for (int index : {4, 5, 7, 8, 9, 10, 11, 14, 15, 16, 25, 26, 27, 28, 733, 734, 735, 736, -1, 100000})
        EXPECT_EQ(name(index), "NONE") << index;
    for (int i = 0; i < kNumParams; ++i) ASSERT_LT(name(i).size(), 24u) << i;
    engine->GetParameterName(0, nullptr);  // refused quietly
}

// Changes apply at a block start, never while a global fade runs; the bottom of the fade derives
// everything but leaves the flags, so the block start after the fade-in derives them once more.
TEST(EngineParameters, DerivationRunsAtBlockStartsAndAtTheFadeBottom) {
    auto engine = MakeEngine();
    Apply(*engine, {{kParSpread, 0.0f}, {kParWet, 0.25f}});
    engine->setParameter(kParWet, 0.5f);
    EXPECT_EQ(engine->fWetGain, 0.25f) << "stored, not yet derived";
    ProcessSilence(*engine, 16);
    EXPECT_TRUE(engine->fWetGain == 1.0f && engine->bParamChanged[kParWet].load() == 0);
    engine->setParameter(kParSpread, 1.0f);
    engine->setParameter(kParWet, 0.25f);
    ProcessSilence(*engine, 4000);
    EXPECT_TRUE(engine->fAllpassSpread == 0.0f && engine->fWetGain == 1.0f) << "nothing derived while fading out";
    EXPECT_EQ(engine->diffuser[0][0].GetSize(), 48);
    ProcessSilence(*engine, 2000);  // through the bottom
    EXPECT_TRUE(engine->fAllpassSpread == 1.0f && engine->fWetGain == 0.25f);
    EXPECT_EQ(engine->diffuser[0][0].GetSize(), 13278);
    // Through the fade-in one frame per block, stopping at the first frame at full gain.
    int frames = 0;
    for (; engine->fFadeStep.load() != 0.0f && frames < 6000; ++frames) ProcessSilence(*engine, 1);
    ASSERT_EQ(engine->fFadeGain, 1.0f);
    EXPECT_NEAR(frames, 4000, 2) << "5000 in all, 1000 of them already rendered";
    EXPECT_TRUE(engine->bParamChanged[kParSpread].load() == 1 && engine->bParamChanged[kParWet].load() == 1);
    // UpdateForce and the next block start derive them again, find the lengths installed in
    // silence and leave the running diffuser alone: clearing it at full level would click.
    const int before = engine->diffuser[0][0].GetPosition();
    engine->UpdateForce();
    EXPECT_EQ(engine->bParamChanged[kParWet].load(), 1) << "UpdateForce leaves the flags";
    ProcessSilence(*engine, 100);
    EXPECT_TRUE(engine->bParamChanged[kParSpread].load() == 0 && engine->bParamChanged[kParWet].load() == 0);
    EXPECT_EQ(engine->diffuser[0][0].GetPosition(), (before + 100) % 13278);
}

// A change behind a global fade swaps every delay in silence: once the fade-in is over the crowd
// is steady at full level, with no person fading again when the block start re-derives.
TEST(EngineParameters, GlobalFadeTakesNewDelaysInSilence) {
    auto engine = QuietEngine(10);
    for (int p = 0; p < 10; ++p) engine->setParameter(PersonParam(p, kSlotDelayTime), 0.01f * (p + 1));
    engine->setParameter(kParPopulation, PopulationValue(12));
    ProcessSilence(*engine, 5001);  // just past the bottom
    EXPECT_EQ(engine->fFadeStep.load(), kFadeStepSize);
    for (int p = 0; p < 12; ++p)
        EXPECT_TRUE(engine->person.iDelay[p] == engine->person.iDelayTarget[p] && engine->person.fFadeInc[p] == 0.0f) << p;
    ProcessSilence(*engine, 5100);  // the fade-in and the block start after it
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);
    for (int p = 0; p < 12; ++p) EXPECT_TRUE(engine->person.fFade[p] == 1.0f && engine->person.fFadeInc[p] == 0.0f) << p;
    EXPECT_EQ(engine->person.iDelayTarget[9], static_cast<int32_t>(0.1f * 44100.0f * 0.3333333f));
}
