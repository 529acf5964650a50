// Every crowd kernel this CPU runs, driven by the shipped block driver, against the literal
// per-sample oracle: two engines built alike, the same parameter changes at the same block
// boundaries, every output sample compared, and the running state compared after every block.
//
// Tolerance. The oscillators, fades, delays and lines are computed with the same float operations
// in the same order by the oracle and by every kernel (FMA contraction is off everywhere), so they
// agree bit for bit. The outputs differ by rounding only, in two ways (u = 2^-24):
// - A person's read y = y1 + frac (y0 - y1), y_k = cs B_k + sn A_k: a kernel with fused taps
//   rounds three of its products once instead of twice. Either way y lands within 7 u P of the
//   exact value, P being the sum of |each product| (|cs|(|B0| + |B1|) + |sn|(|A0| + |A1|)), so the
//   two differ by at most 14 u P, and the term (g pan) y by 14 u |g pan| P plus a rounding.
// - The people's terms t are summed in another order: n terms in any order land within
//   (n - 1) u sum|t| of the exact sum, so two orders differ by 2 (n - 1) u sum|t|, and
//   |t| <= |g pan| P.
// With the wet/dry mix and the fade, |shipped - oracle| <= (2 * 59 + 20) u * magnitude, the
// magnitude being fade * (|S| sum(|g pan| P) + |dry * input|) of that sample. With one heard
// person and unfused taps there is nothing to round differently: the outputs must be identical.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "CrowdOracle.h"
#include "EngineHarness.h"
#include "engine/CrowdKernel.h"

using namespace mhtest;

// Test names and failure messages show the kernel by name.
void PrintTo(const CrowdKernelEntry& entry, std::ostream* os) { *os << entry.name; }

namespace {

constexpr double kUnit = 1.0 / 16777216.0;
constexpr double kTolerance = (2.0 * kMaxPopulation + 20.0) * kUnit;
constexpr double kDenormalSlack = 1e-37;  // flushed partial sums may differ by a denormal

struct Change {
    int index;
    float value;
};

// One host block, preceded by parameter changes and, optionally, a full program change.
struct Step {
    int frames;
    std::vector<Change> changes = {};
    int program = -1;
    void (*poke)(MurmurhallPlug&) = nullptr;  // a direct change of engine state, for states no parameter makes
};

struct RenderSetup {
    float rate = 44100.0f;
    int numInputs = 2;
    int numOutputs = 2;
    bool inPlace = false;      // outputs are the input buffers
    bool hostile = false;      // NaN, infinities and absurd peaks in the input
    long exactFrom = -1;       // from this frame on one person is heard: outputs must be identical
};

float PopulationOf(int n) { return static_cast<float>(n - 1) * 0.016666668f; }

// Speech-like test input: two sines and noise, different per channel.
std::vector<float> Signal(int frames, unsigned seed, bool hostile) {
    std::vector<float> v(frames);
    for (int i = 0; i < frames; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const float noise = static_cast<float>(static_cast<int>(seed >> 9) % 20001 - 10000) * 2e-5f;
        v[i] = 0.3f * std::sin(0.031f * i + seed % 3) + 0.2f * std::sin(0.0021f * i) + noise;
    }
    if (hostile) {
        for (int i = 37; i < frames; i += 997) v[i] = std::numeric_limits<float>::quiet_NaN();
        for (int i = 91; i < frames; i += 1511) v[i] = std::numeric_limits<float>::infinity();
        for (int i = 500; i < frames; i += 2003) v[i] = -1e30f;
        for (int i = 700; i < frames; i += 3001) v[i] = 4.0f;  // loud enough to raise the overload flag
    }
    return v;
}

// What the shell does for a program change.
void ChangeProgram(MurmurhallPlug& e, int program, float rate) {
    e.BeginSetProgram();
    e.SetProgramData(program, rate);
    for (int i = 0; i < kNumParams; ++i) {
        if (i == 7 || i == 8 || i == 9 || i == 10 || i == 14) continue;
        e.setParameter(i, e.CurrentProgram().Load(i));
    }
    e.setProgram(program);
    e.EndSetProgram();
}

void Apply(MurmurhallPlug& e, const Step& step, float rate) {
    if (step.program >= 0) ChangeProgram(e, step.program, rate);
    for (const Change& change : step.changes) e.setParameter(change.index, change.value);
    if (step.poke != nullptr) step.poke(e);
}

template <class T>
bool SameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

void ExpectSameState(const MurmurhallPlug& a, const MurmurhallPlug& b, bool withLines, const std::string& where) {
    const PersonStates& p = a.person;
    const PersonStates& q = b.person;
    EXPECT_EQ(a.iWritePos, b.iWritePos) << where;
    EXPECT_EQ(a.fFadeGain, b.fFadeGain) << where;
    EXPECT_EQ(a.fFadeStep.load(), b.fFadeStep.load()) << where;
    EXPECT_EQ(a.iPopulation, b.iPopulation) << where;
    EXPECT_EQ(a.iClip.load(), b.iClip.load()) << where;
    EXPECT_TRUE(SameBits(p.fDelayLfoSin, q.fDelayLfoSin) && SameBits(p.fDelayLfoCos, q.fDelayLfoCos)) << where;
    EXPECT_TRUE(SameBits(p.fPitchLfoSin, q.fPitchLfoSin) && SameBits(p.fPitchLfoCos, q.fPitchLfoCos)) << where;
    EXPECT_TRUE(SameBits(p.fShiftSin, q.fShiftSin) && SameBits(p.fShiftCos, q.fShiftCos)) << where;
    EXPECT_TRUE(SameBits(p.fFade, q.fFade) && SameBits(p.fFadeInc, q.fFadeInc)) << where;
    EXPECT_TRUE(SameBits(p.iDelay, q.iDelay) && SameBits(p.iDelayTarget, q.iDelayTarget)) << where;
    EXPECT_TRUE(SameBits(p.fDelayFrac, q.fDelayFrac) && SameBits(p.iReadPos, q.iReadPos)) << where;
    EXPECT_TRUE(SameBits(a.person, b.person)) << where << ": derived person values";
    for (int c = 0; c < 2; ++c) {
        for (int k = 0; k < kDiffuserStages; ++k) {
            EXPECT_EQ(a.diffuser[c][k].GetPosition(), b.diffuser[c][k].GetPosition()) << where;
            EXPECT_EQ(a.diffuser[c][k].GetLastOutput(), b.diffuser[c][k].GetLastOutput()) << where;
        }
        if (withLines) {
            EXPECT_TRUE(SameBits(a.fLine[c], b.fLine[c])) << where << ": lines of channel " << c;
        }
    }
}

struct Outcome {
    double worstRatio = 0.0;  // largest |shipped - oracle| / (u * magnitude) seen
    long frames = 0;
};

// Renders the steps through the driver with `kernel` and through the oracle and compares.
Outcome Compare(const CrowdKernelEntry& kernel, const RenderSetup& setup, const std::vector<Step>& steps,
                int startProgram) {
    auto shipped = MakeEngine(setup.rate);
    auto oracle = MakeEngine(setup.rate);
    shipped->crowdKernel = kernel.kernel;
    EXPECT_TRUE(SameBits(shipped->bank, oracle->bank));
    ChangeProgram(*shipped, startProgram, setup.rate);
    ChangeProgram(*oracle, startProgram, setup.rate);

    long total = 0;
    for (const Step& step : steps) total += step.frames;
    const std::vector<float> left = Signal(static_cast<int>(total), 11, setup.hostile);
    const std::vector<float> right = Signal(static_cast<int>(total), 29, setup.hostile);

    Outcome outcome;
    std::vector<float> inA[2], inB[2], outA[2], outB[2], magnitude[2];
    long at = 0;
    int blockNumber = 0;
    for (const Step& step : steps) {
        const int n = step.frames;
        Apply(*shipped, step, setup.rate);
        Apply(*oracle, step, setup.rate);
        for (int c = 0; c < 2; ++c) {
            const std::vector<float>& source = c == 0 ? left : right;
            inA[c].assign(source.begin() + at, source.begin() + at + n);
            inB[c] = inA[c];
            outA[c].assign(n, -7.0f);
            outB[c].assign(n, -7.0f);
            magnitude[c].assign(n, 0.0f);
        }
        float* inputsA[2] = {inA[0].data(), inA[1].data()};
        float* inputsB[2] = {inB[0].data(), inB[1].data()};
        float* outputsA[2] = {outA[0].data(), outA[1].data()};
        float* outputsB[2] = {outB[0].data(), outB[1].data()};
        if (setup.inPlace) {
            outputsA[0] = inputsA[0], outputsA[1] = inputsA[1];
            outputsB[0] = inputsB[0], outputsB[1] = inputsB[1];
        }
        shipped->DoProcessReplacing(inputsA, outputsA, setup.numInputs, setup.numOutputs, n);
        OracleProcess(*oracle, inputsB, outputsB, setup.numInputs, setup.numOutputs, n,
                      OracleMagnitude{{magnitude[0].data(), magnitude[1].data()}});

        const std::string where = "block " + std::to_string(blockNumber) + " at frame " + std::to_string(at);
        for (int c = 0; c < setup.numOutputs; ++c) {
            for (int s = 0; s < n; ++s) {
                const float a = outputsA[c][s];
                const float b = outputsB[c][s];
                const double diff = std::fabs(static_cast<double>(a) - b);
                const bool exact = setup.exactFrom >= 0 && at + s >= setup.exactFrom;
                const double bound = exact ? 0.0 : kTolerance * magnitude[c][s] + kDenormalSlack;
                if (!(diff <= bound)) {
                    ADD_FAILURE() << where << ", channel " << c << ", frame " << s << ": shipped " << a
                                  << ", oracle " << b << ", magnitude " << magnitude[c][s];
                    return outcome;
                }
                if (magnitude[c][s] > 0.0f)
                    outcome.worstRatio = std::max(outcome.worstRatio, diff / (kUnit * magnitude[c][s]));
            }
        }
        if (setup.numOutputs == 1) {
            EXPECT_EQ(outA[1], std::vector<float>(n, -7.0f)) << where;
        }
        // Lines are 1 MB: compared every 64th block and at the end.
        const bool withLines = blockNumber % 64 == 0 || &step == &steps.back();
        ExpectSameState(*shipped, *oracle, withLines, where);
        if (testing::Test::HasFailure()) return outcome;
        at += n;
        ++blockNumber;
    }
    outcome.frames = at;
    return outcome;
}

// Blocks of the given sizes, cycled, until `frames` are covered.
std::vector<Step> Blocks(std::initializer_list<int> sizes, long frames) {
    std::vector<Step> steps;
    long at = 0;
    while (at < frames) {
        for (int size : sizes) {
            steps.push_back({size});
            at += size;
            if (at >= frames) break;
        }
    }
    return steps;
}

// Adds changes to the block that starts at or after `frame`.
void At(std::vector<Step>& steps, long frame, std::vector<Change> changes, int program = -1) {
    long at = 0;
    for (Step& step : steps) {
        if (at >= frame) {
            step.changes.insert(step.changes.end(), changes.begin(), changes.end());
            if (program >= 0) step.program = program;
            return;
        }
        at += step.frames;
    }
    FAIL() << "no block starts at or after frame " << frame;
}

class KernelEquivalence : public testing::TestWithParam<CrowdKernelEntry> {
protected:
    void Check(const RenderSetup& setup, const std::vector<Step>& steps, int startProgram, long expectFrames) {
        const Outcome outcome = Compare(GetParam(), setup, steps, startProgram);
        if (!HasFailure()) {
            EXPECT_GE(outcome.frames, expectFrames);
        }
        RecordProperty("worst_error_in_units_of_u_magnitude", std::to_string(outcome.worstRatio));
    }
};

// 59 people, every factory program's own values, changes of program at block boundaries; odd and
// even block sizes so runs split everywhere.
TEST_P(KernelEquivalence, FactoryProgramsAndProgramChanges) {
    std::vector<Step> steps = Blocks({256, 1000, 7, 257, 4096, 255, 1, 4096}, 52000);
    At(steps, 0, {{kParPopulation, PopulationOf(59)}});
    At(steps, 14000, {}, 5);
    At(steps, 14100, {{kParPopulation, PopulationOf(59)}});
    At(steps, 30000, {}, 17);
    At(steps, 30100, {{kParPopulation, PopulationOf(59)}, {kParSpread, 0.4f}});
    Check({}, steps, 3, 52000);
}

// Population, solo and spread changes: global fades whose bottoms (reset and full derivation)
// fall inside blocks of 777 and 4096 frames.
TEST_P(KernelEquivalence, GlobalFadesWithBottomsInsideBlocks) {
    std::vector<Step> steps = Blocks({777, 4096, 333}, 56000);
    At(steps, 0, {{kParPopulation, PopulationOf(59)}, {kParSpread, 0.0f}});
    At(steps, 11000, {{kParPopulation, PopulationOf(23)}, {kParSpread, 0.7f}});
    At(steps, 24000, {{kParSolo, 1.0f}, {kParSelected, 0.2f}});
    At(steps, 36000, {{kParSolo, 0.0f}, {kParPopulation, PopulationOf(59)}});
    At(steps, 41000, {{kParPopulation, PopulationOf(40)}});  // a new request during the fade-in
    Check({}, steps, 8, 56000);
}

// Delay-time changes fade single people: out, the new delay at the bottom, and in again.
TEST_P(KernelEquivalence, PersonFadesOnDelayChanges) {
    std::vector<Step> steps = Blocks({255, 257, 1000}, 36000);
    At(steps, 0, {{kParPopulation, PopulationOf(59)}, {kParSpread, 0.3f}});
    At(steps, 11000, {{PersonParam(0, kSlotDelayTime), 0.9f}, {PersonParam(17, kSlotDelayTime), 0.0f},
                      {PersonParam(33, kSlotDelayTime), 0.45f}, {PersonParam(58, kSlotDelayTime), 0.02f},
                      {PersonParam(59, kSlotDelayTime), 0.7f}});  // person 59 is never heard
    At(steps, 13500, {{PersonParam(33, kSlotDelayTime), 0.1f}, {PersonParam(5, kSlotPan), 0.9f},
                      {kParPitchAll, 0.8f}, {kParWet, 0.7f}, {kParDry, 0.3f}});
    At(steps, 24000, {{PersonParam(12, kSlotDelayTime), 1.0f}, {PersonParam(12, kSlotDelayModGain), 1.0f}});
    Check({}, steps, 12, 36000);
}

// Solo: only the selected person is summed (and only its shift and fade move), while everyone's
// modulation still runs. A delay change of an unheard person waits until solo is off.
TEST_P(KernelEquivalence, SoloAndHeldFades) {
    std::vector<Step> steps = Blocks({1000, 7, 4096}, 42000);
    At(steps, 0, {{kParPopulation, PopulationOf(59)}, {kParSolo, 1.0f}, {kParSelected, 0.5f}});
    At(steps, 12000, {{PersonParam(30, kSlotDelayTime), 0.6f}, {PersonParam(4, kSlotDelayTime), 0.2f}});
    At(steps, 20000, {{kParSolo, 0.0f}});
    Check({}, steps, 2, 42000);
}

// A mono input feeds both outputs, each through its own diffuser bank and Hilbert pair.
TEST_P(KernelEquivalence, MonoInputStereoOutput) {
    std::vector<Step> steps = Blocks({512, 100, 4096}, 24000);
    At(steps, 0, {{kParPopulation, PopulationOf(59)}, {kParSpread, 0.5f}});
    Check({.numInputs = 1}, steps, 6, 24000);
}

// One output: only channel 0 is built and the second buffer is left alone.
TEST_P(KernelEquivalence, StereoInputOneOutput) {
    std::vector<Step> steps = Blocks({300, 4096, 65}, 24000);
    At(steps, 0, {{kParPopulation, PopulationOf(59)}, {kParSpread, 0.2f}});
    Check({.numOutputs = 1}, steps, 9, 24000);
}

// Blocks of one frame, through a global fade and a person fade.
TEST_P(KernelEquivalence, SingleFrameBlocks) {
    std::vector<Step> steps = Blocks({1}, 12000);
    At(steps, 0, {{kParPopulation, PopulationOf(59)}, {PersonParam(3, kSlotDelayTime), 0.3f}});
    Check({}, steps, 14, 12000);
}

// NaN, infinite and absurd input samples, processed in place: guarded alike, no poison, and the
// overload flag raised alike. Later a delay oscillator swings far beyond any real amplitude (no
// parameter makes one): its reads are clamped alike and stay inside the ring.
TEST_P(KernelEquivalence, HostileInputInPlace) {
    std::vector<Step> steps = Blocks({256, 4096, 1000}, 24000);
    At(steps, 0, {{kParPopulation, PopulationOf(59)}, {kParSpread, 0.6f}, {kParDry, 0.9f}});
    for (size_t k = 0, at = 0; k < steps.size(); at += steps[k++].frames)
        if (at >= 16000) {
            steps[k].poke = [](MurmurhallPlug& e) {
                e.person.fDelayLfoSin[7] = 3.0e4f;
                e.person.fDelayModGain[7] = 500.0f;
            };
            break;
        }
    Check({.inPlace = true, .hostile = true}, steps, 0, 24000);
}

// At 200 kHz the longest delays reach the end of the ring (the clamp at 65535), so reads meet the
// entries the next frames write: the kernels must then not write ahead of the taps.
TEST_P(KernelEquivalence, DelaysAtTheEndOfTheRing) {
    std::vector<Step> steps = Blocks({4096, 1000, 33}, 90000);
    std::vector<Change> changes = {{kParPopulation, PopulationOf(59)}};
    for (int p = 0; p < kMaxPopulation; p += 3) {
        changes.push_back({PersonParam(p, kSlotDelayTime), p % 2 == 0 ? 1.0f : 0.98f});
        changes.push_back({PersonParam(p, kSlotDelayModGain), 1.0f});
    }
    At(steps, 0, changes);
    Check({.rate = 200000.0f}, steps, 4, 90000);
}

// With one heard person there is no sum to reorder: identical outputs where the taps are not fused,
// solo or population 1, from the bottom of the first fade (which derives the program's values) on.
TEST_P(KernelEquivalence, OneHeardPersonIsExactWithUnfusedTaps) {
    std::vector<Step> steps = Blocks({1000, 257}, 30000);
    At(steps, 0, {{kParPopulation, PopulationOf(40)}, {kParSolo, 1.0f}, {kParSelected, 0.3f}});
    At(steps, 11000, {{PersonParam(18, kSlotDelayTime), 0.25f}});
    At(steps, 16000, {{kParSolo, 0.0f}, {kParPopulation, PopulationOf(1)}, {kParSpread, 0.8f}});
    Check({.exactFrom = GetParam().fusedTaps ? -1 : 5100}, steps, 20, 30000);
}

// A selected person outside the population (no parameter can make one) means nobody is summed:
// the output is the dry signal alone, exactly, even right after a larger crowd.
TEST_P(KernelEquivalence, StraySelectionHearsNobody) {
    std::vector<Step> steps = Blocks({512, 77}, 16000);
    At(steps, 0, {{kParPopulation, PopulationOf(59)}, {kParWet, 0.5f}, {kParDry, 0.6f}});
    // After the fade and the derivation at the first block start that follows it.
    long at = 0;
    size_t k = 0;
    for (; at < 11000; ++k) at += steps[k].frames;
    steps[k].poke = [](MurmurhallPlug& e) {
        e.iPopulation = 20;
        e.iSolo = 1;
        e.iSelected = 50;
    };
    Check({.exactFrom = at}, steps, 1, 16000);
}

std::vector<CrowdKernelEntry> Kernels() {
    const auto kernels = SupportedCrowdKernels();
    return {kernels.begin(), kernels.end()};
}

INSTANTIATE_TEST_SUITE_P(Supported, KernelEquivalence, testing::ValuesIn(Kernels()),
                         [](const testing::TestParamInfo<CrowdKernelEntry>& info) {
                             return std::string(info.param.name);
                         });

TEST(CrowdKernelSelection, PicksTheWidestKernelTheCpuRuns) {
    const auto kernels = SupportedCrowdKernels();
    ASSERT_GE(kernels.size(), 1u);
    EXPECT_STREQ(kernels[0].name, "sse2");
    EXPECT_EQ(SelectCrowdKernel(), kernels.back().kernel);
    EXPECT_STREQ(CrowdKernelName(SelectCrowdKernel()), kernels.back().name);
    __builtin_cpu_init();
    const char* widest = __builtin_cpu_supports("avx512f") ? "avx512frames"
                         : __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? "avx2"
                                                                                           : "sse2";
    EXPECT_STREQ(CrowdKernelName(SelectCrowdKernel()), widest);
    auto engine = MakeEngine();
    EXPECT_EQ(engine->crowdKernel, SelectCrowdKernel());
    EXPECT_STREQ(CrowdKernelName(nullptr), "unknown");
}

}  // namespace
