// Construction, reset, program and sample-rate hand-over of the crowd engine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "EngineHarness.h"
#include "presets/FactoryPresets.h"

using namespace mhtest;

namespace {

bool LinesSilent(const MurmurhallPlug& engine) {
    const float* first = &engine.fLine[0][0][0];
    return std::all_of(first, first + sizeof(engine.fLine) / sizeof(float), [](float x) { return x == 0.0f; });
}

}  // namespace

TEST(EngineLifecycle, FreshEngineIsSteadyOnTheFactoryProgramZeroWithEverythingDerived) {
    auto engine = MakeEngine();
    EXPECT_TRUE(engine->bReady == 1 && engine->iCurProgram.load() == 0 && engine->iClip.load() == 0);
    EXPECT_TRUE(engine->fFadeGain == 1.0f && engine->fFadeStep.load() == 0.0f);
    EXPECT_TRUE(engine->iBlockSize == 1024 && engine->iWritePos == 0 && engine->bank.programVersion == 202);
    EXPECT_TRUE(LinesSilent(*engine));
    ProgramData factory;
    PresetPrograms(&factory);
    EXPECT_EQ(std::memcmp(factory.programs, engine->bank.programs, sizeof factory.programs), 0);
    // Deriving everything again changes nothing: construction derived the factory values.
    const PersonStates people = engine->person;
    const float globals[] = {engine->fWetGain, engine->fDryGain, engine->fAllpassSpread, engine->fPitchAllCoef};
    const int counts[] = {engine->iPopulation, engine->iSelected, engine->iSolo};
    engine->UpdateForce();
    EXPECT_EQ(std::memcmp(&people, &engine->person, sizeof people), 0);
    EXPECT_TRUE(globals[0] == engine->fWetGain && globals[1] == engine->fDryGain &&
                globals[2] == engine->fAllpassSpread && globals[3] == engine->fPitchAllCoef);
    EXPECT_TRUE(counts[0] == engine->iPopulation && counts[1] == engine->iSelected && counts[2] == engine->iSolo);
    const auto& ps = engine->person;
    int quadrants[4] = {};
    for (int p = 0; p < kNumPeople; ++p) {
        EXPECT_TRUE(ps.iDelay[p] == ps.iDelayTarget[p] && ps.fFade[p] == 1.0f) << p;
        // Every oscillator starts on the unit circle, the people at phases spread over a turn.
        EXPECT_NEAR(std::hypot(ps.fShiftSin[p], ps.fShiftCos[p]), 1.0, 1e-5);
        EXPECT_NEAR(std::hypot(ps.fPitchLfoSin[p], ps.fPitchLfoCos[p]), 1.0, 1e-5);
        EXPECT_NEAR(std::hypot(ps.fDelayLfoSin[p], ps.fDelayLfoCos[p]), 1.0, 1e-5);
        ++quadrants[(ps.fShiftSin[p] < 0) * 2 + (ps.fShiftCos[p] < 0)];
    }
    for (int count : quadrants) EXPECT_GT(count, 5);
    for (int p = kNumPeople; p < kPersonLanes; ++p)  // the padding lanes never sound
        EXPECT_TRUE(ps.fGain[p] == 0.0f && ps.fPan[0][p] == 0.0f && ps.fPan[1][p] == 0.0f) << p;
    // The phase generator is seeded alike in every engine, so two runs of a host render alike.
    const auto input = Noise(6000);
    const Stereo once = Render(*engine, input), again = Render(*MakeEngine(), input);
    EXPECT_TRUE(once.left == again.left && once.right == again.right && Rms(once.left, 0, 6000) > 0.01);
}

TEST(EngineLifecycle, ProgramAndRateHandOver) {
    auto engine = MakeEngine();
    engine->setProgram(24);
    engine->setProgram(-1);
    EXPECT_TRUE(engine->iCurProgram.load() == 0 && engine->fFadeStep.load() == 0.0f);
    engine->setProgram(5);
    EXPECT_EQ(&engine->CurrentProgram(), &engine->bank.programs[5]);
    EXPECT_EQ(engine->fFadeStep.load(), -kFadeStepSize);
    engine->fFadeStep.store(0.0f);
    engine->SetProgramData(3, 48000.0f);
    EXPECT_EQ(engine->iCurProgram.load(), 3);
    EXPECT_TRUE(fGlobalSampleRate.load() == 48000.0f && iGlobalSampleRate.load() == 48000);
    EXPECT_FLOAT_EQ(fGlobalSampleRateOver.load(), 1.0f / 48000.0f);
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f) << "no fade";
    engine->SetProgramData(0, 44100.7f);
    EXPECT_EQ(iGlobalSampleRate.load(), 44100) << "truncated toward zero";
    // Nonsense is refused: programs that do not exist, rates no host means; the rest is clamped.
    const float rates[][2] = {{0, 44100.7f}, {-48000, 44100.7f}, {NAN, 44100.7f}, {INFINITY, 44100.7f},
                              {-INFINITY, 44100.7f}, {10, 1000}, {1.0e9f, 768000}};
    for (const auto& [rate, taken] : rates) {
        engine->SetProgramData(99, rate);
        engine->SetProgramData(-3, rate);
        EXPECT_TRUE(engine->iCurProgram.load() == 0 && fGlobalSampleRate.load() == taken) << rate;
        EXPECT_EQ(iGlobalSampleRate.load(), static_cast<int>(taken)) << rate;
    }
    SetGlobalRate(44100.0f);
}

TEST(EngineLifecycle, ResumeClearsAudioStateAndTakesPendingDelays) {
    auto engine = MakeEngine();
    Apply(*engine, {{kParSpread, 0.4f}});
    Render(*engine, Noise(3000));
    ASSERT_FALSE(LinesSilent(*engine));
    // A delay change mid person-fade: the target moved, the delay in use not yet.
    engine->setParameter(PersonParam(4, kSlotDelayTime), 0.25f);
    engine->UpdateRunThrough();
    ASSERT_NE(engine->person.iDelay[4], engine->person.iDelayTarget[4]);
    const int writePos = engine->iWritePos, position = engine->diffuser[0][0].GetPosition();
    const float fade = engine->person.fFade[4], inc = engine->person.fFadeInc[4];
    engine->resumeDSP();
    EXPECT_TRUE(LinesSilent(*engine)) << "ring and guard entries";
    EXPECT_EQ(engine->person.iDelay[4], static_cast<int>(0.25f * 44100.0f * 0.3333333f));
    EXPECT_TRUE(engine->iWritePos == writePos && engine->diffuser[0][0].GetPosition() == position);
    EXPECT_TRUE(engine->person.fFade[4] == fade && engine->person.fFadeInc[4] == inc);
    for (int c = 0; c < 2; ++c) {
        float a = 1.0f, b = 1.0f;
        engine->hilbert[c].process(0.0f, a, b);
        EXPECT_TRUE(a == 0.0f && b == 0.0f);
        for (allpass& stage : engine->diffuser[c]) {
            EXPECT_EQ(stage.GetLastOutput(), 0.0f);
            for (int i = 0; i < stage.GetSize() + 2; ++i) ASSERT_EQ(stage.process(0.0f), 0.0f);
        }
    }
}

TEST(EngineLifecycle, SecondEngineGetsHilbertCoefficientsOfTheRateInForce) {
    auto at44 = MakeEngine(44100.0f);
    MakeEngine(44100.0f)->SetProgramData(0, 48000.0f);  // one instance's rate decides the next construction
    auto at48 = std::make_unique<MurmurhallPlug>();
    FX_HilbertAllPass reference48;
    for (int i = 0; i < FX_HilbertAllPass::kSections; ++i)
        for (const FX_HilbertAllPass& h : at48->hilbert) EXPECT_EQ(h.Coefficient(i), reference48.Coefficient(i)) << i;
    EXPECT_NE(at48->hilbert[0].Coefficient(5), at44->hilbert[0].Coefficient(5));
    EXPECT_NEAR(at44->hilbert[0].Coefficient(0), -0.99922901f, 1e-6f);
    EXPECT_EQ(at48->diffuser[1][7].GetFeedback(), 0.63f) << "set when the diffuser was derived";
    SetGlobalRate(44100.0f);
    EXPECT_EQ(MurmurhallPlug::NextPrime(2187), 2203);
}
