// The crowd renderer measured from outside: delays, frequency shifts, pan, levels, fades, solo,
// channel handling and the guards against broken input.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineHarness.h"

using namespace mhtest;

namespace {

// n identical people at delay 0, no shift, centred, full gain; wet gain 1, dry 0.
std::unique_ptr<MurmurhallPlug> QuietEngine(int n, float rate = 44100.0f) {
    auto engine = MakeEngine(rate);
    SetQuietCrowd(*engine, n);
    Settle(*engine);
    FreezeShift(*engine);
    return engine;
}

void Apply(MurmurhallPlug& engine, int index, float value, bool freeze = true) {
    engine.setParameter(index, value);
    Settle(engine);
    if (freeze) FreezeShift(engine);
}

// The second Hilbert output for an input, with the renderer's 1e-20 offset: what a person with a
// frozen oscillator (sin 0, cos 1) reads from line B.
std::vector<float> HilbertB(const std::vector<float>& input) {
    FX_HilbertAllPass hilbert;
    std::vector<float> out(input.size());
    for (size_t i = 0; i < input.size(); ++i) {
        float a = 0.0f;
        hilbert.process(input[i] + 1e-20f, a, out[i]);
    }
    return out;
}

std::vector<float> Noise(int frames, unsigned seed = 7) {
    std::vector<float> v(frames);
    for (float& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(static_cast<int>(seed >> 8) % 20001 - 10000) * 5e-5f;
    }
    return v;
}

// Expects out[m] to be person 0's frozen read of line B at a heard delay of `heard` samples.
void ExpectDelayedHilbert(const MurmurhallPlug& engine, const std::vector<float>& out,
                          const std::vector<float>& input, int heard, int channel) {
    const std::vector<float> b = HilbertB(input);
    const float scale = engine.fWetGain * 5.0f;
    const float gp = engine.person.fGain[0] * engine.person.fFade[0] * engine.person.fPan[channel][0];
    for (int m = 0; m < static_cast<int>(out.size()); ++m) {
        const float y = m - heard >= 0 ? b[m - heard] : 0.0f;
        ASSERT_FLOAT_EQ(out[m], scale * (gp * y)) << "frame " << m;
    }
}

}  // namespace

TEST(CrowdRendererDelay, ImpulseIsHeardOneSampleBeforeTheDelay) {
    auto engine = QuietEngine(1);
    Apply(*engine, PersonParam(0, kSlotDelayTime), 0.01f);
    ASSERT_EQ(engine->person.iDelay[0], 146);
    const auto input = Impulse(600, 10);
    const Stereo out = Render(*engine, input);
    EXPECT_LT(MaxAbs(out.left, 0, 10 + 145), 1e-15);
    EXPECT_GT(std::fabs(out.left[10 + 145]), 0.05f);
    ExpectDelayedHilbert(*engine, out.left, input, 145, 0);
    ExpectDelayedHilbert(*engine, out.right, input, 145, 1);
}

TEST(CrowdRendererDelay, ZeroDelayIsHeardAtOnce) {
    auto engine = QuietEngine(1);
    ASSERT_EQ(engine->person.iDelay[0], 0);
    const auto input = Impulse(300, 0);
    const Stereo out = Render(*engine, input);
    EXPECT_GT(std::fabs(out.left[0]), 0.05f);
    ExpectDelayedHilbert(*engine, out.left, input, 0, 0);
}

TEST(CrowdRendererDelay, LongestDelayAt44kAnd192k) {
    {
        auto engine = QuietEngine(1, 44100.0f);
        Apply(*engine, PersonParam(0, kSlotDelayTime), 1.0f);
        ASSERT_EQ(engine->person.iDelay[0], 14699);
        const auto input = Impulse(14800, 0);
        ExpectDelayedHilbert(*engine, Render(*engine, input).left, input, 14698, 0);
    }
    {
        auto engine = QuietEngine(1, 192000.0f);
        Apply(*engine, PersonParam(0, kSlotDelayTime), 1.0f);
        ASSERT_EQ(engine->person.iDelay[0], 63999);
        const auto input = Impulse(64100, 0);
        const Stereo out = Render(*engine, input);
        EXPECT_GT(std::fabs(out.left[63998]), 0.05f);
        ExpectDelayedHilbert(*engine, out.left, input, 63998, 0);
    }
    SetGlobalRate(44100.0f);
}

TEST(CrowdRendererDelay, DelaysBeyondTheRingAreHeldAtItsEnd) {
    // At 768 kHz a third of a second is 255999 samples; the read stops at the ring's last entry,
    // which also exercises the guard copy of entry 0.
    auto engine = QuietEngine(1, 768000.0f);
    Apply(*engine, PersonParam(0, kSlotDelayTime), 1.0f);
    ASSERT_EQ(engine->person.iDelay[0], 255999);
    const auto input = Impulse(kLineSize + 100, 0);
    const Stereo out = Render(*engine, input);
    EXPECT_TRUE(AllFinite(out.left));
    EXPECT_GT(std::fabs(out.left[kLineSize - 2]), 0.05f);
    ExpectDelayedHilbert(*engine, out.left, input, kLineSize - 2, 0);
    SetGlobalRate(44100.0f);
}

TEST(CrowdRendererDelay, DelayModulationStaysWithinItsDepth) {
    auto engine = QuietEngine(3);
    for (int p = 0; p < 3; ++p) {
        engine->setParameter(PersonParam(p, kSlotDelayTime), 0.1f);
        engine->setParameter(PersonParam(p, kSlotDelayModGain), 1.0f);
        engine->setParameter(PersonParam(p, kSlotDelayModSpeed), 1.0f);
    }
    Settle(*engine);
    const int delay = engine->person.iDelay[0];
    std::vector<float> silence(64, 0.0f);
    float lo = 1e9f, hi = -1e9f;
    for (int block = 0; block < 700; ++block) {  // about one second: two periods at 2.1 Hz
        Render(*engine, silence, nullptr, 2, 64);
        const int ago = (engine->iWritePos - 1 - engine->person.iReadPos[1]) & kLineMask;
        const float d = static_cast<float>(ago) + engine->person.fDelayFrac[1];
        lo = std::min(lo, d);
        hi = std::max(hi, d);
    }
    EXPECT_GE(lo, delay - 550.0f - 0.01f);
    EXPECT_LE(hi, delay + 550.0f + 0.01f);
    EXPECT_GT(hi - lo, 1000.0f) << "swings over most of +-550 samples";
}

TEST(CrowdRendererShift, PersonShiftMovesASineByItsHz) {
    const double fs = 44100.0;
    const auto input = Sine(1000.0, fs, 44100);
    const std::pair<float, double> cases[] = {{1.0f, 1080.0}, {0.0f, 920.0}, {0.75f, 1040.0}};
    for (const auto& [value, expected] : cases) {
        auto engine = QuietEngine(1);
        Apply(*engine, PersonParam(0, kSlotPitchShift), value, false);
        const Stereo out = Render(*engine, input);
        EXPECT_NEAR(ZeroCrossingHz(out.right, 4410, 44100, fs), expected, 0.5) << value;
        const double wanted = PowerAt(out.right, 4410, 44100, expected, fs);
        EXPECT_GT(wanted, 300.0 * PowerAt(out.right, 4410, 44100, 2000.0 - expected, fs)) << "image";
        EXPECT_GT(wanted, 300.0 * PowerAt(out.right, 4410, 44100, 1000.0, fs)) << "carrier";
    }
}

TEST(CrowdRendererShift, GlobalOffsetAddsToEveryPerson) {
    const double fs = 44100.0;
    const auto input = Sine(1000.0, fs, 44100);
    {
        auto engine = QuietEngine(1);
        Apply(*engine, kParPitchAll, 0.0f, false);  // -440 Hz
        const Stereo out = Render(*engine, input);
        EXPECT_NEAR(ZeroCrossingHz(out.left, 4410, 44100, fs), 560.0, 0.5);
    }
    {
        auto engine = QuietEngine(1);
        engine->setParameter(kParPitchAll, 0.75f);                    // +220 Hz
        engine->setParameter(PersonParam(0, kSlotPitchShift), 0.0f);  // -80 Hz
        Settle(*engine);
        const Stereo out = Render(*engine, input);
        EXPECT_NEAR(ZeroCrossingHz(out.left, 4410, 44100, fs), 1140.0, 0.5);
    }
}

TEST(CrowdRendererShift, PitchModulationWobblesAroundTheShift) {
    const double fs = 44100.0;
    auto engine = QuietEngine(1);
    engine->setParameter(PersonParam(0, kSlotPitchModGain), 1.0f);   // about +-70 Hz
    engine->setParameter(PersonParam(0, kSlotPitchModSpeed), 1.0f);  // 2.8 Hz
    Settle(*engine);
    const Stereo out = Render(*engine, Sine(1000.0, fs, 44100));
    double lo = 1e9, hi = 0.0;
    for (int from = 4410; from + 2205 <= 44100; from += 2205) {  // 50 ms windows
        const double hz = ZeroCrossingHz(out.left, from, from + 2205, fs);
        lo = std::min(lo, hz);
        hi = std::max(hi, hz);
    }
    EXPECT_LT(lo, 960.0);
    EXPECT_GT(hi, 1040.0);
    EXPECT_GT(lo, 920.0);
    EXPECT_LT(hi, 1080.0);
}

TEST(CrowdRendererLevels, PanLawSetsTheChannelRatio) {
    const auto input = Noise(4000);
    {
        auto engine = QuietEngine(1);
        Apply(*engine, PersonParam(0, kSlotPan), 0.25f);
        const Stereo out = Render(*engine, input);
        EXPECT_NEAR(Rms(out.left, 0, 4000) / Rms(out.right, 0, 4000), 0.9140625 / 0.3671875, 1e-4);
    }
    {
        auto engine = QuietEngine(1);
        Apply(*engine, PersonParam(0, kSlotPan), 0.0f);
        const Stereo out = Render(*engine, input);
        EXPECT_EQ(MaxAbs(out.right, 0, 4000), 0.0);
        EXPECT_GT(Rms(out.left, 0, 4000), 0.01);
    }
    {
        auto engine = QuietEngine(1);
        const Stereo out = Render(*engine, input);
        EXPECT_EQ(out.left, out.right) << "centred: both sides alike";
    }
}

TEST(CrowdRendererLevels, WetIsScaledByOneOverRootOfPopulation) {
    const auto input = Noise(3000);
    auto single = QuietEngine(1);
    const double one = Rms(Render(*single, input).left, 0, 3000);
    ASSERT_GT(one, 0.01);
    for (int n : {4, 9, 16, 59}) {
        auto engine = QuietEngine(n);
        const double rms = Rms(Render(*engine, input).left, 0, 3000);
        EXPECT_NEAR(rms / one, std::sqrt(static_cast<double>(n)), 1e-3) << n;
    }
}

TEST(CrowdRendererLevels, WetChangeReachesTheScaleOneBlockLater) {
    auto engine = QuietEngine(1);
    std::vector<float> dc(20000, 0.5f);
    Render(*engine, dc);  // the Hilbert pair settles to the constant
    std::vector<float> block(100, 0.5f);
    const double before = Rms(Render(*engine, block, nullptr, 2, 100).left, 0, 100);
    engine->setParameter(kParWet, 0.25f);  // gain 1 -> 0.25
    const double first = Rms(Render(*engine, block, nullptr, 2, 100).left, 0, 100);
    const double second = Rms(Render(*engine, block, nullptr, 2, 100).left, 0, 100);
    EXPECT_NEAR(first, before, 1e-6 * before);
    EXPECT_NEAR(second * 4.0, before, 1e-4 * before);
}

TEST(CrowdRendererSolo, OnlyTheSelectedPersonSoundsAtFullScale) {
    auto engine = QuietEngine(10);
    engine->setParameter(kParSolo, 1.0f);
    engine->setParameter(kParSelected, SelectedValue(3));
    engine->setParameter(PersonParam(3, kSlotDelayTime), 0.0068f);  // 99 samples
    engine->setParameter(PersonParam(5, kSlotPitchShift), 1.0f);
    engine->setParameter(PersonParam(5, kSlotDelayModSpeed), 1.0f);
    Settle(*engine);
    FreezeShift(*engine);
    ASSERT_EQ(engine->iSolo, 1);
    ASSERT_EQ(engine->iSelected, 3);
    ASSERT_EQ(engine->person.iDelay[3], 99);
    engine->person.fFadeInc[5] = -kFadeStepSize;
    engine->person.fFade[5] = 0.5f;
    const float lfo5 = engine->person.fDelayLfoSin[5];
    const float lfo20 = engine->person.fDelayLfoSin[20];

    const auto input = Impulse(400, 0);
    const Stereo out = Render(*engine, input);
    const std::vector<float> b = HilbertB(input);
    const float scale = engine->fWetGain * 5.0f;  // no 1/sqrt(10)
    const float gp = engine->person.fGain[3] * engine->person.fPan[0][3];
    for (int m = 0; m < 400; ++m) ASSERT_FLOAT_EQ(out.left[m], scale * (gp * (m >= 98 ? b[m - 98] : 0.0f))) << m;

    EXPECT_NE(engine->person.fDelayLfoSin[5], lfo5) << "held-out people still move their modulation";
    EXPECT_EQ(engine->person.fShiftSin[5], 0.0f) << "but not their shift oscillator";
    EXPECT_EQ(engine->person.fFade[5], 0.5f) << "nor their fade";
    EXPECT_EQ(engine->person.fDelayLfoSin[20], lfo20) << "people outside the population stand still";
}

TEST(CrowdRendererFade, PopulationChangeFadesOutResetsAndFadesBackIn) {
    auto engine = QuietEngine(4);
    Apply(*engine, kParWet, 0.0f);
    Apply(*engine, kParDry, 0.5f);  // dry gain 1: the output is the fade gain times the input
    std::vector<float> dc(12000, 0.25f);

    engine->setParameter(kParPopulation, PopulationValue(9));
    std::vector<float> head(dc.begin(), dc.begin() + 4990);
    const Stereo a = Render(*engine, head);
    EXPECT_EQ(engine->iPopulation, 4) << "nothing derived before the bottom";
    std::vector<float> tail(dc.begin() + 4990, dc.end());
    const Stereo b = Render(*engine, tail);
    EXPECT_EQ(engine->iPopulation, 9);

    std::vector<float> out = a.left;
    out.insert(out.end(), b.left.begin(), b.left.end());
    int bottom = -1;
    for (int m = 0; m < 12000 && bottom < 0; ++m)
        if (out[m] == 0.0f) bottom = m;
    ASSERT_GE(bottom, 4998);
    ASSERT_LE(bottom, 5001);
    for (int m = 0; m < bottom; ++m) ASSERT_NEAR(out[m], 0.25f * (1.0f - (m + 1) * kFadeStepSize), 1e-4f) << m;
    for (int m = bottom; m < bottom + 5000; ++m)
        ASSERT_NEAR(out[m], 0.25f * std::min(1.0f, (m - bottom) * kFadeStepSize), 1e-4f) << m;
    for (int m = bottom + 5002; m < 12000; ++m) ASSERT_EQ(out[m], 0.25f) << m;
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f);
    EXPECT_EQ(engine->fFadeGain, 1.0f);
}

TEST(CrowdRendererFade, LinesAreClearedAtTheBottom) {
    auto engine = QuietEngine(4);
    const auto input = Noise(12000);
    Render(*engine, std::vector<float>(input.begin(), input.begin() + 2000));
    engine->setParameter(kParSolo, 1.0f);
    // One frame per block up to the bottom, then ten more.
    std::vector<float> one(1);
    int m = 2000;
    while (engine->fFadeStep.load() < 0.0f) {
        one[0] = input[m++];
        Render(*engine, one, nullptr, 2, 1);
    }
    EXPECT_EQ(engine->fFadeGain, 0.0f);
    EXPECT_EQ(engine->iSolo, 1);
    Render(*engine, std::vector<float>(input.begin() + m, input.begin() + m + 10));
    int filled = 0;
    for (int i = 0; i < kLineStride; ++i) filled += std::fabs(engine->fLine[0][i]) > 1e-12f;
    EXPECT_LE(filled, 2 * 11) << "only what was written since the bottom";
    EXPECT_GE(filled, 2 * 10);
}

TEST(CrowdRendererFade, DelayChangeFadesOnlyThatPersonAndSwitchesAtTheBottom) {
    auto engine = QuietEngine(1);
    const double fs = 44100.0;
    const auto input = Sine(500.0, fs, 20000);
    const Stereo steady = Render(*engine, std::vector<float>(input.begin(), input.begin() + 2000));

    engine->setParameter(PersonParam(0, kSlotDelayTime), 0.01f);  // 146 samples
    const Stereo a = Render(*engine, std::vector<float>(input.begin() + 2000, input.begin() + 4500), nullptr, 2, 100);
    EXPECT_NEAR(engine->person.fFade[0], 0.5f, 1e-3f);
    EXPECT_EQ(engine->person.iDelay[0], 0);
    EXPECT_EQ(engine->fFadeStep.load(), 0.0f) << "no global fade";
    const Stereo b = Render(*engine, std::vector<float>(input.begin() + 4500, input.begin() + 20000), nullptr, 2, 100);
    EXPECT_EQ(engine->person.iDelay[0], 146);
    EXPECT_EQ(engine->person.fFade[0], 1.0f);
    EXPECT_EQ(engine->person.fFadeInc[0], 0.0f);

    const double full = Rms(steady.left, 1000, 2000);
    ASSERT_GT(full, 0.1);
    EXPECT_LT(Rms(b.left, 2500 - 50, 2500 + 50), 0.03 * full) << "silent near the bottom";
    EXPECT_NEAR(Rms(b.left, 8000, 10000), full, 0.01 * full) << "back to full";
}

TEST(CrowdRendererChannels, MonoInputFeedsBothOutputsThroughTheirOwnDiffuser) {
    const auto input = Noise(4000);
    {
        auto engine = QuietEngine(1);
        const Stereo out = Render(*engine, input);  // one input
        EXPECT_EQ(out.left, out.right);
        EXPECT_GT(Rms(out.left, 0, 4000), 0.01);
    }
    {
        auto engine = QuietEngine(1);
        Apply(*engine, kParSpread, 0.5f);
        const Stereo out = Render(*engine, input);
        std::vector<float> diff(4000);
        for (int i = 0; i < 4000; ++i) diff[i] = out.left[i] - out.right[i];
        EXPECT_GT(Rms(diff, 0, 4000), 0.1 * Rms(out.left, 0, 4000));
    }
}

TEST(CrowdRendererChannels, InPlaceBuffersGiveTheSameSound) {
    const int frames = 1500;
    const auto inL = Noise(frames, 3);
    const auto inR = Noise(frames, 4);
    for (int inputs : {1, 2}) {
        auto reference = MakeEngine();
        auto inPlace = MakeEngine();
        std::vector<float> outL(frames), outR(frames);
        float* refIn[2] = {const_cast<float*>(inL.data()), const_cast<float*>(inR.data())};
        float* refOut[2] = {outL.data(), outR.data()};
        reference->DoProcessReplacing(refIn, refOut, inputs, 2, frames);

        std::vector<float> bufL = inL, bufR = inputs == 2 ? inR : std::vector<float>(frames, 9.0f);
        float* io[2] = {bufL.data(), bufR.data()};
        inPlace->DoProcessReplacing(io, io, inputs, 2, frames);
        EXPECT_EQ(bufL, outL) << inputs;
        EXPECT_EQ(bufR, outR) << inputs;
    }
}

TEST(CrowdRendererChannels, OneOutputBuildsChannelZeroOnly) {
    const auto input = Noise(3000);
    auto stereo = QuietEngine(2);
    auto mono = QuietEngine(2);
    for (auto* engine : {stereo.get(), mono.get()}) {
        Apply(*engine, kParSpread, 0.6f);
        engine->person.fShiftSin[1] = 0.3f;  // frozen apart from person 0, same in both engines
    }
    const Stereo both = Render(*stereo, input);
    std::vector<float> left(3000), sentinel(3000, 7.0f);
    float* in[2] = {const_cast<float*>(input.data()), nullptr};
    float* out[2] = {left.data(), sentinel.data()};
    mono->DoProcessReplacing(in, out, 1, 1, 3000);
    EXPECT_EQ(left, both.left);
    EXPECT_EQ(sentinel, std::vector<float>(3000, 7.0f)) << "the second output is not touched";

    auto right = QuietEngine(1);
    Apply(*right, PersonParam(0, kSlotPan), 1.0f);
    std::vector<float> only(3000);
    float* out1[2] = {only.data(), nullptr};
    right->DoProcessReplacing(in, out1, 1, 1, 3000);
    EXPECT_EQ(MaxAbs(only, 0, 3000), 0.0) << "a person panned right is silent on one output";
}

TEST(CrowdRendererOverload, ClipIsRaisedAtOneButNotByNegativePeaks) {
    auto engine = QuietEngine(1);
    Apply(*engine, kParWet, 0.0f);
    Apply(*engine, kParDry, 0.5f);
    Render(*engine, Impulse(64, 5, 0.99999f));
    EXPECT_EQ(engine->iClip.load(), 0);
    Render(*engine, Impulse(64, 5, -1.5f));
    EXPECT_EQ(engine->iClip.load(), 0);
    const Stereo out = Render(*engine, Impulse(64, 5, 1.0f));
    EXPECT_EQ(out.left[5], 1.0f);
    EXPECT_EQ(engine->iClip.load(), 1);
    engine->iClip.store(0);  // as the editor's idle does
    Render(*engine, Impulse(64, 5, 0.5f));
    EXPECT_EQ(engine->iClip.load(), 0);
}

TEST(CrowdRendererGuards, BrokenInputSamplesCountAsSilenceOrClamp) {
    const auto clean = Sine(700.0, 44100.0, 3000);
    const std::pair<float, float> cases[] = {{NAN, 0.0f}, {INFINITY, 0.0f}, {-INFINITY, 0.0f}, {1.0e30f, 1.0e6f}};
    for (const auto& [bad, taken] : cases) {
        auto broken = MakeEngine();
        auto reference = MakeEngine();
        for (auto* engine : {broken.get(), reference.get()}) {
            engine->setParameter(kParSpread, 0.5f);
            Settle(*engine);
        }
        auto input = clean;
        input[300] = bad;
        auto expected = clean;
        expected[300] = taken;
        const Stereo out = Render(*broken, input);
        EXPECT_TRUE(AllFinite(out.left) && AllFinite(out.right)) << bad;
        EXPECT_EQ(out.left, Render(*reference, expected).left) << bad;
    }
}

TEST(CrowdRendererGuards, BrokenParameterValuesGiveFiniteBoundedSound) {
    const auto input = Noise(15000);
    for (float bad : {NAN, INFINITY, -INFINITY, 1.0e30f, -1.0e30f, 2.0f, -1.0f}) {
        auto engine = MakeEngine();
        for (int i = 0; i < kNumParams; ++i) engine->setParameter(i, bad);
        const Stereo out = Render(*engine, input);  // through the fade these started
        EXPECT_TRUE(AllFinite(out.left) && AllFinite(out.right)) << bad;
        EXPECT_LT(MaxAbs(out.left, 0, 15000), 1000.0) << bad;
        EXPECT_LT(MaxAbs(out.right, 0, 15000), 1000.0) << bad;
    }
}

TEST(CrowdRendererGuards, EveryRateRendersFiniteSound) {
    for (float rate : {1000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f, 768000.0f}) {
        auto engine = MakeEngine(rate);
        engine->setParameter(kParPopulation, 1.0f);
        engine->setParameter(kParPitchAll, 1.0f);
        engine->setParameter(kParSpread, 1.0f);
        for (int p = 0; p < kNumPeople; ++p) {
            engine->setParameter(PersonParam(p, kSlotPitchShift), 1.0f);
            engine->setParameter(PersonParam(p, kSlotPitchModGain), 1.0f);
        }
        const auto input = Noise(30000);
        const Stereo out = Render(*engine, input);
        EXPECT_TRUE(AllFinite(out.left) && AllFinite(out.right)) << rate;
        EXPECT_LT(MaxAbs(out.left, 20000, 30000), 1000.0) << rate;
    }
    SetGlobalRate(44100.0f);
}

TEST(CrowdRendererDriver, RefusedCallsTouchNothing) {
    auto engine = MakeEngine();
    std::vector<float> in(64, 0.5f), outL(64, 3.0f), outR(64, 3.0f);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {outL.data(), outR.data()};
    float* nullIns[2] = {nullptr, nullptr};
    float* nullOuts[2] = {nullptr, outR.data()};
    engine->DoProcessReplacing(nullptr, outs, 2, 2, 64);
    engine->DoProcessReplacing(ins, nullptr, 2, 2, 64);
    engine->DoProcessReplacing(ins, outs, 2, 2, 0);
    engine->DoProcessReplacing(ins, outs, 2, 2, -5);
    engine->DoProcessReplacing(nullIns, outs, 2, 2, 64);
    engine->DoProcessReplacing(ins, nullOuts, 2, 2, 64);
    engine->bReady = 0;
    engine->DoProcessReplacing(ins, outs, 2, 2, 64);
    engine->bReady = 1;
    EXPECT_EQ(engine->iWritePos, 0);
    EXPECT_EQ(outL, std::vector<float>(64, 3.0f));
    EXPECT_EQ(outR, std::vector<float>(64, 3.0f));
}

TEST(CrowdRendererDriver, OddChannelCountsAreClampedAndMissingBuffersDropped) {
    auto engine = MakeEngine();
    std::vector<float> in(64, 0.25f), outL(64, 3.0f), outR(64, 3.0f);
    float* ins[2] = {in.data(), nullptr};
    float* outs[2] = {outL.data(), nullptr};
    engine->DoProcessReplacing(ins, outs, 7, 9, 64);  // claims two of each, has one
    EXPECT_EQ(engine->iWritePos, 64);
    EXPECT_TRUE(AllFinite(outL));
    EXPECT_NE(outL[10], 3.0f);
    float* both[2] = {outL.data(), outR.data()};
    engine->DoProcessReplacing(ins, both, 0, -1, 64);  // taken as one in, one out
    EXPECT_EQ(engine->iWritePos, 128);
    EXPECT_EQ(outR, std::vector<float>(64, 3.0f));
}

TEST(CrowdRendererDriver, DoProcessReplacesRatherThanAccumulates) {
    auto a = MakeEngine();
    auto b = MakeEngine();
    const auto input = Noise(512);
    std::vector<float> outA(512, 5.0f), outB(512, -5.0f), outA2(512, 5.0f), outB2(512, -5.0f);
    float* in[2] = {const_cast<float*>(input.data()), nullptr};
    float* oa[2] = {outA.data(), outA2.data()};
    float* ob[2] = {outB.data(), outB2.data()};
    a->DoProcess(in, oa, 1, 2, 512);
    b->DoProcessReplacing(in, ob, 1, 2, 512);
    EXPECT_EQ(outA, outB);
    EXPECT_EQ(outA2, outB2);
}

TEST(CrowdRendererDriver, BlockSizeDoesNotChangeTheSoundThroughAFade) {
    auto whole = MakeEngine();
    auto pieces = MakeEngine();
    const auto input = Noise(12000, 11);
    whole->setProgram(0);
    pieces->setProgram(0);
    const Stereo expected = Render(*whole, input, nullptr, 2, 12000);
    Stereo got{std::vector<float>(12000), std::vector<float>(12000)};
    const int sizes[] = {1, 7, 256, 257, 300, 1, 2048, 333, 4096};
    int at = 0;
    for (int k = 0; at < 12000; k = (k + 1) % 9) {
        const int n = std::min(sizes[k], 12000 - at);
        float* in[2] = {const_cast<float*>(input.data()) + at, nullptr};
        float* out[2] = {got.left.data() + at, got.right.data() + at};
        pieces->DoProcessReplacing(in, out, 1, 2, n);
        at += n;
    }
    EXPECT_EQ(got.left, expected.left);
    EXPECT_EQ(got.right, expected.right);
    EXPECT_EQ(whole->fFadeStep.load(), 0.0f) << "the fade ran its course in both";
}
