#include "presets/FactoryPresets.h"

namespace {

constexpr uint16_t kFactoryVersion = 202;

using PresetWriter = void (*)(Program*);
constexpr PresetWriter kWriters[kNumPrograms] = {
    Preset00, Preset01, Preset02, Preset03, Preset04, Preset05, Preset06, Preset07,
    Preset08, Preset09, Preset10, Preset11, Preset12, Preset13, Preset14, Preset15,
    Preset16, Preset17, Preset18, Preset19, Preset20, Preset21, Preset22, Preset23,
};

}  // namespace

void PresetPrograms(ProgramData* bank) {
    if (bank == nullptr) return;
    bank->programVersion = kFactoryVersion;
    for (int n = 0; n < kNumPrograms; ++n) kWriters[n](&bank->programs[n]);
}

void PresetOneProgram(ProgramData* bank, int index) {
    if (bank == nullptr) return;
    bank->programVersion = kFactoryVersion;
    // Any other number (the editor's, or a host's) restores nothing.
    if (index < 0 || index >= kNumPrograms) return;
    kWriters[index](&bank->programs[index]);
}
