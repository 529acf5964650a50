// Helpers for driving the crowd engine headless: named parameter indices, an engine built at a
// given rate the way the shell builds it, a steady "quiet" crowd, block rendering and two small
// measurements (frequency by zero crossings, power at one frequency).
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/GlobalSampleRate.h"
#include "engine/MurmurhallPlug.h"

namespace mhtest {

constexpr int kParPopulation = 0;
constexpr int kParSelected = 1;
constexpr int kParWet = 2;
constexpr int kParDry = 3;
constexpr int kParSolo = 6;
constexpr int kParSpread = 12;
constexpr int kParPitchAll = 13;

enum PersonSlot {
    kSlotPitchShift = 0,
    kSlotPitchModGain = 1,
    kSlotPitchModSpeed = 2,
    kSlotDelayTime = 3,
    kSlotDelayModGain = 4,
    kSlotDelayModSpeed = 5,
    kSlotPan = 6,
    kSlotGain = 7,
};

constexpr int PersonParam(int p, int slot) { return kNumGlobals + kFloatsPerPerson * p + slot; }
// The stored value that derives to n people.
inline float PopulationValue(int n) { return static_cast<float>(n - 1) * 0.016666668f; }
inline float SelectedValue(int p) { return static_cast<float>(p) * 0.016666668f; }
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

// Stores (through setParameter) a crowd of n identical, unshifted, unmodulated, centred people
// at delay 0 and full gain; wet value 0.5 (gain 1), dry 0, no solo, no diffuser.
inline void SetQuietCrowd(MurmurhallPlug& engine, int n) {
    engine.setParameter(kParPopulation, PopulationValue(n));
    engine.setParameter(kParSelected, 0.0f);
    engine.setParameter(kParWet, 0.5f);
    engine.setParameter(kParDry, 0.0f);
    engine.setParameter(kParSolo, 0.0f);
    engine.setParameter(kParSpread, 0.0f);
    engine.setParameter(kParPitchAll, 0.5f);
    for (int p = 0; p < kNumPeople; ++p) {
        engine.setParameter(PersonParam(p, kSlotPitchShift), 0.5f);
        engine.setParameter(PersonParam(p, kSlotPitchModGain), 0.0f);
        engine.setParameter(PersonParam(p, kSlotPitchModSpeed), 0.0f);
        engine.setParameter(PersonParam(p, kSlotDelayTime), 0.0f);
        engine.setParameter(PersonParam(p, kSlotDelayModGain), 0.0f);
        engine.setParameter(PersonParam(p, kSlotDelayModSpeed), 0.0f);
        engine.setParameter(PersonParam(p, kSlotPan), 0.5f);
        engine.setParameter(PersonParam(p, kSlotGain), 1.0f);
    }
}

// Applies every pending change at once, without the fades a change would normally bring: for
// tests of the steady renderer. Ends with a reset, so lines and filters are silent.
inline void Settle(MurmurhallPlug& engine) {
    engine.UpdateRunThrough();
    for (int p = 0; p < kNumPeople; ++p) {
        engine.person.iDelay[p] = engine.person.iDelayTarget[p];
        engine.person.fFade[p] = 1.0f;
        engine.person.fFadeInc[p] = 0.0f;
    }
    engine.fFadeStep.store(0.0f);
    engine.fFadeGain = 1.0f;
    engine.resumeDSP();
}

// Puts every shift oscillator at a known phase; with a zero coefficient it stays there.
inline void FreezeShift(MurmurhallPlug& engine, float sinState = 0.0f, float cosState = 1.0f) {
    for (int p = 0; p < kNumPeople; ++p) {
        engine.person.fShiftSin[p] = sinState;
        engine.person.fShiftCos[p] = cosState;
    }
}

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
};

// Renders left (and right, when given) input through the engine in blocks.
inline Stereo Render(MurmurhallPlug& engine, const std::vector<float>& inLeft,
                     const std::vector<float>* inRight = nullptr, int numOutputs = 2, int block = 512) {
    const int frames = static_cast<int>(inLeft.size());
    Stereo out{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
    for (int start = 0; start < frames; start += block) {
        const int n = std::min(block, frames - start);
        float* inputs[2] = {const_cast<float*>(inLeft.data()) + start,
                            inRight ? const_cast<float*>(inRight->data()) + start : nullptr};
        float* outputs[2] = {out.left.data() + start, out.right.data() + start};
        engine.DoProcessReplacing(inputs, outputs, inRight ? 2 : 1, numOutputs, n);
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

inline double Rms(const std::vector<float>& v, int from, int to) {
    double sum = 0.0;
    for (int i = from; i < to; ++i) sum += static_cast<double>(v[i]) * v[i];
    return std::sqrt(sum / std::max(1, to - from));
}

inline double MaxAbs(const std::vector<float>& v, int from, int to) {
    double m = 0.0;
    for (int i = from; i < to; ++i) m = std::max(m, std::fabs(static_cast<double>(v[i])));
    return m;
}

// Mean frequency over [from, to) from the first and last upward zero crossing, interpolated.
inline double ZeroCrossingHz(const std::vector<float>& v, int from, int to, double fs) {
    double first = -1.0, last = -1.0;
    int count = 0;
    for (int i = from + 1; i < to; ++i) {
        if (v[i - 1] < 0.0f && v[i] >= 0.0f) {
            const double t = (i - 1) + v[i - 1] / (static_cast<double>(v[i - 1]) - v[i]);
            if (count == 0) first = t;
            last = t;
            ++count;
        }
    }
    if (count < 2) return 0.0;
    return (count - 1) * fs / (last - first);
}

// Power of the component at hz over [from, to) (a single DFT bin, Hann windowed).
inline double PowerAt(const std::vector<float>& v, int from, int to, double hz, double fs) {
    double re = 0.0, im = 0.0;
    const int n = to - from;
    for (int i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / (n - 1));
        const double phase = 2.0 * M_PI * hz * i / fs;
        re += w * v[from + i] * std::cos(phase);
        im += w * v[from + i] * std::sin(phase);
    }
    return (re * re + im * im) / (static_cast<double>(n) * n);
}

inline bool AllFinite(const std::vector<float>& v) {
    return std::all_of(v.begin(), v.end(), [](float x) { return std::isfinite(x); });
}

}  // namespace mhtest
