// The parameter map: storing and reading values, host names, derivation and when it runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "EngineHarness.h"

using namespace mhtest;

namespace {

std::string Name(const MurmurhallPlug& engine, int index) {
    char text[64];
    std::fill(std::begin(text), std::end(text), 'x');
    engine.GetParameterName(index, text);
    return text;
}

// Stores a value and derives it at once, as a block start would.
void Derive(MurmurhallPlug& engine, int index, float value) {
    engine.setParameter(index, value);
    engine.UpdateRunThrough();
}

void ProcessSilence(MurmurhallPlug& engine, int frames) {
    std::vector<float> in(frames, 0.0f);
    Render(engine, in);
}

}  // namespace

TEST(EngineParameters, GetParameterAnswersZeroOutsideTheMapAndForSpareSlots) {
    auto engine = MakeEngine();
    for (int index : {15, 26, 27, 28, 29}) engine->setParameter(index, 0.75f);
    EXPECT_EQ(engine->getParameter(15), 0.0f);
    EXPECT_EQ(engine->getParameter(26), 0.0f);
    EXPECT_EQ(engine->getParameter(27), 0.0f);
    EXPECT_EQ(engine->getParameter(28), 0.0f);
    EXPECT_EQ(engine->getParameter(29), 0.75f);
    EXPECT_EQ(engine->getParameter(736), 0.0f);
    EXPECT_EQ(engine->getParameter(-1), 0.0f);
    EXPECT_EQ(engine->getParameter(1 << 30), 0.0f);
}

TEST(EngineParameters, ValuesAreStoredAsTheyComeInTheCurrentProgram) {
    auto engine = MakeEngine();
    engine->SetProgramData(7, 44100.0f);
    engine->setParameter(PersonParam(2, kSlotPan), 1.75f);
    engine->setParameter(kParWet, -3.0f);
    engine->setParameter(kParDry, NAN);
    EXPECT_EQ(engine->getParameter(PersonParam(2, kSlotPan)), 1.75f);
    EXPECT_EQ(engine->getParameter(kParWet), -3.0f);
    EXPECT_TRUE(std::isnan(engine->getParameter(kParDry)));
    EXPECT_EQ(engine->bank.programs[7].people[2].parPan, 1.75f);
    EXPECT_NE(engine->bank.programs[0].people[2].parPan, 1.75f) << "only the current program is written";
}

TEST(EngineParameters, OutOfRangeSetIsIgnoredWithoutFlagOrFade) {
    auto engine = MakeEngine();
    const Program before = engine->CurrentProgram();
    engine->setParameter(736, 0.3f);
    engine->setParameter(-1, 0.3f);
    EXPECT_EQ(engine->CurrentProgram().people[59].par03, before.people[59].par03);
    EXPECT_EQ(std::memcmp(&before, &engine->CurrentProgram(), sizeof(Program)), 0);
    for (int i = 0; i < kNumParams; ++i) ASSERT_EQ(engine->bParamChanged[i].load(), 0);
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);
}

TEST(EngineParameters, OnlyPopulationSoloAndSpreadStartAGlobalFade) {
    auto engine = MakeEngine();
    for (int index = 0; index < kNumParams; ++index) {
        engine->fFadeStep.store(0.0f);
        engine->setParameter(index, 0.2f);
        const bool fades = index == kParPopulation || index == kParSolo || index == kParSpread;
        ASSERT_EQ(engine->fFadeStep.load(), fades ? -kFadeStepSize : 0.0f) << index;
        ASSERT_EQ(engine->bParamChanged[index].load(), 1) << index;
    }
}

TEST(EngineParameters, WetGainAppliesAtTheNextBlockStartWithoutFade) {
    auto engine = MakeEngine();
    Derive(*engine, kParWet, 0.25f);
    ASSERT_FLOAT_EQ(engine->fWetGain, 0.25f);

    engine->setParameter(kParWet, 0.5f);
    EXPECT_FLOAT_EQ(engine->fWetGain, 0.25f) << "stored, not yet derived";
    EXPECT_EQ(engine->bParamChanged[kParWet].load(), 1);
    ProcessSilence(*engine, 16);
    EXPECT_FLOAT_EQ(engine->fWetGain, 1.0f);
    EXPECT_EQ(engine->bParamChanged[kParWet].load(), 0);

    // While a global fade runs nothing is derived; the flag waits.
    engine->setProgram(0);
    engine->setParameter(kParWet, 1.0f);
    ProcessSilence(*engine, 100);
    EXPECT_FLOAT_EQ(engine->fWetGain, 1.0f);
    EXPECT_EQ(engine->bParamChanged[kParWet].load(), 1);
}

TEST(EngineParameters, PopulationValueMapsToPeopleCount) {
    auto engine = MakeEngine();
    const std::pair<float, int> cases[] = {
        {0.0f, 1}, {0.5f, 31}, {0.9666f, 59}, {1.0f, 59}, {PopulationValue(10), 10},
        {0.008f, 1}, {0.0084f, 2},  // rounding at half a step
        {-0.5f, 1}, {NAN, 1}, {7.0f, 59}, {INFINITY, 59}, {-INFINITY, 1},
    };
    for (const auto& [value, count] : cases) {
        Derive(*engine, kParPopulation, value);
        EXPECT_EQ(engine->iPopulation, count) << value;
    }
}

TEST(EngineParameters, SelectionIsLimitedToThePopulation) {
    auto engine = MakeEngine();
    Derive(*engine, kParPopulation, 0.0f);
    Derive(*engine, kParSelected, 0.5f);
    EXPECT_EQ(engine->iSelected, 0);

    Derive(*engine, kParPopulation, 0.5f);  // 31 people
    Derive(*engine, kParSelected, SelectedValue(15));
    EXPECT_EQ(engine->iSelected, 15);
    Derive(*engine, kParSelected, 1.0f);
    EXPECT_EQ(engine->iSelected, 30);
    Derive(*engine, kParSelected, NAN);
    EXPECT_EQ(engine->iSelected, 0);

    // Both flagged: ascending order derives the population first.
    engine->setParameter(kParSelected, SelectedValue(40));
    engine->setParameter(kParPopulation, 1.0f);
    engine->UpdateRunThrough();
    EXPECT_EQ(engine->iPopulation, 59);
    EXPECT_EQ(engine->iSelected, 40);
}

TEST(EngineParameters, SoloNeedsAFullValue) {
    auto engine = MakeEngine();
    const std::pair<float, int> cases[] = {{0.99f, 0}, {1.0f, 1}, {0.0f, 0}, {5.0f, 1}, {NAN, 0}, {-2.0f, 0}};
    for (const auto& [value, solo] : cases) {
        Derive(*engine, kParSolo, value);
        EXPECT_EQ(engine->iSolo, solo) << value;
    }
}

TEST(EngineParameters, GainsFollowTheirLaws) {
    auto engine = MakeEngine();
    const std::pair<float, float> square[] = {{0.0f, 0.0f}, {0.5f, 1.0f}, {1.0f, 4.0f}, {0.25f, 0.25f}, {3.0f, 4.0f}, {NAN, 0.0f}};
    for (const auto& [value, gain] : square) {
        Derive(*engine, kParWet, value);
        Derive(*engine, kParDry, value);
        EXPECT_FLOAT_EQ(engine->fWetGain, gain) << value;
        EXPECT_FLOAT_EQ(engine->fDryGain, gain) << value;
    }
    const std::pair<float, float> person[] = {{0.0f, 0.1f}, {1.0f, 0.5f}, {0.5f, 0.3f}, {-1.0f, 0.1f}, {9.0f, 0.5f}};
    for (const auto& [value, gain] : person) {
        Derive(*engine, PersonParam(12, kSlotGain), value);
        EXPECT_FLOAT_EQ(engine->person.fGain[12], gain) << value;
    }
}

TEST(EngineParameters, PanLawGivesFullSidesAndMinusThreeDbishCentre) {
    auto engine = MakeEngine();
    struct Case {
        float value, left, right;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, {0.5f, 0.6875f, 0.6875f},
        {0.25f, 0.9140625f, 0.3671875f}, {NAN, 1.0f, 0.0f}, {2.0f, 0.0f, 1.0f},
    };
    for (const Case& c : cases) {
        Derive(*engine, PersonParam(30, kSlotPan), c.value);
        EXPECT_FLOAT_EQ(engine->person.fPan[0][30], c.left) << c.value;
        EXPECT_FLOAT_EQ(engine->person.fPan[1][30], c.right) << c.value;
    }
}

TEST(EngineParameters, DelayTimeSetsTargetAndFadesOnlyThatPerson) {
    auto engine = MakeEngine();
    Settle(*engine);
    const int delay = engine->person.iDelay[3];
    Derive(*engine, PersonParam(3, kSlotDelayTime), 1.0f);
    EXPECT_EQ(engine->person.iDelayTarget[3], 14699);
    EXPECT_EQ(engine->person.iDelay[3], delay) << "taken at the bottom of its fade";
    EXPECT_EQ(engine->person.fFadeInc[3], -kFadeStepSize);
    EXPECT_EQ(engine->person.fFadeInc[4], 0.0f);
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);
    // Deriving the delay already in use (a host re-sending it) must not dip the person.
    Derive(*engine, PersonParam(4, kSlotDelayTime), engine->CurrentProgram().Load(PersonParam(4, kSlotDelayTime)));
    EXPECT_EQ(engine->person.fFadeInc[4], 0.0f);

    Derive(*engine, PersonParam(3, kSlotDelayTime), 0.5f);
    EXPECT_EQ(engine->person.iDelayTarget[3], 7349);
    Derive(*engine, PersonParam(3, kSlotDelayTime), -4.0f);
    EXPECT_EQ(engine->person.iDelayTarget[3], 0);
    Derive(*engine, PersonParam(3, kSlotDelayTime), 1.0e30f);
    EXPECT_EQ(engine->person.iDelayTarget[3], 14699);

    auto fast = MakeEngine(192000.0f);
    Derive(*fast, PersonParam(0, kSlotDelayTime), 1.0f);
    EXPECT_EQ(fast->person.iDelayTarget[0], 63999);
    SetGlobalRate(44100.0f);
}

TEST(EngineParameters, ShiftAndModulationCoefficientsTurnAtTheirFrequencies) {
    for (float fs : {44100.0f, 96000.0f}) {
        auto engine = MakeEngine(fs);
        const auto& ps = engine->person;
        Derive(*engine, PersonParam(5, kSlotPitchShift), 1.0f);
        EXPECT_NEAR(CoefHz(ps.fShiftCoef[5], fs), 80.0, 0.01);
        Derive(*engine, PersonParam(5, kSlotPitchShift), 0.0f);
        EXPECT_NEAR(CoefHz(ps.fShiftCoef[5], fs), -80.0, 0.01);
        Derive(*engine, PersonParam(5, kSlotPitchShift), 0.5f);
        EXPECT_EQ(ps.fShiftCoef[5], 0.0f);

        Derive(*engine, kParPitchAll, 1.0f);
        EXPECT_NEAR(CoefHz(engine->fPitchAllCoef, fs), 440.0, 0.02);
        Derive(*engine, kParPitchAll, 0.0f);
        EXPECT_NEAR(CoefHz(engine->fPitchAllCoef, fs), -440.0, 0.02);
        Derive(*engine, kParPitchAll, 0.75f);
        EXPECT_NEAR(CoefHz(engine->fPitchAllCoef, fs), 220.0, 0.02);

        Derive(*engine, PersonParam(5, kSlotPitchModSpeed), 0.0f);
        EXPECT_NEAR(CoefHz(ps.fPitchLfoCoef[5], fs), 0.2, 1e-4);
        Derive(*engine, PersonParam(5, kSlotPitchModSpeed), 1.0f);
        EXPECT_NEAR(CoefHz(ps.fPitchLfoCoef[5], fs), 2.8, 1e-4);
        Derive(*engine, PersonParam(5, kSlotDelayModSpeed), 0.0f);
        EXPECT_NEAR(CoefHz(ps.fDelayLfoCoef[5], fs), 0.1, 1e-4);
        Derive(*engine, PersonParam(5, kSlotDelayModSpeed), 1.0f);
        EXPECT_NEAR(CoefHz(ps.fDelayLfoCoef[5], fs), 2.1, 1e-4);

        Derive(*engine, PersonParam(5, kSlotPitchModGain), 0.5f);
        EXPECT_FLOAT_EQ(ps.fPitchModGain[5], 0.005f);
        Derive(*engine, PersonParam(5, kSlotDelayModGain), 1.0f);
        EXPECT_FLOAT_EQ(ps.fDelayModGain[5], 550.0f) << "samples, whatever the rate";
    }
    SetGlobalRate(44100.0f);
}

TEST(EngineParameters, EachModulationSlotRefreshesItsPartner) {
    auto engine = MakeEngine();
    const auto& ps = engine->person;
    // Partners stored without deriving; deriving one slot picks up both.
    engine->CurrentProgram().Store(PersonParam(8, kSlotPitchModSpeed), 1.0f);
    Derive(*engine, PersonParam(8, kSlotPitchModGain), 1.0f);
    EXPECT_NEAR(CoefHz(ps.fPitchLfoCoef[8], 44100.0), 2.8, 1e-4);
    engine->CurrentProgram().Store(PersonParam(8, kSlotPitchModGain), 0.2f);
    Derive(*engine, PersonParam(8, kSlotPitchModSpeed), 0.0f);
    EXPECT_FLOAT_EQ(ps.fPitchModGain[8], 0.002f);

    engine->CurrentProgram().Store(PersonParam(8, kSlotDelayModSpeed), 1.0f);
    Derive(*engine, PersonParam(8, kSlotDelayModGain), 0.0f);
    EXPECT_NEAR(CoefHz(ps.fDelayLfoCoef[8], 44100.0), 2.1, 1e-4);
    engine->CurrentProgram().Store(PersonParam(8, kSlotDelayModGain), 0.5f);
    Derive(*engine, PersonParam(8, kSlotDelayModSpeed), 0.0f);
    EXPECT_FLOAT_EQ(ps.fDelayModGain[8], 275.0f);
}

TEST(EngineParameters, ShiftCoefficientsStayStableAtTheLowestRate) {
    // At 1 kHz the raw coefficients would sum above 2, where the shift oscillator grows without bound.
    auto engine = MakeEngine(1000.0f);
    Derive(*engine, kParPitchAll, 1.0f);
    Derive(*engine, PersonParam(0, kSlotPitchShift), 1.0f);
    EXPECT_LT(std::fabs(engine->fPitchAllCoef) + std::fabs(engine->person.fShiftCoef[0]) + 0.01f, 2.0f);
    SetGlobalRate(44100.0f);
}

TEST(EngineParameters, UnusableGlobalRateDerivesAtTheDefaultRate) {
    auto engine = MakeEngine();
    for (float bad : {0.0f, NAN, -44100.0f}) {
        fGlobalSampleRate.store(bad);  // written around SetProgramData, which would refuse it
        Derive(*engine, kParPitchAll, 1.0f);
        EXPECT_NEAR(CoefHz(engine->fPitchAllCoef, 44100.0), 440.0, 0.02) << bad;
        Derive(*engine, PersonParam(0, kSlotDelayTime), 1.0f);
        EXPECT_EQ(engine->person.iDelayTarget[0], 14699) << bad;
    }
    SetGlobalRate(44100.0f);
}

TEST(EngineParameters, HostNamesFollowTheMap) {
    auto engine = MakeEngine();
    EXPECT_EQ(Name(*engine, 0), "Population");
    EXPECT_EQ(Name(*engine, 1), "Selected");
    EXPECT_EQ(Name(*engine, 2), "Global Wet gain");
    EXPECT_EQ(Name(*engine, 3), "Global Dry gain");
    EXPECT_EQ(Name(*engine, 6), "Solo");
    EXPECT_EQ(Name(*engine, 12), "Allpass Spread");
    EXPECT_EQ(Name(*engine, 13), "Allpass Gain");
    EXPECT_EQ(Name(*engine, 17), "Pitch Shift 1");
    EXPECT_EQ(Name(*engine, 18), "Pitch M. Gain 1");
    EXPECT_EQ(Name(*engine, 19), "Pitch M. Speed 1");
    EXPECT_EQ(Name(*engine, 20), "Delay Time 1");
    EXPECT_EQ(Name(*engine, 21), "Delay M. Gain 1");
    EXPECT_EQ(Name(*engine, 22), "Delay M. Speed 1");
    EXPECT_EQ(Name(*engine, 23), "Pan 1");
    EXPECT_EQ(Name(*engine, 24), "Gain 1");
    EXPECT_EQ(Name(*engine, 731), "Pan 60");
    EXPECT_EQ(Name(*engine, 727), "Pitch M. Speed 60");
    for (int index : {4, 5, 7, 8, 9, 10, 11, 14, 15, 16, 25, 26, 27, 28, 733, 734, 735, 736, -1, 100000})
        EXPECT_EQ(Name(*engine, index), "NONE") << index;
    engine->GetParameterName(0, nullptr);  // refused quietly
}

TEST(EngineParameters, NamesFitTheHostField) {
    auto engine = MakeEngine();
    for (int i = 0; i < kNumParams; ++i) EXPECT_LT(Name(*engine, i).size(), 24u) << i;
}

TEST(EngineParameters, RunThroughClearsFlagsAndForceLeavesThem) {
    auto engine = MakeEngine();
    engine->setParameter(kParWet, 0.5f);
    engine->setParameter(PersonParam(1, kSlotGain), 0.0f);
    engine->UpdateForce();
    EXPECT_FLOAT_EQ(engine->person.fGain[1], 0.1f);
    EXPECT_EQ(engine->bParamChanged[kParWet].load(), 1);
    EXPECT_EQ(engine->bParamChanged[PersonParam(1, kSlotGain)].load(), 1);
    engine->UpdateRunThrough();
    EXPECT_EQ(engine->bParamChanged[kParWet].load(), 0);
    EXPECT_EQ(engine->bParamChanged[PersonParam(1, kSlotGain)].load(), 0);
}

TEST(EngineParameters, NonFiniteAndHugeValuesDeriveToFiniteState) {
    for (float bad : {NAN, INFINITY, -INFINITY, 1.0e30f, -1.0e30f}) {
        auto engine = MakeEngine();
        for (int i = 0; i < kNumParams; ++i) engine->setParameter(i, bad);
        engine->UpdateRunThrough();
        EXPECT_GE(engine->iPopulation, 1);
        EXPECT_LE(engine->iPopulation, 59);
        EXPECT_GE(engine->iSelected, 0);
        EXPECT_LT(engine->iSelected, engine->iPopulation);
        EXPECT_TRUE(std::isfinite(engine->fWetGain) && std::isfinite(engine->fDryGain));
        EXPECT_TRUE(std::isfinite(engine->fPitchAllCoef));
        EXPECT_GE(engine->fAllpassSpread, 0.0f);
        EXPECT_LE(engine->fAllpassSpread, 1.0f);
        for (int p = 0; p < kNumPeople; ++p) {
            const auto& ps = engine->person;
            ASSERT_TRUE(std::isfinite(ps.fShiftCoef[p]) && std::isfinite(ps.fPitchLfoCoef[p]) &&
                        std::isfinite(ps.fDelayLfoCoef[p]) && std::isfinite(ps.fPitchModGain[p]) &&
                        std::isfinite(ps.fDelayModGain[p]) && std::isfinite(ps.fGain[p]) &&
                        std::isfinite(ps.fPan[0][p]) && std::isfinite(ps.fPan[1][p]));
            ASSERT_GE(ps.iDelayTarget[p], 0);
            ASSERT_LE(ps.iDelayTarget[p], 14699);
        }
    }
}

TEST(EngineParameters, SpreadIsDerivedAtTheFadeBottomAndOnceMoreAfterTheFade) {
    auto engine = MakeEngine();
    engine->setParameter(kParSpread, 0.0f);
    Settle(*engine);
    engine->setParameter(kParSpread, 1.0f);
    EXPECT_EQ(engine->fFadeStep.load(), -kFadeStepSize);
    ProcessSilence(*engine, 4000);
    EXPECT_EQ(engine->fAllpassSpread, 0.0f) << "nothing derived while fading out";
    EXPECT_EQ(engine->diffuser[0][0].GetSize(), 48);

    ProcessSilence(*engine, 2000);  // through the bottom
    EXPECT_EQ(engine->fAllpassSpread, 1.0f);
    EXPECT_EQ(engine->diffuser[0][0].GetSize(), 13278);
    EXPECT_EQ(engine->fFadeStep.load(), kFadeStepSize);
    EXPECT_EQ(engine->bParamChanged[kParSpread].load(), 1) << "the flag outlives the bottom";

    // Through the fade-in one frame per block, stopping at the first frame at full gain.
    std::vector<float> one(1, 0.0f);
    int frames = 0;
    while (engine->fFadeStep.load() != 0.0f && frames < 6000) {
        Render(*engine, one, nullptr, 2, 1);
        ++frames;
    }
    ASSERT_EQ(engine->fFadeGain, 1.0f);
    EXPECT_NEAR(frames, 4000, 2) << "5000 in all, 1000 of them already rendered";
    EXPECT_EQ(engine->bParamChanged[kParSpread].load(), 1);
    // The next block start derives it again, finds the lengths installed in silence and leaves
    // the running diffuser alone: clearing it at full level would click.
    const int before = engine->diffuser[0][0].GetPosition();
    std::vector<float> in(100, 0.0f);
    Render(*engine, in, nullptr, 2, 100);
    EXPECT_EQ(engine->bParamChanged[kParSpread].load(), 0);
    EXPECT_EQ(engine->fAllpassSpread, 1.0f);
    EXPECT_EQ(engine->diffuser[0][0].GetPosition(), (before + 100) % 13278);
}

// A change behind a global fade swaps every delay in silence: once the fade-in is over the crowd
// is steady at full level, with no person fading again when the block start re-derives.
TEST(EngineParameters, GlobalFadeTakesNewDelaysInSilence) {
    auto engine = MakeEngine();
    SetQuietCrowd(*engine, 10);
    Settle(*engine);
    for (int p = 0; p < 10; ++p) engine->setParameter(PersonParam(p, kSlotDelayTime), 0.01f * (p + 1));
    engine->setParameter(kParPopulation, PopulationValue(12));
    ProcessSilence(*engine, 5001);  // just past the bottom
    EXPECT_EQ(engine->fFadeStep.load(), kFadeStepSize);
    for (int p = 0; p < 12; ++p) {
        EXPECT_EQ(engine->person.iDelay[p], engine->person.iDelayTarget[p]) << p;
        EXPECT_EQ(engine->person.fFadeInc[p], 0.0f) << p;
    }
    ProcessSilence(*engine, 5100);  // the fade-in and the block start after it
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);
    for (int p = 0; p < 12; ++p) {
        EXPECT_EQ(engine->person.fFade[p], 1.0f) << p;
        EXPECT_EQ(engine->person.fFadeInc[p], 0.0f) << p;
    }
    EXPECT_EQ(engine->person.iDelayTarget[9], static_cast<int32_t>(0.1f * 44100.0f * 0.3333333f));
}
