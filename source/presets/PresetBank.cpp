#include "FactoryPresets.h"

// Until the factory writers exist the bank keeps its "Init" defaults.
void PresetPrograms(ProgramData* bank) {
    if (bank == nullptr) return;
    bank->programVersion = 202;
}

void PresetOneProgram(ProgramData* bank, int index) {
    if (bank == nullptr) return;
    bank->programVersion = 202;
    (void)index;
}
