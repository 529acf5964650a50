// The crowd written out literally, one sample at a time: the block steps (ready check, wet scale,
// block-start derivation) and the per-sample steps 1-10 (global fade with its bottom reset, input,
// diffuser, Hilbert into the lines, every person's modulation, the heard people summed, output,
// write position), operating directly on an engine. It calls neither the block driver nor any
// crowd kernel, so the shipped renderers can be compared against it. It keeps the shipped guards
// (argument checks, the input limit, the delay clamp, flush-to-zero), which are part of what ships.
//
// Header-only: every test executable compiles tests/support/*.cpp, and most do not link the engine.
#pragma once

#include <xmmintrin.h>

#include <cmath>

#include "engine/MurmurhallPlug.h"

namespace mhtest {

// For each output sample, global fade x (|wet scale| x the sum of the heard people's tap sizes +
// |dry gain x input|): the size that rounding in the output is measured against. A person's tap
// size is |g x pan| x the sum of |each product in its two shifted reads|, which bounds the
// person's |term| too.
struct OracleMagnitude {
    float* channel[2] = {nullptr, nullptr};
};

namespace oracle {

constexpr float kTiny = 1e-20f;
constexpr float kInputLimit = 1.0e6f;
constexpr float kMaxDelay = static_cast<float>(kLineSize - 1);

inline float SafeInput(float x) {
    if (!std::isfinite(x)) return 0.0f;
    return x > kInputLimit ? kInputLimit : (x < -kInputLimit ? -kInputLimit : x);
}

}  // namespace oracle

inline void OracleProcess(MurmurhallPlug& e, float** inputs, float** outputs, int numInputs, int numOutputs,
                          int sampleFrames, OracleMagnitude magnitude = {}) {
    // Block step 1, with the driver's argument guards.
    if (e.bReady == 0) return;
    if (inputs == nullptr || outputs == nullptr || sampleFrames <= 0) return;
    numInputs = numInputs < 1 ? 1 : (numInputs > 2 ? 2 : numInputs);
    numOutputs = numOutputs < 1 ? 1 : (numOutputs > 2 ? 2 : numOutputs);
    if (inputs[0] == nullptr || outputs[0] == nullptr) return;
    if (numInputs == 2 && inputs[1] == nullptr) numInputs = 1;
    if (numOutputs == 2 && outputs[1] == nullptr) numOutputs = 1;

    // Block step 2.
    const float n = e.iSolo != 0 ? 1.0f : 1.0f / std::sqrt(static_cast<float>(e.iPopulation));
    const float S = e.fWetGain * 5.0f * n;

    // Block step 3.
    if (e.fFadeStep.load() == 0.0f) e.UpdateRunThrough();

    // The shipped renderer flushes denormals for the block; so must the reference.
    const unsigned int csr = _mm_getcsr();
    _mm_setcsr(csr | 0x8040u);

    PersonStates& ps = e.person;
    for (int s = 0; s < sampleFrames; ++s) {
        // 1. Global fade.
        const float step = e.fFadeStep.load();
        if (step != 0.0f) {
            e.fFadeGain += step;
            if (!(e.fFadeGain > 0.0f)) {
                e.fFadeGain = 0.0f;
                e.fFadeStep.store(kFadeStepSize);
                e.resumeDSP();
                e.UpdateForce();
            } else if (e.fFadeGain >= 1.0f) {
                e.fFadeGain = 1.0f;
                e.fFadeStep.store(0.0f);
            }
        }

        // 2. Saved inputs.
        float saved[2];
        for (int i = 0; i < numInputs; ++i) saved[i] = oracle::SafeInput(inputs[i][s]);

        // 3. Diffuser, into the output slot as scratch.
        float scratch[2] = {0.0f, 0.0f};
        for (int c = 0; c < numOutputs; ++c) {
            float x = saved[c < numInputs ? c : c - 1];
            if (e.fAllpassSpread > 0.0f)
                for (int k = 0; k < kDiffuserStages; ++k) x = e.diffuser[c][k].process(x) + oracle::kTiny;
            scratch[c] = x;
        }

        // 4. Hilbert into the lines.
        for (int c = 0; c < numOutputs; ++c) e.hilbert[c].process(scratch[c] + oracle::kTiny, e.fLine[c][0][e.iWritePos], e.fLine[c][1][e.iWritePos]);

        // 5. Guard copy of entry 0.
        if (e.iWritePos == 0) {
            for (int c = 0; c < numOutputs; ++c) {
                e.fLine[c][0][kLineSize] = e.fLine[c][0][0];
                e.fLine[c][1][kLineSize] = e.fLine[c][1][0];
            }
        }

        // 6. Every person's modulation.
        for (int p = 0; p < e.iPopulation; ++p) {
            ps.fDelayLfoSin[p] = ps.fDelayLfoSin[p] - ps.fDelayLfoCoef[p] * ps.fDelayLfoCos[p];
            ps.fDelayLfoCos[p] = ps.fDelayLfoCos[p] + ps.fDelayLfoCoef[p] * ps.fDelayLfoSin[p];
            ps.fPitchLfoSin[p] = ps.fPitchLfoSin[p] - ps.fPitchLfoCoef[p] * ps.fPitchLfoCos[p];
            ps.fPitchLfoCos[p] = ps.fPitchLfoCos[p] + ps.fPitchLfoCoef[p] * ps.fPitchLfoSin[p];
            float d = ps.fDelayModGain[p] * ps.fDelayLfoSin[p] + static_cast<float>(ps.iDelay[p]);
            if (d < 1.0f) d = 1.0f;
            if (d > oracle::kMaxDelay) d = oracle::kMaxDelay;
            ps.fDelayFrac[p] = d - std::trunc(d);
            ps.iReadPos[p] = (e.iWritePos - static_cast<int>(std::trunc(d))) & kLineMask;
        }

        // 7.
        for (int c = 0; c < numOutputs; ++c) scratch[c] = 0.0f;
        float sumAbs[2] = {0.0f, 0.0f};

        // 8. The heard people.
        for (int p = 0; p < e.iPopulation; ++p) {
            if (e.iSolo != 0 && p != e.iSelected) continue;
            const float w = e.fPitchAllCoef + ps.fShiftCoef[p] + ps.fPitchModGain[p] * ps.fPitchLfoSin[p];
            ps.fShiftSin[p] = ps.fShiftSin[p] - w * ps.fShiftCos[p];
            ps.fShiftCos[p] = ps.fShiftCos[p] + w * ps.fShiftSin[p];
            const float g = ps.fGain[p] * ps.fFade[p];
            for (int c = 0; c < numOutputs; ++c) {
                const int i = ps.iReadPos[p];
                const float* a = e.fLine[c][0];
                const float* b = e.fLine[c][1];
                const float y1 = ps.fShiftCos[p] * b[i + 1] + ps.fShiftSin[p] * a[i + 1];
                const float y0 = ps.fShiftCos[p] * b[i] + ps.fShiftSin[p] * a[i];
                const float y = y1 + ps.fDelayFrac[p] * (y0 - y1);
                scratch[c] += g * ps.fPan[c][p] * y;
                if (magnitude.channel[c] != nullptr) {
                    const float cs = std::fabs(ps.fShiftCos[p]);
                    const float sn = std::fabs(ps.fShiftSin[p]);
                    sumAbs[c] += std::fabs(g * ps.fPan[c][p]) * (cs * (std::fabs(b[i]) + std::fabs(b[i + 1])) +
                                                                 sn * (std::fabs(a[i]) + std::fabs(a[i + 1])));
                }
            }
            if (ps.fFadeInc[p] != 0.0f) {
                ps.fFade[p] += ps.fFadeInc[p];
                if (ps.fFade[p] < 0.0f) {
                    ps.fFadeInc[p] = kFadeStepSize;
                    ps.iDelay[p] = ps.iDelayTarget[p];
                } else if (ps.fFade[p] > 1.0f) {
                    ps.fFade[p] = 1.0f;
                    ps.fFadeInc[p] = 0.0f;
                }
            }
        }

        // 9. Output.
        for (int c = 0; c < numOutputs; ++c) {
            const float out = (S * scratch[c] + e.fDryGain * saved[c < numInputs ? c : c - 1]) * e.fFadeGain;
            outputs[c][s] = out;
            if (out >= 1.0f) e.iClip.store(1);
            if (magnitude.channel[c] != nullptr)
                magnitude.channel[c][s] =
                    e.fFadeGain * (std::fabs(S) * sumAbs[c] + std::fabs(e.fDryGain * saved[c < numInputs ? c : c - 1]));
        }

        // 10.
        e.iWritePos = (e.iWritePos + 1) & kLineMask;
    }
    _mm_setcsr(csr);
}

}  // namespace mhtest
