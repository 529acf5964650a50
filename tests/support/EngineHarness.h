// Helpers for driving the crowd engine headless: named parameter indices, an engine built the way
// the shell builds it, a steady "quiet" crowd, block rendering and a few measurements.
#pragma once

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

#include "engine/GlobalSampleRate.h"
#include "engine/MurmurhallPlug.h"

namespace mhtest {

constexpr int kParPopulation = 0, kParSelected = 1, kParWet = 2, kParDry = 3, kParSolo = 6;
constexpr int kParSpread = 12, kParPitchAll = 13;
enum PersonSlot { kSlotPitchShift, kSlotPitchModGain, kSlotPitchModSpeed, kSlotDelayTime, kSlotDelayModGain,
                  kSlotDelayModSpeed, kSlotPan, kSlotGain };

constexpr int PersonParam(int p, int slot) { return kNumGlobals + kFloatsPerPerson * p + slot; }
// The stored value that derives to n people.
inline float PopulationValue(int n) { return static_cast<float>(n - 1) * 0.016666668f; }
// Oscillator frequency in Hz of a coefficient w = 2 sin(pi f / fs).
inline double CoefHz(float w, double fs) { return std::asin(static_cast<double>(w) / 2.0) * fs / M_PI; }

// The process-wide rate, as it stands before an engine (and its Hilbert shifters) is built.
inline void SetGlobalRate(float rate) {
    fGlobalSampleRate.store(rate);
    fGlobalSampleRateOver.store(static_cast<float>(1.0 / rate));
    iGlobalSampleRate.store(static_cast<int32_t>(rate));
}

// Built like the shell does: construction at the rate, program 0, diffuser room, reset.
inline std::unique_ptr<MurmurhallPlug> MakeEngine(float rate = 44100.0f) {
    SetGlobalRate(rate);
    auto engine = std::make_unique<MurmurhallPlug>();
    engine->SetProgramData(0, rate);
    engine->ReserveDiffuser();
    engine->resumeDSP();
    return engine;
}

// Applies every pending change at once, without the fades a change would normally bring, and
// resets; optionally puts every shift oscillator at phase 0, where a zero coefficient keeps it.
inline void Settle(MurmurhallPlug& engine, bool freezeShift = false) {
    engine.UpdateRunThrough();
    std::fill_n(engine.person.fFade, kNumPeople, 1.0f);
    std::fill_n(engine.person.fFadeInc, kNumPeople, 0.0f);
    engine.fFadeStep.store(0.0f);
    engine.fFadeGain = 1.0f;
    engine.resumeDSP();  // which also takes every pending delay
    if (!freezeShift) return;
    std::fill_n(engine.person.fShiftSin, kNumPeople, 0.0f);
    std::fill_n(engine.person.fShiftCos, kNumPeople, 1.0f);
}

// Sets the parameters and settles.
inline void Apply(MurmurhallPlug& engine, std::initializer_list<std::pair<int, float>> values, bool freezeShift = false) {
    for (const auto& [index, value] : values) engine.setParameter(index, value);
    Settle(engine, freezeShift);
}

// n identical, unshifted, unmodulated, centred people at delay 0 and full gain; wet gain 1, dry 0,
// no solo, no diffuser; settled with frozen shift oscillators.
inline std::unique_ptr<MurmurhallPlug> QuietEngine(int n, float rate = 44100.0f) {
    auto engine = MakeEngine(rate);
    const float slots[8] = {0.5f, 0, 0, 0, 0, 0, 0.5f, 1.0f};  // in PersonSlot order
    for (int p = 0; p < kNumPeople; ++p)
        for (int k = 0; k < 8; ++k) engine->setParameter(PersonParam(p, k), slots[k]);
    Apply(*engine, {{kParPopulation, PopulationValue(n)}, {kParSelected, 0.0f}, {kParWet, 0.5f}, {kParDry, 0.0f},
                    {kParSolo, 0.0f}, {kParSpread, 0.0f}, {kParPitchAll, 0.5f}}, true);
    return engine;
}

struct Stereo {
    std::vector<float> left, right;
};

// Renders left (and right, when given) input through the engine in blocks.
inline Stereo Render(MurmurhallPlug& engine, const std::vector<float>& inLeft,
                     const std::vector<float>* inRight = nullptr, int numOutputs = 2, int block = 512) {
    const int frames = static_cast<int>(inLeft.size());
    Stereo out{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
    for (int start = 0; start < frames; start += block) {
        float* inputs[2] = {const_cast<float*>(inLeft.data()) + start,
                            inRight ? const_cast<float*>(inRight->data()) + start : nullptr};
        float* outputs[2] = {out.left.data() + start, out.right.data() + start};
        engine.DoProcessReplacing(inputs, outputs, inRight ? 2 : 1, numOutputs, std::min(block, frames - start));
    }
    return out;
}

inline std::vector<float> Sine(double hz, double fs, int frames, float amplitude = 0.5f) {
    std::vector<float> v(frames);
    for (int i = 0; i < frames; ++i) v[i] = amplitude * static_cast<float>(std::sin(2.0 * M_PI * hz * i / fs));
    return v;
}

inline std::vector<float> Impulse(int frames, int at = 0, float value = 1.0f) {
    std::vector<float> v(frames, 0.0f);
    v[at] = value;
    return v;
}

// Reproducible white noise in +-0.5.
inline std::vector<float> Noise(int frames, unsigned seed = 7) {
    std::vector<float> v(frames);
    for (float& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(static_cast<int>(seed >> 8) % 20001 - 10000) * 5e-5f;
    }
    return v;
}

inline double Rms(const std::vector<float>& v, int from, int to) {
    return std::sqrt(std::inner_product(v.begin() + from, v.begin() + to, v.begin() + from, 0.0) / std::max(1, to - from));
}

inline double MaxAbs(const std::vector<float>& v, int from, int to) {
    return std::accumulate(v.begin() + from, v.begin() + to, 0.0,
                           [](double m, float x) { return std::max(m, std::fabs(static_cast<double>(x))); });
}

inline bool AllFinite(const std::vector<float>& v) {
    return std::all_of(v.begin(), v.end(), [](float x) { return std::isfinite(x); });
}

}  // namespace mhtest
