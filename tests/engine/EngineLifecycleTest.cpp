// Construction, reset, program and sample-rate hand-over of the crowd engine.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineHarness.h"
#include "engine/DiffuserLengths.h"

using namespace mhtest;

namespace {

bool LinesSilent(const MurmurhallPlug& engine) {
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kLineStride; ++i)
            if (engine.fLine[c][i] != 0.0f) return false;
    return true;
}

std::vector<float> Noise(int frames, unsigned seed = 1) {
    std::vector<float> v(frames);
    for (float& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(static_cast<int>(seed >> 8) % 20001 - 10000) * 5e-5f;
    }
    return v;
}

}  // namespace

TEST(EngineLifecycle, FreshEngineIsSteadyOnProgramZeroWithDerivedValues) {
    auto engine = MakeEngine();
    EXPECT_EQ(engine->bReady, 1);
    EXPECT_EQ(engine->iCurProgram.load(), 0);
    EXPECT_EQ(engine->fFadeGain, 1.0f);
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);
    EXPECT_EQ(engine->iClip.load(), 0);
    EXPECT_EQ(engine->iBlockSize, 1024);
    EXPECT_EQ(engine->iWritePos, 0);
    EXPECT_EQ(engine->bank.programVersion, 202);
    for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(engine->bParamChanged[i].load(), 0) << i;

    const Program& program = engine->CurrentProgram();
    const float population = program.parPopulation;
    EXPECT_EQ(engine->iPopulation, std::min(static_cast<int>(60.0f * population + 0.5f) + 1, 59));
    EXPECT_FLOAT_EQ(engine->fWetGain, 4.0f * program.parGlobalWet * program.parGlobalWet);
    EXPECT_FLOAT_EQ(engine->fDryGain, 4.0f * program.parGlobalDry * program.parGlobalDry);
    EXPECT_EQ(engine->iSolo, program.parSolo >= 1.0f ? 1 : 0);
    EXPECT_EQ(engine->fAllpassSpread, program.parAllpassSpread);
    EXPECT_NEAR(CoefHz(engine->fPitchAllCoef, 44100.0), 880.0 * (program.parPitchAll - 0.5), 0.01);
    for (int p = 0; p < kNumPeople; ++p) {
        const Individual& ind = program.people[p];
        EXPECT_EQ(engine->person.iDelayTarget[p], static_cast<int>(ind.parDelayTime * 44100.0f * 0.3333333f)) << p;
        EXPECT_EQ(engine->person.iDelay[p], engine->person.iDelayTarget[p]) << "reset takes the target";
        EXPECT_FLOAT_EQ(engine->person.fGain[p], 0.5f * (0.8f * ind.parGain + 0.2f)) << p;
        EXPECT_NEAR(CoefHz(engine->person.fShiftCoef[p], 44100.0), 160.0 * (ind.parPitchShift - 0.5), 0.01) << p;
        EXPECT_FLOAT_EQ(engine->person.fDelayModGain[p], 550.0f * ind.parDelayModGain) << p;
        EXPECT_FLOAT_EQ(engine->person.fFade[p], 1.0f);
    }
    // The padding lanes never sound.
    for (int p = kNumPeople; p < kPersonLanes; ++p) {
        EXPECT_EQ(engine->person.fGain[p], 0.0f);
        EXPECT_EQ(engine->person.fPan[0][p], 0.0f);
        EXPECT_EQ(engine->person.fPan[1][p], 0.0f);
    }
    EXPECT_TRUE(LinesSilent(*engine));
    EXPECT_STREQ(CrowdKernelName(engine->crowdKernel), CrowdKernelName(SelectCrowdKernel()));
}

TEST(EngineLifecycle, OscillatorsStartOnTheUnitCircleAtSpreadPhases) {
    auto engine = MakeEngine();
    int distinct = 0;
    for (int p = 0; p < kNumPeople; ++p) {
        const auto& ps = engine->person;
        EXPECT_NEAR(ps.fShiftSin[p] * ps.fShiftSin[p] + ps.fShiftCos[p] * ps.fShiftCos[p], 1.0f, 1e-5f);
        EXPECT_NEAR(ps.fPitchLfoSin[p] * ps.fPitchLfoSin[p] + ps.fPitchLfoCos[p] * ps.fPitchLfoCos[p], 1.0f, 1e-5f);
        EXPECT_NEAR(ps.fDelayLfoSin[p] * ps.fDelayLfoSin[p] + ps.fDelayLfoCos[p] * ps.fDelayLfoCos[p], 1.0f, 1e-5f);
        if (p > 0 && ps.fShiftSin[p] != ps.fShiftSin[p - 1]) ++distinct;
    }
    EXPECT_GT(distinct, 50);
}

TEST(EngineLifecycle, GeneratorCoversFifteenBitsAndIsReproducible) {
    auto a = MakeEngine();
    auto b = MakeEngine();
    int lo = 32767, hi = 0;
    for (int i = 0; i < 20000; ++i) {
        const int r = a->NextRandom();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
        lo = std::min(lo, r);
        hi = std::max(hi, r);
        ASSERT_EQ(r, b->NextRandom()) << "same seed, same sequence";
    }
    EXPECT_LT(lo, 100);
    EXPECT_GT(hi, 32667);
}

TEST(EngineLifecycle, TwoEnginesRenderTheSameSound) {
    auto a = MakeEngine();
    auto b = MakeEngine();
    const auto input = Noise(6000);
    const Stereo outA = Render(*a, input);
    const Stereo outB = Render(*b, input);
    EXPECT_EQ(outA.left, outB.left);
    EXPECT_EQ(outA.right, outB.right);
    EXPECT_GT(Rms(outA.left, 0, 6000), 0.0);
}

TEST(EngineLifecycle, SetProgramIgnoresOutOfRangeAndFadesOnValidProgram) {
    auto engine = MakeEngine();
    engine->setProgram(24);
    engine->setProgram(-1);
    EXPECT_EQ(engine->iCurProgram.load(), 0);
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);

    engine->setProgram(5);
    EXPECT_EQ(engine->iCurProgram.load(), 5);
    EXPECT_EQ(engine->fFadeStep.load(), -kFadeStepSize);
    EXPECT_EQ(&engine->CurrentProgram(), &engine->bank.programs[5]);
}

TEST(EngineLifecycle, SetProgramDataSetsProgramAndRateWithoutFade) {
    auto engine = MakeEngine();
    engine->SetProgramData(3, 48000.0f);
    EXPECT_EQ(engine->iCurProgram.load(), 3);
    EXPECT_EQ(fGlobalSampleRate.load(), 48000.0f);
    EXPECT_FLOAT_EQ(fGlobalSampleRateOver.load(), 1.0f / 48000.0f);
    EXPECT_EQ(iGlobalSampleRate.load(), 48000);
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);

    engine->SetProgramData(0, 44100.7f);
    EXPECT_EQ(iGlobalSampleRate.load(), 44100) << "truncated toward zero";
    SetGlobalRate(44100.0f);
}

TEST(EngineLifecycle, SetProgramDataRefusesNonsenseRatesAndPrograms) {
    auto engine = MakeEngine();
    engine->SetProgramData(2, 96000.0f);
    for (float bad : {0.0f, -48000.0f, NAN, INFINITY, -INFINITY}) {
        engine->SetProgramData(99, bad);
        EXPECT_EQ(fGlobalSampleRate.load(), 96000.0f) << bad;
        EXPECT_EQ(iGlobalSampleRate.load(), 96000);
        EXPECT_EQ(engine->iCurProgram.load(), 2) << "program 99 does not exist";
    }
    engine->SetProgramData(-3, 10.0f);
    EXPECT_EQ(fGlobalSampleRate.load(), 1000.0f);
    EXPECT_EQ(engine->iCurProgram.load(), 2);
    engine->SetProgramData(1, 1.0e9f);
    EXPECT_EQ(fGlobalSampleRate.load(), 768000.0f);
    EXPECT_EQ(iGlobalSampleRate.load(), 768000);
    EXPECT_EQ(engine->iCurProgram.load(), 1);
    SetGlobalRate(44100.0f);
}

TEST(EngineLifecycle, ResumeClearsAudioStateAndTakesPendingDelays) {
    auto engine = MakeEngine();
    engine->setParameter(kParSpread, 0.4f);
    Settle(*engine);
    Render(*engine, Noise(3000));
    ASSERT_FALSE(LinesSilent(*engine));

    // A delay change mid person-fade: the target moved, the delay in use not yet.
    engine->setParameter(PersonParam(4, kSlotDelayTime), 0.25f);
    engine->UpdateRunThrough();
    ASSERT_NE(engine->person.iDelay[4], engine->person.iDelayTarget[4]);
    const int writePos = engine->iWritePos;
    const float fade4 = engine->person.fFade[4];
    const float inc4 = engine->person.fFadeInc[4];
    const int size00 = engine->diffuser[0][0].GetSize();
    const int position00 = engine->diffuser[0][0].GetPosition();

    engine->resumeDSP();
    EXPECT_TRUE(LinesSilent(*engine)) << "ring and guard entries";
    EXPECT_EQ(engine->person.iDelay[4], static_cast<int>(0.25f * 44100.0f * 0.3333333f));
    EXPECT_EQ(engine->iWritePos, writePos);
    EXPECT_EQ(engine->person.fFade[4], fade4);
    EXPECT_EQ(engine->person.fFadeInc[4], inc4);
    EXPECT_EQ(engine->diffuser[0][0].GetSize(), size00);
    EXPECT_EQ(engine->diffuser[0][0].GetPosition(), position00);
    for (int c = 0; c < 2; ++c) {
        float a = 1.0f, b = 1.0f;
        engine->hilbert[c].process(0.0f, a, b);
        EXPECT_EQ(a, 0.0f);
        EXPECT_EQ(b, 0.0f);
        for (allpass& stage : engine->diffuser[c]) {
            EXPECT_EQ(stage.GetLastOutput(), 0.0f);
            for (int i = 0; i < stage.GetSize() + 2; ++i) ASSERT_EQ(stage.process(0.0f), 0.0f);
        }
    }
}

TEST(EngineLifecycle, SecondEngineGetsHilbertCoefficientsOfTheRateInForce) {
    auto at44 = MakeEngine(44100.0f);
    auto other = MakeEngine(44100.0f);
    other->SetProgramData(0, 48000.0f);  // one instance's rate decides the next construction
    auto at48 = std::make_unique<MurmurhallPlug>();
    FX_HilbertAllPass reference48;
    for (int i = 0; i < FX_HilbertAllPass::kSections; ++i) {
        EXPECT_EQ(at48->hilbert[0].Coefficient(i), reference48.Coefficient(i)) << i;
        EXPECT_EQ(at48->hilbert[1].Coefficient(i), reference48.Coefficient(i)) << i;
    }
    EXPECT_NE(at48->hilbert[0].Coefficient(5), at44->hilbert[0].Coefficient(5));
    EXPECT_NEAR(at44->hilbert[0].Coefficient(0), -0.99922901f, 1e-6f);
    SetGlobalRate(44100.0f);
}

TEST(EngineLifecycle, DiffuserRoomHoldsTheLongestLengthsAtEveryRate) {
    for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
        auto engine = MakeEngine(rate);
        engine->SetAllpasses(1.0f);
        int expected[2][8];
        ChooseDiffuserLengths(1.0f, rate, expected);
        for (int b = 0; b < 2; ++b) {
            for (int k = 0; k < kDiffuserStages; ++k) {
                const allpass& stage = engine->diffuser[b][k];
                EXPECT_EQ(stage.GetSize(), expected[b][k]) << rate << " " << b << " " << k;
                EXPECT_EQ(stage.GetPosition(), 1);
                EXPECT_EQ(stage.GetFeedback(), 0.63f);
            }
        }
    }
    SetGlobalRate(44100.0f);
    auto engine = MakeEngine();
    engine->SetAllpasses(1.0f);
    EXPECT_EQ(engine->diffuser[0][0].GetSize(), 13278);
    EXPECT_EQ(engine->diffuser[1][7].GetSize(), 623);
    engine->SetAllpasses(NAN);  // as spread 0
    EXPECT_EQ(engine->diffuser[0][0].GetSize(), 48);
    EXPECT_EQ(engine->diffuser[1][7].GetSize(), 2);
    EXPECT_EQ(MurmurhallPlug::NextPrime(2187), 2203);
}
