// The per-sample crowd, written out step by step: the reference every faster kernel must match.
#include <cmath>

#include "engine/CrowdKernel.h"
#include "engine/MurmurhallPlug.h"

namespace {

constexpr float kTiny = 1e-20f;          // keeps the recursive filters out of denormals
constexpr float kInputLimit = 1.0e6f;    // far above any real signal, far below overflow in the lines
constexpr float kMaxDelay = static_cast<float>(kLineSize - 1);  // a read never passes the ring

// A broken host sample must not poison the filters and lines for good.
float SafeInput(float x) {
    if (!std::isfinite(x)) return 0.0f;
    return x > kInputLimit ? kInputLimit : (x < -kInputLimit ? -kInputLimit : x);
}

}  // namespace

void RenderCrowdScalar(MurmurhallPlug& engine, const CrowdRun& run) {
    PersonStates& ps = engine.person;
    const int channels = run.numOutputs;
    const int population = engine.iPopulation;
    const bool solo = engine.iSolo != 0;
    const int selected = engine.iSelected;
    const bool diffuse = engine.fAllpassSpread > 0.0f;
    const float pitchAll = engine.fPitchAllCoef;
    const float dry = engine.fDryGain;
    const float wet = run.wetScale;
    bool clipped = false;

    for (int s = 0; s < run.frames; ++s) {
        // Step 2: every input is read once before any output is written (buffers may be shared).
        float saved[2];
        for (int c = 0; c < channels; ++c) saved[c] = SafeInput(run.input[c][s]);

        // Step 3: the diffuser.
        float scratch[2];
        for (int c = 0; c < channels; ++c) {
            float x = saved[c];
            if (diffuse)
                for (allpass& stage : engine.diffuser[c]) x = stage.process(x) + kTiny;
            scratch[c] = x;
        }

        // Steps 4 and 5: the Hilbert pair into the lines, with the guard copy of entry 0.
        const int writePos = engine.iWritePos;
        for (int c = 0; c < channels; ++c) {
            float* line = engine.fLine[c];
            engine.hilbert[c].process(scratch[c] + kTiny, line[2 * writePos], line[2 * writePos + 1]);
            if (writePos == 0) {
                line[2 * kLineSize] = line[0];
                line[2 * kLineSize + 1] = line[1];
            }
        }

        // Step 6: every person's modulation moves, heard or not.
        for (int p = 0; p < population; ++p) {
            ps.fDelayLfoSin[p] = ps.fDelayLfoSin[p] - ps.fDelayLfoCoef[p] * ps.fDelayLfoCos[p];
            ps.fDelayLfoCos[p] = ps.fDelayLfoCos[p] + ps.fDelayLfoCoef[p] * ps.fDelayLfoSin[p];
            ps.fPitchLfoSin[p] = ps.fPitchLfoSin[p] - ps.fPitchLfoCoef[p] * ps.fPitchLfoCos[p];
            ps.fPitchLfoCos[p] = ps.fPitchLfoCos[p] + ps.fPitchLfoCoef[p] * ps.fPitchLfoSin[p];
            float d = ps.fDelayModGain[p] * ps.fDelayLfoSin[p] + static_cast<float>(ps.iDelay[p]);
            d = d < 1.0f ? 1.0f : d;
            d = d > kMaxDelay ? kMaxDelay : d;
            const int whole = static_cast<int>(d);
            ps.fDelayFrac[p] = d - static_cast<float>(whole);
            ps.iReadPos[p] = (writePos - whole) & kLineMask;
        }

        // Steps 7 and 8: the heard people, summed.
        scratch[0] = 0.0f;
        scratch[1] = 0.0f;
        for (int p = 0; p < population; ++p) {
            if (solo && p != selected) continue;
            const float w = pitchAll + ps.fShiftCoef[p] + ps.fPitchModGain[p] * ps.fPitchLfoSin[p];
            ps.fShiftSin[p] = ps.fShiftSin[p] - w * ps.fShiftCos[p];
            ps.fShiftCos[p] = ps.fShiftCos[p] + w * ps.fShiftSin[p];
            const float g = ps.fGain[p] * ps.fFade[p];
            const int i = ps.iReadPos[p];
            const float frac = ps.fDelayFrac[p];
            for (int c = 0; c < channels; ++c) {
                const float* line = engine.fLine[c];
                const float y1 = ps.fShiftCos[p] * line[2 * i + 3] + ps.fShiftSin[p] * line[2 * i + 2];
                const float y0 = ps.fShiftCos[p] * line[2 * i + 1] + ps.fShiftSin[p] * line[2 * i];
                const float y = y1 + frac * (y0 - y1);
                scratch[c] += g * ps.fPan[c][p] * y;
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

        // Step 9: wet and dry through the global fade.
        const float fade = run.fadeGain[s];
        for (int c = 0; c < channels; ++c) {
            const float out = (wet * scratch[c] + dry * saved[c]) * fade;
            run.output[c][s] = out;
            if (out >= 1.0f) clipped = true;
        }

        // Step 10.
        engine.iWritePos = (writePos + 1) & kLineMask;
    }
    if (clipped) engine.iClip.store(1, std::memory_order_relaxed);
}
