// A factory program as plain tables, and the one routine that stores such tables into a Program.
#pragma once

#include "ProgramData.h"

// Columns of a person's row: parPitchShift, parPitchModGain, parPitchModSpeed, parDelayTime,
// parDelayModGain, parDelayModSpeed, parPan, parGain, par00.
constexpr int kFactoryPersonColumns = 9;

// Columns: parPopulation, parPersonSelected, parGlobalWet, parGlobalDry, parRandLower,
// parRandUpper, parSolo, parAllpassSpread, parPitchAll.
struct FactoryGlobals {
    float population;
    float selected;
    float wet;
    float dry;
    float randLower;
    float randUpper;
    float solo;
    float spread;
    float pitchAll;
};

// Not audio: stores the name's text and zero, the nine globals and fields 0..8 of every person;
// nothing else of the program changes. A null program is refused.
void WriteFactoryProgram(Program* program, const char* name, const FactoryGlobals& globals,
                         const float (*people)[kFactoryPersonColumns]);
