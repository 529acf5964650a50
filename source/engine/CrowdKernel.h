// The per-frame crowd work (input, diffuser, Hilbert, lines, people, output) for a run of frames in
// which no global fade reaches its bottom. The engine's block driver splits blocks into such runs.
#pragma once

#include <cstdint>
#include <span>

class MurmurhallPlug;

constexpr int kMaxRunFrames = 256;

struct CrowdRun {
    const float* input[2];  // the input that feeds output channel c (channel c, or c - 1 for mono)
    float* output[2];
    int numOutputs;         // 1 or 2
    int frames;             // 1..kMaxRunFrames
    const float* fadeGain;  // global fade gain of each frame, already stepped
    float wetScale;         // S of the block
};

using CrowdKernelFn = void (*)(MurmurhallPlug& engine, const CrowdRun& run);

// The vector kernels first step every person through a batch of frames, then tap the lines; this
// is what the first pass leaves for the second, per frame and person lane.
constexpr int kCrowdBatchFrames = 256;
constexpr int kCrowdLanes = 64;
struct CrowdScratch {
    // The read entry and fraction of each frame while someone fades; otherwise the delay d
    // itself, from which both follow (the frame-block taps want it whole).
    alignas(64) int32_t entry[kCrowdBatchFrames][kCrowdLanes];
    alignas(64) float frac[kCrowdBatchFrames][kCrowdLanes];
    alignas(64) float delay[kCrowdBatchFrames][kCrowdLanes];
    alignas(64) float shiftSin[kCrowdBatchFrames][kCrowdLanes];
    alignas(64) float shiftCos[kCrowdBatchFrames][kCrowdLanes];
    // fGain * fFade * fPan[c], 0 if unheard; only row 0 is used when nobody fades in the batch.
    alignas(64) float gain[2][kCrowdBatchFrames][kCrowdLanes];
    alignas(64) float dry[2][kCrowdBatchFrames];                // the guarded input of each frame
    alignas(64) float wet[2][kCrowdBatchFrames];                // diffused input, then the people's sum
};

// Audio: vector kernels, 4, 8 and 16 lanes; call one only when the CPU has its instructions
// (SupportedCrowdKernels).
void RenderCrowdSse2(MurmurhallPlug& engine, const CrowdRun& run);
void RenderCrowdAvx2(MurmurhallPlug& engine, const CrowdRun& run);
void RenderCrowdAvx512Frames(MurmurhallPlug& engine, const CrowdRun& run);

struct CrowdKernelEntry {
    const char* name;
    CrowdKernelFn kernel;
    // Whether the taps round each multiply-add once (FMA). The people's states and the lines stay
    // bit for bit those of the per-sample steps either way; only the outputs' rounding differs.
    bool fusedTaps;
};
// Any thread: every kernel this CPU runs, slowest first; the last one is what SelectCrowdKernel picks.
std::span<const CrowdKernelEntry> SupportedCrowdKernels();
// Any thread: the fastest kernel this CPU runs, chosen once.
CrowdKernelFn SelectCrowdKernel();
// Any thread: "sse2", "avx2", "avx512frames", or "unknown".
const char* CrowdKernelName(CrowdKernelFn kernel);
