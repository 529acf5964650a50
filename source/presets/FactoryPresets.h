// The 24 factory programs: one writer per program, the bank fill and the single restore.
#pragma once

#include "ProgramData.h"

void Preset00(Program* program);
void Preset01(Program* program);
void Preset02(Program* program);
void Preset03(Program* program);
void Preset04(Program* program);
void Preset05(Program* program);
void Preset06(Program* program);
void Preset07(Program* program);
void Preset08(Program* program);
void Preset09(Program* program);
void Preset10(Program* program);
void Preset11(Program* program);
void Preset12(Program* program);
void Preset13(Program* program);
void Preset14(Program* program);
void Preset15(Program* program);
void Preset16(Program* program);
void Preset17(Program* program);
void Preset18(Program* program);
void Preset19(Program* program);
void Preset20(Program* program);
void Preset21(Program* program);
void Preset22(Program* program);
void Preset23(Program* program);

// Not audio: version 202, then every writer on its program.
void PresetPrograms(ProgramData* bank);
// Not audio: version 202, then the writer of one program (0..23; others write nothing more).
void PresetOneProgram(ProgramData* bank, int index);
