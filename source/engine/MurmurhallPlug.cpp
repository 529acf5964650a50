#include "engine/MurmurhallPlug.h"

#include <cmath>
#include <cstring>

#include "engine/DiffuserLengths.h"
#include "presets/FactoryPresets.h"

namespace {

constexpr double kDiffuserSeed = 19.19191919191919;
constexpr uint32_t kRandomSeed = 0x4D75726Du;  // fixed, so two runs of a host render alike
constexpr float kTwoPiOver32768 = 6.2831855f / 32768.0f;
constexpr float kMinSampleRate = 1000.0f;
constexpr float kMaxSampleRate = 768000.0f;

}  // namespace

MurmurhallPlug::MurmurhallPlug()
    : bank(),
      iPopulation(1),
      iSelected(0),
      fWetGain(0.0f),
      fDryGain(0.0f),
      iSolo(0),
      fAllpassSpread(0.0f),
      fPitchAllCoef(0.0f),
      person{},
      iCurProgram(0),
      iBlockSize(1024),
      hilbert(),
      iClip(0),
      dDiffuserRandom(kDiffuserSeed),
      diffuser(),
      bParamChanged{},
      iParamChanges(0),
      iParamChangesSeen(0),
      iWritePos(0),
      fFadeGain(1.0f),
      fFadeStep(0.0f),
      fLine{},
      bReady(0),
      iRandomState(kRandomSeed),
      crowdKernel(SelectCrowdKernel()) {
    AllocateAllMemory();
    iCurProgram.store(0, std::memory_order_relaxed);
    iClip.store(0, std::memory_order_relaxed);
    iBlockSize = 1024;
    for (auto& flag : bParamChanged) flag.store(0, std::memory_order_relaxed);
    PresetPrograms(&bank);
    fFadeStep.store(0.0f, std::memory_order_relaxed);
    fFadeGain = 1.0f;
    ReserveDiffuser();  // before index 12 is derived, so its lengths fit
    for (int i = 0; i < kNumParams; ++i) UpdateInternalParam(i);
    resumeDSP();
    bReady = 1;
}

MurmurhallPlug::~MurmurhallPlug() { FreeAllMemory(); }

int MurmurhallPlug::NextRandom() {
    iRandomState = iRandomState * 1103515245u + 12345u;
    return static_cast<int>((iRandomState >> 16) & 0x7FFFu);
}

void MurmurhallPlug::AllocateAllMemory() {
    for (int p = 0; p < kNumPeople; ++p) {
        const float phase = static_cast<float>(NextRandom() % 32768) * kTwoPiOver32768;
        person.fShiftSin[p] = std::sin(phase);
        person.fShiftCos[p] = std::cos(phase);
        // Placeholders: the derivation that follows sets the real pan.
        person.fPan[0][p] = static_cast<float>(p) / 59.0f;
        person.fPan[1][p] = 1.0f - static_cast<float>(p) / 59.0f;
        person.fFade[p] = 1.0f;
        person.fFadeInc[p] = 0.0f;
    }
    iWritePos = 0;
}

void MurmurhallPlug::FreeAllMemory() {}

void MurmurhallPlug::resumeDSP() {
    auto randomPhase = [this](float& first, float& second) {
        const float phase = static_cast<float>(NextRandom() % 32768) * kTwoPiOver32768;
        first = std::sin(phase);
        second = std::cos(phase);
    };
    for (int p = 0; p < kNumPeople; ++p) {
        randomPhase(person.fShiftSin[p], person.fShiftCos[p]);
        randomPhase(person.fPitchLfoSin[p], person.fPitchLfoCos[p]);
        randomPhase(person.fDelayLfoSin[p], person.fDelayLfoCos[p]);
        person.iDelay[p] = person.iDelayTarget[p];
    }
    for (int c = 0; c < 2; ++c) {
        // The guard entries are cleared too: left stale they would leak old sound into a read
        // of the last ring entry until the write position next passes 0.
        std::memset(fLine[c], 0, sizeof(fLine[c]));
        for (allpass& stage : diffuser[c]) stage.mute();
        hilbert[c].Reset();
    }
}

void MurmurhallPlug::SetProgramData(int program, float sampleRate) {
    if (program >= 0 && program < kNumPrograms) iCurProgram.store(program, std::memory_order_relaxed);
    // A rate the host cannot mean keeps the one in force, so no coefficient becomes non-finite.
    if (!std::isfinite(sampleRate) || sampleRate <= 0.0f) return;
    const float rate = std::fmin(std::fmax(sampleRate, kMinSampleRate), kMaxSampleRate);
    fGlobalSampleRate.store(rate, std::memory_order_relaxed);
    fGlobalSampleRateOver.store(static_cast<float>(1.0 / rate), std::memory_order_relaxed);
    iGlobalSampleRate.store(static_cast<int32_t>(rate), std::memory_order_relaxed);
}

void MurmurhallPlug::setProgram(int program) {
    if (program < 0 || program >= kNumPrograms) return;
    iCurProgram.store(program, std::memory_order_relaxed);
    fFadeStep.store(-kFadeStepSize, std::memory_order_relaxed);
}

void MurmurhallPlug::ReserveDiffuser() {
    const float rate = GlobalSampleRate();
    for (int b = 0; b < 2; ++b)
        for (int k = 0; k < kDiffuserStages; ++k) diffuser[b][k].Reserve(MaxDiffuserLength(b, k, rate));
}

void MurmurhallPlug::SetAllpasses(float spread) {
    if (!(spread >= 0.0f)) spread = 0.0f;  // NaN too
    if (spread > 1.0f) spread = 1.0f;
    dDiffuserRandom = kDiffuserSeed;  // the chooser reseeds on every call; this mirrors its state
    int lengths[2][kDiffuserStages];
    ChooseDiffuserLengths(spread, GlobalSampleRate(), lengths);
    for (int b = 0; b < 2; ++b) {
        for (int k = 0; k < kDiffuserStages; ++k) {
            allpass& stage = diffuser[b][k];
            stage.setfeedback(0.63f);
            // The re-derivation after a fade-in finds the lengths it installed in silence; clearing
            // them again at full level would click.
            if (stage.GetSize() == lengths[b][k]) continue;
            stage.SetBuffer(lengths[b][k]);  // clamped to the reserved room: never allocates
            stage.mute();
        }
    }
}

int MurmurhallPlug::NextPrime(int n) { return ::NextPrime(n); }
