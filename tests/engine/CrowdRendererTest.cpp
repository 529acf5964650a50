// The crowd renderer measured from outside: delays, frequency shifts, pan, levels, fades, solo,
// channel handling and the guards against broken input.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "EngineHarness.h"

using namespace mhtest;

namespace {

// What one quiet person is heard with: wet scale 5 * 1, person gain 0.5, centre pan 0.6875.
constexpr float kQuietGain = 5.0f * 0.5f * 0.6875f;

// Expects out[m] to be gain times the second Hilbert output of the input (with the renderer's
// 1e-20 offset) heard `heard` samples late: a person whose shift oscillator is frozen at sin 0.
void ExpectDelayedHilbert(const std::vector<float>& out, const std::vector<float>& input, int heard, float gain) {
    FX_HilbertAllPass hilbert;
    std::vector<float> b(input.size());
    float a;
    for (size_t i = 0; i < input.size(); ++i) hilbert.process(input[i] + 1e-20f, a, b[i]);
    for (int m = 0; m < static_cast<int>(out.size()); ++m)
        ASSERT_FLOAT_EQ(out[m], gain * (m >= heard ? b[m - heard] : 0.0f)) << "frame " << m;
}

// Upward zero crossings per second after the first 0.1 s of a one-second render: the frequency
// to within about a hertz.
double CrossingHz(const std::vector<float>& v) {
    int n = 0;
    for (size_t i = 4411; i < v.size(); ++i) n += v[i - 1] < 0.0f && v[i] >= 0.0f;
    return n / (static_cast<double>(v.size() - 4410) / 44100.0);
}

}  // namespace

TEST(CrowdRenderer, ImpulseIsHeardOneSampleBeforeTheDelay) {
    // At 768 kHz a third of a second is beyond the ring: the read stops at its last entry, which
    // also exercises the guard copy of entry 0.
    // {rate, delay time value, delay in samples, delay heard}
    const std::tuple<float, float, int, int> cases[] = {{44100, 0.01f, 146, 145}, {44100, 0.0f, 0, 0},
                                                        {44100, 1.0f, 14699, 14698}, {192000, 1.0f, 63999, 63998},
                                                        {768000, 1.0f, 255999, kLineSize - 2}};
    for (const auto& [rate, value, delay, heard] : cases) {
        SCOPED_TRACE(rate);
        auto engine = QuietEngine(1, rate);
        Apply(*engine, {{PersonParam(0, kSlotDelayTime), value}}, true);
        ASSERT_EQ(engine->person.iDelay[0], delay);
        const auto input = Impulse(heard + 100, 0);
        const Stereo out = Render(*engine, input);
        ExpectDelayedHilbert(out.left, input, heard, kQuietGain);
        ExpectDelayedHilbert(out.right, input, heard, kQuietGain);
    }
}

TEST(CrowdRenderer, ShiftMovesASineByThePersonsAndTheGlobalHz) {
    const auto input = Sine(1000.0, 44100.0, 44100);
    // {global offset value, person shift value, Hz heard}: +-440 Hz and +-80 Hz add up.
    const float cases[][3] = {{0.5f, 1.0f, 1080}, {0.5f, 0.0f, 920}, {0.5f, 0.75f, 1040},
                              {0.0f, 0.5f, 560}, {0.75f, 0.0f, 1140}};
    for (const auto& [all, shift, hz] : cases) {
        auto engine = QuietEngine(1);
        Apply(*engine, {{kParPitchAll, all}, {PersonParam(0, kSlotPitchShift), shift}});
        EXPECT_NEAR(CrossingHz(Render(*engine, input).right), hz, 1.2) << all << " " << shift;
    }
}

TEST(CrowdRenderer, PanLawAndOneOverRootPopulationSetTheLevels) {
    const auto input = Noise(3000);
    const double unit = Rms(Render(*QuietEngine(1), input).left, 0, 3000) / 0.6875;  // pan gain 1
    ASSERT_GT(unit, 0.01);
    // {people, pan value, left and right pan gain}: n coherent people at 1/sqrt(n) sum to sqrt(n).
    const float cases[][4] = {{1, 0.25f, 0.9140625f, 0.3671875f}, {1, 0.0f, 1.0f, 0.0f}, {1, 1.0f, 0.0f, 1.0f},
                              {4, 0.5f, 0.6875f, 0.6875f}, {9, 0.5f, 0.6875f, 0.6875f}, {59, 0.5f, 0.6875f, 0.6875f}};
    for (const auto& [n, pan, left, right] : cases) {
        auto engine = QuietEngine(static_cast<int>(n));
        for (int p = 0; p < kNumPeople; ++p) engine->setParameter(PersonParam(p, kSlotPan), pan);
        Settle(*engine, true);
        const Stereo out = Render(*engine, input);
        EXPECT_NEAR(Rms(out.left, 0, 3000) / unit, std::sqrt(n) * left, 1e-3) << n << " " << pan;
        EXPECT_NEAR(Rms(out.right, 0, 3000) / unit, std::sqrt(n) * right, 1e-3) << n << " " << pan;
    }
}

TEST(CrowdRenderer, SoloSoundsOnlyTheSelectedPersonAtFullScale) {
    auto engine = QuietEngine(10);
    Apply(*engine, {{kParSolo, 1.0f}, {kParSelected, 3.0f / 60.0f}, {PersonParam(3, kSlotDelayTime), 0.0068f},
                    {PersonParam(5, kSlotPitchShift), 1.0f}, {PersonParam(5, kSlotDelayModSpeed), 1.0f}}, true);
    ASSERT_EQ(engine->iSelected, 3);
    ASSERT_EQ(engine->person.iDelay[3], 99);
    engine->person.fFadeInc[5] = -kFadeStepSize;
    engine->person.fFade[5] = 0.5f;
    engine->person.fFadeInc[3] = kFadeStepSize;  // a fade that tops out at once: the fading path runs
    const float lfo5 = engine->person.fDelayLfoSin[5], lfo20 = engine->person.fDelayLfoSin[20];

    const auto input = Impulse(400, 0);
    ExpectDelayedHilbert(Render(*engine, input).left, input, 98, kQuietGain);  // no 1/sqrt(10)
    EXPECT_NE(engine->person.fDelayLfoSin[5], lfo5) << "held-out people still move their modulation";
    EXPECT_EQ(engine->person.fShiftSin[5], 0.0f) << "but not their shift oscillator";
    EXPECT_EQ(engine->person.fFade[5], 0.5f) << "nor their fade";
    EXPECT_EQ(engine->person.fDelayLfoSin[20], lfo20) << "people outside the population stand still";
}

TEST(CrowdRenderer, PopulationChangeFadesOutClearsTheLinesAndFadesBackIn) {
    auto engine = QuietEngine(4);
    Apply(*engine, {{kParWet, 0.0f}, {kParDry, 0.5f}});  // the output is the fade gain times the input
    engine->setParameter(kParPopulation, PopulationValue(9));
    const std::vector<float> in(1, 0.25f);
    std::vector<float> out;
    int bottom = -1;
    for (int m = 0; m < 12000; ++m) {  // one frame per block
        const int population = engine->iPopulation;
        out.push_back(Render(*engine, in, nullptr, 2, 1).left[0]);
        if (bottom < 0 && engine->fFadeStep.load() > 0.0f) {
            bottom = m;
            EXPECT_EQ(population, 4) << "nothing derived before the bottom";
            EXPECT_EQ(engine->iPopulation, 9);
            int filled = 0;
            for (const auto& line : engine->fLine[0])
                for (float x : line) filled += x != 0.0f;
            EXPECT_EQ(filled, 2) << "cleared; then only the bottom frame's A and B written";
        }
    }
    ASSERT_TRUE(bottom >= 4998 && bottom <= 5001) << bottom;
    EXPECT_EQ(out[bottom], 0.0f);
    for (int m = 0; m < 12000; ++m) {  // down, up, then exactly steady
        const float gain = m < bottom ? 1.0f - (m + 1) * kFadeStepSize : std::min(1.0f, (m - bottom) * kFadeStepSize);
        ASSERT_NEAR(out[m], 0.25f * gain, m < bottom + 5002 ? 1e-4f : 0.0f) << m;
    }
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);
}

TEST(CrowdRenderer, DelayChangeFadesOnlyThatPersonAndSwitchesAtTheBottom) {
    auto engine = QuietEngine(1);
    const auto input = Sine(500.0, 44100.0, 20000);
    auto part = [&](int from, int to) {
        return Render(*engine, std::vector<float>(input.begin() + from, input.begin() + to), nullptr, 2, 100).left;
    };
    const double full = Rms(part(0, 2000), 1000, 2000);
    ASSERT_GT(full, 0.1);
    engine->setParameter(PersonParam(0, kSlotDelayTime), 0.01f);  // 146 samples
    part(2000, 4500);
    EXPECT_NEAR(engine->person.fFade[0], 0.5f, 1e-3f);
    EXPECT_TRUE(engine->person.iDelay[0] == 0 && engine->fFadeStep.load() == 0.0f) << "no global fade";
    const auto after = part(4500, 20000);
    EXPECT_TRUE(engine->person.iDelay[0] == 146 && engine->person.fFade[0] == 1.0f && engine->person.fFadeInc[0] == 0.0f);
    EXPECT_LT(Rms(after, 2500 - 50, 2500 + 50), 0.03 * full) << "silent near the bottom";
    EXPECT_NEAR(Rms(after, 8000, 10000), full, 0.01 * full) << "back to full";
}

// One output is channel 0 of a stereo output: so a person panned right is silent there.
TEST(CrowdRenderer, MonoInputFeedsBothOutputsAndOneOutputBuildsChannelZeroOnly) {
    const auto input = Noise(3000);
    float* in[2] = {const_cast<float*>(input.data()), nullptr};
    auto stereo = QuietEngine(2), mono = QuietEngine(2);
    const Stereo plain = Render(*stereo, input);
    EXPECT_EQ(plain.left, plain.right);
    EXPECT_GT(Rms(plain.left, 0, 3000), 0.01);
    for (auto* engine : {stereo.get(), mono.get()}) {
        Apply(*engine, {{kParSpread, 0.6f}}, true);
        engine->person.fShiftSin[1] = 0.3f;  // apart from person 0, the same in both engines
    }
    const Stereo diffused = Render(*stereo, input);  // each channel has its own diffuser bank
    EXPECT_GT(MaxAbs(diffused.left, 0, 3000), 0.1);
    EXPECT_NE(diffused.left, diffused.right);
    std::vector<float> left(3000), sentinel(3000, 7.0f);
    float* out[2] = {left.data(), sentinel.data()};
    mono->DoProcessReplacing(in, out, 1, 1, 3000);
    EXPECT_EQ(left, diffused.left);
    EXPECT_EQ(sentinel, std::vector<float>(3000, 7.0f)) << "the second output is not touched";
}

TEST(CrowdRenderer, ClipIsRaisedAtOneButNotByNegativePeaksAndBrokenSamplesAreGuarded) {
    auto engine = QuietEngine(1);
    Apply(*engine, {{kParWet, 0.0f}, {kParDry, 0.5f}, {kParSpread, 0.5f}});  // out = in; the wet path runs
    // {input sample, output, clip}; NaN and infinities count as silence, absurd values are clamped.
    // 0.5 follows a raised flag that the editor's idle cleared: nothing sticks.
    const float cases[][3] = {{0.99999f, 0.99999f, 0}, {-1.5f, -1.5f, 0}, {1.0f, 1.0f, 1}, {0.5f, 0.5f, 0},
                              {NAN, 0, 0}, {INFINITY, 0, 0}, {-INFINITY, 0, 0}, {1.0e30f, 1.0e6f, 1}};
    for (const auto& [sample, heard, clip] : cases) {
        engine->iClip.store(0);
        const Stereo out = Render(*engine, Impulse(2000, 5, sample));
        EXPECT_EQ(out.left[5], heard) << sample;
        EXPECT_EQ(engine->iClip.load(), clip) << sample;
        EXPECT_TRUE(AllFinite(out.left) && AllFinite(out.right)) << sample;
    }
}

TEST(CrowdRenderer, BrokenParametersAtOddRatesGiveFiniteBoundedSound) {
    const auto input = Noise(30000);
    // Every parameter set to the value; those above 1 put every oscillator at its fastest.
    const float cases[][2] = {{1000, INFINITY}, {22050, NAN},    {44100, -INFINITY}, {48000, -1.0e30f},
                              {96000, 2.0f},    {192000, 1.0e30f}, {768000, 7.0f},   {44100, -1.0f}};
    for (const auto& [rate, bad] : cases) {
        auto engine = MakeEngine(rate);
        for (int i = 0; i < kNumParams; ++i) engine->setParameter(i, bad);
        const Stereo out = Render(*engine, input);  // through the fade these started
        EXPECT_TRUE(AllFinite(out.left) && AllFinite(out.right)) << rate << " " << bad;
        EXPECT_LT(std::max(MaxAbs(out.left, 0, 30000), MaxAbs(out.right, 0, 30000)), 1000.0) << rate << " " << bad;
    }
}

// The shell counts the channels itself; the engine still guards against any call.
TEST(CrowdRenderer, RefusedCallsTouchNothingAndOddChannelCountsAreClamped) {
    auto engine = MakeEngine();
    std::vector<float> in(64, 0.5f), outL(64, 3.0f), outR(64, 3.0f);
    const std::vector<float> untouched(64, 3.0f);
    float *ins[2] = {in.data(), nullptr}, *outs[2] = {outL.data(), nullptr}, *none[2] = {};
    engine->DoProcessReplacing(nullptr, outs, 1, 1, 64);
    engine->DoProcessReplacing(ins, nullptr, 1, 1, 64);
    engine->DoProcessReplacing(none, outs, 1, 1, 64);
    engine->DoProcessReplacing(ins, none, 1, 1, 64);
    engine->DoProcessReplacing(ins, outs, 1, 1, -5);
    engine->bReady = 0;  // still constructing
    engine->DoProcessReplacing(ins, outs, 1, 1, 64);
    engine->bReady = 1;
    EXPECT_TRUE(engine->iWritePos == 0 && outL == untouched);
    engine->DoProcessReplacing(ins, outs, 7, 9, 64);  // claims two of each, has one
    EXPECT_TRUE(engine->iWritePos == 64 && AllFinite(outL) && outL[10] != 3.0f);
    outs[1] = outR.data();
    engine->DoProcessReplacing(ins, outs, 0, -1, 64);  // taken as one in, one out
    EXPECT_TRUE(engine->iWritePos == 128 && outR == untouched);
}
