// The block driver: block-start derivation, the global fade, and the split of a block into runs of
// frames that the crowd kernel renders.
#include <algorithm>
#include <cmath>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "engine/MurmurhallPlug.h"

namespace {

// Flush-to-zero and denormals-are-zero for one block: the people's fades and the allpass tails
// decay into denormals, which are slow and inaudible.
class DenormalGuard {
public:
#if defined(__SSE__)
    DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | 0x8040u); }
    ~DenormalGuard() { _mm_setcsr(saved); }

private:
    unsigned int saved;
#endif
};

}  // namespace

void MurmurhallPlug::DoProcess(float** inputs, float** outputs, int numInputs, int numOutputs,
                               int sampleFrames) {
    DoProcessReplacing(inputs, outputs, numInputs, numOutputs, sampleFrames);
}

void MurmurhallPlug::DoProcessReplacing(float** inputs, float** outputs, int numInputs, int numOutputs,
                                        int sampleFrames) {
    if (bReady == 0) return;
    if (inputs == nullptr || outputs == nullptr || sampleFrames <= 0) return;
    numInputs = numInputs < 1 ? 1 : (numInputs > 2 ? 2 : numInputs);
    numOutputs = numOutputs < 1 ? 1 : (numOutputs > 2 ? 2 : numOutputs);
    if (inputs[0] == nullptr || outputs[0] == nullptr) return;
    if (numInputs == 2 && inputs[1] == nullptr) numInputs = 1;
    if (numOutputs == 2 && outputs[1] == nullptr) numOutputs = 1;

    // Taken before this block's derivation, so a wet-gain change is heard one block later.
    const float n = iSolo != 0 ? 1.0f : 1.0f / std::sqrt(static_cast<float>(iPopulation));
    const float wetScale = fWetGain * 5.0f * n;

    if (fFadeStep.load(std::memory_order_relaxed) == 0.0f) UpdateRunThrough();

    DenormalGuard denormals;

    CrowdRun run;
    run.numOutputs = numOutputs;
    run.wetScale = wetScale;
    float fade[kMaxRunFrames];
    run.fadeGain = fade;

    int done = 0;  // frames already rendered
    int frames = 0;  // frames of the pending run
    auto flush = [&]() {
        if (frames == 0) return;
        for (int c = 0; c < numOutputs; ++c) {
            const int source = c < numInputs ? c : c - 1;
            run.input[c] = inputs[source] + done;
            run.output[c] = outputs[c] + done;
        }
        run.frames = frames;
        crowdKernel(*this, run);
        done += frames;
        frames = 0;
    };

    for (int s = 0; s < sampleFrames; ++s) {
        const float step = fFadeStep.load(std::memory_order_relaxed);
        if (step == 0.0f) {
            // Steady: the gain holds to the end of the run (a request that lands meanwhile is
            // taken at the next run, at most kMaxRunFrames later).
            const int count = std::min(kMaxRunFrames - frames, sampleFrames - s);
            std::fill_n(fade + frames, count, fFadeGain);
            frames += count;
            s += count - 1;
            if (frames == kMaxRunFrames) flush();
            continue;
        }
        fFadeGain += step;
        if (!(fFadeGain > 0.0f)) {
            // The frames before the bottom are rendered with the state they were heard with.
            flush();
            fFadeGain = 0.0f;
            // A fresh fade-out request that lands meanwhile must not be turned into a fade-in.
            float expected = step;
            fFadeStep.compare_exchange_strong(expected, kFadeStepSize, std::memory_order_relaxed);
            resumeDSP();
            UpdateForce();
        } else if (fFadeGain >= 1.0f) {
            fFadeGain = 1.0f;
            float expected = step;
            fFadeStep.compare_exchange_strong(expected, 0.0f, std::memory_order_relaxed);
        }
        fade[frames++] = fFadeGain;
        if (frames == kMaxRunFrames) flush();
    }
    flush();
}
