// The program record, its older layout and the bank: the byte images that hosts store as chunks
// and that preset files carry. Float i of a Program is host parameter i.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int kNumPrograms = 24;
constexpr int kNumPeople = 60;
constexpr int kNumParams = 736;
constexpr int kProgramNameSize = 28;
constexpr int kFloatsPerPerson = 12;
constexpr int kNumGlobals = 17;

struct Program200;

struct Individual {
    float parPitchShift;
    float parPitchModGain;
    float parPitchModSpeed;
    float parDelayTime;
    float parDelayModGain;
    float parDelayModSpeed;
    float parPan;
    float parGain;
    float par00;
    float par01;
    float par02;
    float par03;
};

struct Program {
    float parPopulation;
    float parPersonSelected;
    float parGlobalWet;
    float parGlobalDry;
    float parRandLower;
    float parRandUpper;
    float parSolo;
    float parPresetMenu;
    float parProgram;
    float parProgramDown;
    float parProgramUp;
    float parProgramDisplay;
    float parAllpassSpread;
    float parPitchAll;
    float parProgramReload;
    float parSpare15;
    float parSpare16;
    Individual people[kNumPeople];
    char name[kProgramNameSize];

    // Any thread: defaults, with random person values drawn from rand().
    Program();
    // Any thread but audio: converts an old record into this one.
    void Upgrade(const Program200* old);

    float* Floats() { return &parPopulation; }
    const float* Floats() const { return &parPopulation; }
    // Cross-thread access to one float; relaxed, because a changed flag orders the hand-over.
    float Load(int index) const {
        return std::atomic_ref<float>(const_cast<float&>(Floats()[index])).load(std::memory_order_relaxed);
    }
    void Store(int index, float value) {
        std::atomic_ref<float>(Floats()[index]).store(value, std::memory_order_relaxed);
    }
    // Any thread but audio: copies a name, cut to fit the field with its terminating zero.
    void SetName(const char* text);
};

struct Program200 {
    float values[16 + kNumPeople * kFloatsPerPerson];
    char name[kProgramNameSize];

    Program200();
};

struct ProgramData {
    uint16_t programVersion;
    uint16_t programFlags;
    Program programs[kNumPrograms];

    // Constructs the programs in order 0..23, so the random draws run program by program.
    ProgramData();
};

static_assert(sizeof(Individual) == 48);
static_assert(sizeof(Program) == 2976);
static_assert(sizeof(Program200) == 2972);
static_assert(sizeof(ProgramData) == 71428);
static_assert(offsetof(Program, people) == 17 * 4 && offsetof(Program, name) == 2948);
static_assert(offsetof(ProgramData, programs) == 4);
static_assert(std::atomic_ref<float>::required_alignment <= alignof(float));

constexpr int kOldBankSize = 4 + kNumPrograms * static_cast<int>(sizeof(Program200));
static_assert(kOldBankSize == 71332);
