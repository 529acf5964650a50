// The factory bank, filled once for the tests that only read it, and person fields by number.
#pragma once

#include <array>
#include <bit>

#include "presets/FactoryPresets.h"

inline const ProgramData& FactoryBank() {
    static const ProgramData* bank = [] {
        auto* filled = new ProgramData();
        PresetPrograms(filled);
        return filled;
    }();
    return *bank;
}

// Field 0 is parPitchShift, 8 is par00, in the order of Individual.
inline float Field(const Individual& person, int field) {
    return std::bit_cast<std::array<float, kFloatsPerPerson>>(person)[field];
}
