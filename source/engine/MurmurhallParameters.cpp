// The parameter map: storing and reading host values, their names, and the derivation of the
// internal values the renderer uses.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>

#include "engine/MurmurhallPlug.h"

namespace {

constexpr float kPi = 3.1415927f;
// Coefficient sums must stay below 2 or the recursive shift oscillator grows without bound; only
// absurdly low sample rates come near this.
constexpr float kMaxShiftCoef = 0.99f;

enum PersonSlot {
    kPitchShift = 0,
    kPitchModGain,
    kPitchModSpeed,
    kDelayTime,
    kDelayModGain,
    kDelayModSpeed,
    kPan,
    kGain,
};

const char* const kGlobalNames[kNumGlobals] = {
    "Population", "Selected", "Global Wet gain", "Global Dry gain", "NONE", "NONE",
    "Solo", "NONE", "NONE", "NONE", "NONE", "NONE", "Allpass Spread", "Allpass Gain",
    "NONE", "NONE", "NONE",
};

const char* const kPersonNames[8] = {
    "Pitch Shift %i", "Pitch M. Gain %i", "Pitch M. Speed %i", "Delay Time %i",
    "Delay M. Gain %i", "Delay M. Speed %i", "Pan %i", "Gain %i",
};

bool IsFadingIndex(int index) { return index == 0 || index == 6 || index == 12; }

// Stored values are kept as they came; what the engine derives from them is always 0..1.
float Unit(float v) {
    if (!(v >= 0.0f)) return 0.0f;  // NaN and negatives
    return v > 1.0f ? 1.0f : v;
}

int Round60(float v) { return static_cast<int>(60.0f * v + 0.5f); }

float PanLaw(float x) {
    if (x > 1.0f) x = 2.0f - x;
    return 1.5f * x - 0.5f * x * x * x;
}

float ClampCoef(float w) { return std::clamp(w, -kMaxShiftCoef, kMaxShiftCoef); }

// SetProgramData only ever stores a usable rate; this keeps a global written by other means from
// turning every coefficient into NaN.
float DerivationRate() {
    const float fs = GlobalSampleRate();
    return fs >= 1000.0f && fs <= 768000.0f ? fs : 44100.0f;
}

}  // namespace

void MurmurhallPlug::setParameter(int index, float value) {
    if (index < 0 || index >= kNumParams) return;
    // The fade is requested first, so a block starting in between cannot apply the change abruptly.
    if (IsFadingIndex(index)) fFadeStep.store(-kFadeStepSize, std::memory_order_relaxed);
    CurrentProgram().Store(index, value);
    bParamChanged[index].store(1, std::memory_order_release);
    iParamChanges.fetch_add(1, std::memory_order_release);
}

float MurmurhallPlug::getParameter(int index) const {
    if (index < 0 || index >= kNumParams) return 0.0f;
    if (index == 15 || index == 26 || index == 27 || index == 28) return 0.0f;
    return CurrentProgram().Load(index);
}

void MurmurhallPlug::GetParameterName(int index, char* text) const {
    if (text == nullptr) return;
    constexpr int kNameRoom = 24;
    if (index < 0 || index >= kNumParams) {
        std::snprintf(text, kNameRoom, "NONE");
    } else if (index < kNumGlobals) {
        std::snprintf(text, kNameRoom, "%s", kGlobalNames[index]);
    } else {
        const int p = (index - kNumGlobals) / kFloatsPerPerson;
        const int k = (index - kNumGlobals) % kFloatsPerPerson;
        if (k < 8)
            std::snprintf(text, kNameRoom, kPersonNames[k], p + 1);
        else
            std::snprintf(text, kNameRoom, "NONE");
    }
}

void MurmurhallPlug::UpdateInternalParam(int index) {
    if (index < 0 || index >= kNumParams) return;
    const Program& program = CurrentProgram();
    const float fs = DerivationRate();
    const float v = Unit(program.Load(index));

    if (index >= kNumGlobals) {
        const int p = (index - kNumGlobals) / kFloatsPerPerson;
        const int k = (index - kNumGlobals) % kFloatsPerPerson;
        const int base = kNumGlobals + kFloatsPerPerson * p;
        switch (k) {
            case kPitchShift:
                person.fShiftCoef[p] = ClampCoef(2.0f * std::sin((v - 0.5f) * 502.65485f / fs));
                break;
            case kPitchModGain:
            case kPitchModSpeed: {
                const float gain = Unit(program.Load(base + kPitchModGain));
                const float s = Unit(program.Load(base + kPitchModSpeed));
                person.fPitchModGain[p] = 0.01f * gain;
                person.fPitchLfoCoef[p] = 2.0f * std::sin((2.6f * (s * s * s) + 0.2f) * kPi / fs);
                break;
            }
            case kDelayTime: {
                const int32_t target = static_cast<int32_t>(v * fs * 0.3333333f);
                person.iDelayTarget[p] = target;
                if (bReady == 0 || fFadeGain == 0.0f) {
                    // Nothing is heard (construction, or the silent bottom of a global fade), so the
                    // new delay is taken at once; a person fade here would dip the crowd again
                    // after the global fade-in.
                    person.iDelay[p] = target;
                    person.fFade[p] = 1.0f;
                    person.fFadeInc[p] = 0.0f;
                } else if (target != person.iDelay[p]) {
                    person.fFadeInc[p] = -kFadeStepSize;  // fade out, take the new delay, fade in
                }
                break;
            }
            case kDelayModGain:
            case kDelayModSpeed: {
                const float gain = Unit(program.Load(base + kDelayModGain));
                const float s = Unit(program.Load(base + kDelayModSpeed));
                person.fDelayModGain[p] = 550.0f * gain;
                person.fDelayLfoCoef[p] = 2.0f * std::sin((2.0f * (s * s * s * s) + 0.1f) * kPi / fs);
                break;
            }
            case kPan:
                person.fPan[0][p] = PanLaw(v + 1.0f);
                person.fPan[1][p] = PanLaw(v);
                break;
            case kGain:
                person.fGain[p] = 0.5f * (0.8f * v + 0.2f);
                break;
            default:
                break;
        }
        return;
    }

    switch (index) {
        case 0: {
            const int population = std::min(Round60(v) + 1, kMaxPopulation);
            std::atomic_ref<int32_t>(iPopulation).store(population, std::memory_order_relaxed);
            break;
        }
        case 1: {
            const int selected = std::min(Round60(v), iPopulation - 1);
            std::atomic_ref<int32_t>(iSelected).store(selected, std::memory_order_relaxed);
            break;
        }
        case 2:
            fWetGain = 4.0f * v * v;
            break;
        case 3:
            fDryGain = 4.0f * v * v;
            break;
        case 6:
            iSolo = static_cast<int32_t>(v);
            break;
        case 12:
            fAllpassSpread = v;
            SetAllpasses(v);
            break;
        case 13:
            fPitchAllCoef = ClampCoef(2.0f * std::sin((v - 0.5f) * 2764.6016f / fs));
            break;
        default:
            break;
    }
}

void MurmurhallPlug::UpdateForce() {
    for (int i = 0; i < kNumParams; ++i) UpdateInternalParam(i);
}

void MurmurhallPlug::UpdateRunThrough() {
    // The count is read before the flags are: a flag the scan below misses is raised, and the count
    // after it, later than this read, so the next block sees a new count and scans again.
    const uint32_t changes = iParamChanges.load(std::memory_order_acquire);
    if (changes == iParamChangesSeen) return;
    iParamChangesSeen = changes;
    // The flag is cleared before the value is read, so a value written meanwhile raises it again.
    // The plain load first spares the 736 locked exchanges of a block where nothing changed.
    for (int i = 0; i < kNumParams; ++i)
        if (bParamChanged[i].load(std::memory_order_relaxed) != 0 &&
            bParamChanged[i].exchange(0, std::memory_order_acquire) != 0)
            UpdateInternalParam(i);
}
