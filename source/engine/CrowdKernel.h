// The per-frame crowd work (input, diffuser, Hilbert, lines, people, output) for a run of frames in
// which no global fade reaches its bottom. The engine's block driver splits blocks into such runs.
#pragma once

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

// Plain per-sample kernel, every CPU.
void RenderCrowdScalar(MurmurhallPlug& engine, const CrowdRun& run);
// The fastest kernel this CPU runs, chosen once.
CrowdKernelFn SelectCrowdKernel();
const char* CrowdKernelName(CrowdKernelFn kernel);
