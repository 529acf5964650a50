// The crowd engine: the bank, the values derived from the current program, the running state of
// the 60 people, the Hilbert shifters, the diffuser and the delay lines. No host or UI types here.
//
// Threads: the audio thread runs DoProcessReplacing and, inside it, every derivation, reset and
// diffuser re-length; host and editor threads write program values, change flags, the current
// program and the fade request through setParameter/setProgram/SetProgramData. Nothing locks:
// program floats go through Program::Load/Store, flags and shared scalars are atomics.
#pragma once

#include <atomic>
#include <cstdint>

#include "ProgramData.h"
#include "engine/CrowdKernel.h"
#include "engine/FX_HilbertAllPass.h"
#include "engine/GlobalSampleRate.h"
#include "engine/allpass.h"

constexpr int kMaxPopulation = 59;   // person 59 is stored but never heard
constexpr int kPersonLanes = 64;     // 60 people padded to whole 16-wide vectors
constexpr int kLineSize = 65536;     // ring entries: a third of a second plus 550 samples fits at 192 kHz
constexpr int kLineMask = kLineSize - 1;
constexpr int kLineStride = kLineSize + 16;  // entry kLineSize guards entry 0; the rest pads whole vectors
constexpr int kDiffuserStages = 8;
constexpr float kFadeStepSize = 0.0002f;  // 5000 samples from full gain to silence

// Per-person state, one array per field (people are the lanes) so the renderer vectorises.
// Entries 60..63 are padding that stays silent.
struct PersonStates {
    alignas(64) int32_t iDelay[kPersonLanes];        // delay in use, whole samples
    alignas(64) int32_t iDelayTarget[kPersonLanes];  // delay last derived; taken at a fade bottom or reset
    alignas(64) float fDelayFrac[kPersonLanes];      // fractional part of this sample's delay
    alignas(64) int32_t iReadPos[kPersonLanes];      // this sample's read entry
    alignas(64) float fGain[kPersonLanes];           // 0.1..0.5 (derived)
    alignas(64) float fPan[2][kPersonLanes];         // left, right gain (derived)
    alignas(64) float fShiftSin[kPersonLanes];
    alignas(64) float fShiftCos[kPersonLanes];
    alignas(64) float fShiftCoef[kPersonLanes];  // derived
    alignas(64) float fPitchLfoSin[kPersonLanes];
    alignas(64) float fPitchLfoCos[kPersonLanes];
    alignas(64) float fPitchLfoCoef[kPersonLanes];  // derived
    alignas(64) float fDelayLfoSin[kPersonLanes];
    alignas(64) float fDelayLfoCos[kPersonLanes];
    alignas(64) float fDelayLfoCoef[kPersonLanes];   // derived
    alignas(64) float fPitchModGain[kPersonLanes];   // derived, coefficient units
    alignas(64) float fDelayModGain[kPersonLanes];   // derived, samples
    alignas(64) float fFade[kPersonLanes];           // person fade gain
    alignas(64) float fFadeInc[kPersonLanes];        // 0 while the person is not fading
};

class MurmurhallPlug {
public:
    MurmurhallPlug();   // host: builds bank, factory fill, derivation, reset; reserves diffuser room
    ~MurmurhallPlug();  // host
    MurmurhallPlug(const MurmurhallPlug&) = delete;
    MurmurhallPlug& operator=(const MurmurhallPlug&) = delete;

    // --- lifecycle ---
    void AllocateAllMemory();  // constructor only: initial person state
    void FreeAllMemory();      // does nothing
    void resumeDSP();          // audio or host (resume): clears lines, diffuser, Hilbert; new phases
    void SetProgramData(int program, float sampleRate);  // host: current program and global rate
    void setProgram(int program);                        // host/editor: current program, fade out
    void BeginSetProgram() {}
    void EndSetProgram() {}
    // Host, never audio: makes room in the diffuser for the longest lengths at the global rate.
    void ReserveDiffuser();

    // --- parameters ---
    void setParameter(int index, float value);        // any thread
    float getParameter(int index) const;              // any thread
    void GetParameterName(int index, char* text) const;  // any thread; at most 24 bytes with the zero
    void UpdateInternalParam(int index);              // audio (constructor too)
    void UpdateForce();                               // audio
    void UpdateRunThrough();                          // audio

    // --- audio ---
    void DoProcessReplacing(float** inputs, float** outputs, int numInputs, int numOutputs, int sampleFrames);
    void DoProcess(float** inputs, float** outputs, int numInputs, int numOutputs, int sampleFrames);

    // --- diffuser ---
    void SetAllpasses(float spread);  // audio-safe once reserved
    static int NextPrime(int n);

    Program& CurrentProgram() { return bank.programs[iCurProgram.load(std::memory_order_relaxed)]; }
    const Program& CurrentProgram() const { return bank.programs[iCurProgram.load(std::memory_order_relaxed)]; }

    // Engine-owned generator for oscillator phases: 0..32767, reproducible from construction.
    int NextRandom();

    // --- state (public: shell, editor and crowd panel read it) ---
    ProgramData bank;
    int32_t iPopulation;  // 1..59; written by the audio thread through atomic_ref (the UI reads it)
    int32_t iSelected;    // written through atomic_ref too
    float fWetGain;
    float fDryGain;
    int32_t iSolo;
    float fAllpassSpread;
    float fPitchAllCoef;
    PersonStates person;
    std::atomic<int32_t> iCurProgram;
    int32_t iBlockSize;
    FX_HilbertAllPass hilbert[2];
    std::atomic<int32_t> iClip;  // set by audio, cleared by the editor's idle
    double dDiffuserRandom;
    allpass diffuser[2][kDiffuserStages];
    std::atomic<uint8_t> bParamChanged[kNumParams];
    std::atomic<uint32_t> iParamChanges;  // raised after each flag, so an idle block skips the scan
    uint32_t iParamChangesSeen;           // audio: the count the last scan started from
    int32_t iWritePos;
    float fFadeGain;
    std::atomic<float> fFadeStep;  // 0 steady, -step fading out, +step fading in
    alignas(64) float fLine[2][2][kLineStride];  // channel c: the A line, then the B line
    uint8_t bReady;
    uint32_t iRandomState;
    CrowdKernelFn crowdKernel;  // chosen once at construction; tests may swap it to compare kernels
    CrowdScratch crowdScratch;  // audio thread only: the vector kernels' work space
};
