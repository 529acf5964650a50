#include "presets/FactoryProgram.h"

#include <atomic>
#include <cstring>

namespace {

// The audio thread may be reading the program while it is restored.
void Put(float& field, float value) { std::atomic_ref<float>(field).store(value, std::memory_order_relaxed); }

}  // namespace

void WriteFactoryProgram(Program* program, const char* name, const FactoryGlobals& globals,
                         const float (*people)[kFactoryPersonColumns]) {
    if (program == nullptr || name == nullptr || people == nullptr) return;
    // The text and its zero only: the rest of the field keeps its bytes.
    const size_t length = strnlen(name, kProgramNameSize - 1);
    std::memcpy(program->name, name, length);
    program->name[length] = '\0';
    Put(program->parPopulation, globals.population);
    Put(program->parPersonSelected, globals.selected);
    Put(program->parGlobalWet, globals.wet);
    Put(program->parGlobalDry, globals.dry);
    Put(program->parRandLower, globals.randLower);
    Put(program->parRandUpper, globals.randUpper);
    Put(program->parSolo, globals.solo);
    Put(program->parAllpassSpread, globals.spread);
    Put(program->parPitchAll, globals.pitchAll);
    for (int p = 0; p < kNumPeople; ++p) {
        Individual& person = program->people[p];
        const float* row = people[p];
        Put(person.parPitchShift, row[0]);
        Put(person.parPitchModGain, row[1]);
        Put(person.parPitchModSpeed, row[2]);
        Put(person.parDelayTime, row[3]);
        Put(person.parDelayModGain, row[4]);
        Put(person.parDelayModSpeed, row[5]);
        Put(person.parPan, row[6]);
        Put(person.parGain, row[7]);
        Put(person.par00, row[8]);
    }
}
