#include "editor/EffectEditor.h"

#include "engine/MurmurhallPlug.h"
#include "platform/Bundle.h"
#include "shell/EffectVST.h"

EffectEditor::EffectEditor(EffectVST* effect) : AEffEditor(effect), engine(nullptr) {
    InitMachOLibrary();
    engine = new MurmurhallPlug;
    if (effect != nullptr) effect->engine = engine;
}

EffectEditor::~EffectEditor() {
    // The shell's own part is already gone here, so its engine field is left alone.
    delete engine;
    ExitMachOLibrary();
}

bool EffectEditor::getRect(ERect** rectOut) {
    if (rectOut == nullptr) return false;
    *rectOut = &rect;
    return true;
}

bool EffectEditor::open(void* /*ptr*/) { return false; }

void EffectEditor::close() { AEffEditor::close(); }

// No window exists yet, so there are no controls to move.
void EffectEditor::setParameter(VstInt32 /*index*/, float /*value*/) {}
