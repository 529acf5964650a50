#include "ProgramData.h"

#include <cstdlib>
#include <cstring>

namespace {
float RandomValue() { return static_cast<float>(std::rand() & 0x7FFF) * 3.0517578e-5f; }
}  // namespace

Program::Program()
    : parPopulation(0.5f), parPersonSelected(0.0f), parGlobalWet(0.5f), parGlobalDry(0.5f),
      parRandLower(0.0f), parRandUpper(1.0f), parSolo(0.0f), parPresetMenu(0.0f), parProgram(0.0f),
      parProgramDown(0.0f), parProgramUp(0.0f), parProgramDisplay(0.0f), parAllpassSpread(0.0f),
      parPitchAll(0.5f), parProgramReload(0.0f), parSpare15(0.0f), parSpare16(0.0f), people{}, name{} {
    for (Individual& person : people) {
        person.parPitchShift = RandomValue();
        person.parPitchModGain = RandomValue();
        person.parPitchModSpeed = RandomValue();
        person.parDelayTime = RandomValue();
        person.parDelayModGain = RandomValue();
        person.parDelayModSpeed = RandomValue();
        person.parPan = RandomValue();
        person.parGain = 0.5f;
        person.par00 = 0.0f;  // never set by the old record; zero keeps chunks free of stray bytes
        person.par01 = 0.0f;
        person.par02 = 0.0f;
        person.par03 = 0.0f;
    }
    std::strcpy(name, "Init");
}

void Program::SetName(const char* text) {
    if (text == nullptr) return;
    std::strncpy(name, text, kProgramNameSize - 1);
    name[kProgramNameSize - 1] = '\0';
}

void Program::Upgrade(const Program200* old) {
    if (old == nullptr) return;
    const float* v = old->values;
    Store(0, v[0] * 0.016666668f);
    // An old population of 0 has no defined selection; the first person is the safe answer.
    Store(1, v[0] != 0.0f ? v[1] / v[0] : 0.0f);
    for (int i = 2; i <= 11; ++i) Store(i, v[i]);
    Store(12, 0.0f);
    Store(13, 0.5f);
    Store(14, v[14]);
    for (int k = 0; k < kNumPeople; ++k)
        for (int j = 0; j < 8; ++j) Store(kNumGlobals + kFloatsPerPerson * k + j, v[16 + kFloatsPerPerson * k + j]);
    if (old->name[0] != '\0') {
        std::memcpy(name, old->name, kProgramNameSize);
        name[kProgramNameSize - 1] = '\0';  // an old record need not end its name inside the field
    } else {
        std::memset(name, 0, kProgramNameSize);
        std::strcpy(name, "Init");
    }
}

Program200::Program200() : values{}, name{} { std::strcpy(name, "Init"); }

ProgramData::ProgramData() : programVersion(0), programFlags(0) {}
