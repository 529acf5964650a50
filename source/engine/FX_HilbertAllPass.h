// Two chains of six first-order allpasses whose outputs are 90 degrees apart over most of the
// audio band; designed once, at construction, for the process-wide sample rate of that moment.
#pragma once

class FX_HilbertAllPass {
public:
    static constexpr int kSections = 12;

    FX_HilbertAllPass();  // not audio: reads fGlobalSampleRateOver

    // Audio: one sample through both chains; out2 leads out1 by 90 degrees.
    void process(float in, float& out1, float& out2) {
        float x = in;
        for (int i = 0; i < 6; ++i) {
            const float y = fCoef[i] * (x - fOutMem[i]) + fInMem[i];
            fInMem[i] = x;
            fOutMem[i] = y;
            x = y;
        }
        out1 = x;
        x = in;
        for (int i = 6; i < 12; ++i) {
            const float y = fCoef[i] * (x - fOutMem[i]) + fInMem[i];
            fInMem[i] = x;
            fOutMem[i] = y;
            x = y;
        }
        out2 = x;
    }
    // Audio-safe: clears both memories; the coefficients stay.
    void Reset();

    // Audio: the section memories, for a renderer that runs the chains of both shifters at once
    // with exactly the arithmetic of process().
    float* InputMemory() { return fInMem; }
    float* OutputMemory() { return fOutMem; }

    float Coefficient(int section) const { return fCoef[section]; }
    float PoleFrequency(int section) const { return fPoleFreq[section]; }

private:
    float fPoleFreq[kSections];
    float fTimeConst[kSections];
    float fOmega[kSections];
    float fBilinear[kSections];
    float fInMem[kSections];
    float fOutMem[kSections];
    float fCoef[kSections];
};
