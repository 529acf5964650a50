#include "editor/PresetEditorGUI.h"

#include <cstring>

#include "editor/EffectEditor.h"
#include "engine/MurmurhallPlug.h"

namespace {

constexpr long kPresetMenuStyle = 21000;
const CRect kPresetMenuRect(8, 383, 73, 396);
const CRect kNameFieldRect(118, 384, 258, 396);
constexpr CColor kNameFieldBack{199, 213, 231, 0};

}  // namespace

void PresetEditorGUI::AddGUI(EffectEditor* newEditor, CFrame* frame) {
    editor = newEditor;
    engine = newEditor != nullptr ? newEditor->GetEngine() : nullptr;
    if (frame == nullptr || editor == nullptr) return;

    CBitmap* previousBitmap = new CBitmap(213);
    const CCoord imageHeight = previousBitmap->getHeight() / 2;
    CRect place(76, 383, 76 + previousBitmap->getWidth(), 383 + imageHeight);
    previousButton = new CKickButton(place, editor, 9, imageHeight, previousBitmap, CPoint(0, 0));
    previousButton->setValue(0.0f);
    frame->addView(previousButton);
    previousBitmap->forget();

    CBitmap* nextBitmap = new CBitmap(214);
    place.offset(20, 0);
    nextButton = new CKickButton(place, editor, 10, nextBitmap->getHeight() / 2, nextBitmap, CPoint(0, 0));
    nextButton->setValue(0.0f);
    frame->addView(nextButton);
    nextBitmap->forget();

    PresetMenus(frame);
}

void PresetEditorGUI::PresetMenus(CFrame* frame) {
    if (frame == nullptr || editor == nullptr) return;
    programMenu = new COptionMenu(kPresetMenuRect, editor, 8, nullptr, nullptr, kPresetMenuStyle);
    frame->addView(programMenu);

    // Added after the program menu, so it lies on top and takes the clicks.
    presetActionMenu = new COptionMenu(kPresetMenuRect, editor, 7, nullptr, nullptr, kPresetMenuStyle);
    frame->addView(presetActionMenu);
    presetActionMenu->addEntry("Load preset");
    presetActionMenu->addEntry("Save preset");
    presetActionMenu->addEntry("Reset current");
    presetActionMenu->addEntry("-");
    presetActionMenu->addEntry(programMenu, "Presets");

    PresetRescan();

    programNameField = new CTextEdit(kNameFieldRect, editor, 11, nullptr, nullptr, 0);
    programNameField->setTransparency(true);
    programNameField->setFont(kNormalFontVerySmall);
    programNameField->setFontColor(kBlackCColor);
    programNameField->setBackColor(kNameFieldBack);
    programNameField->setFrameColor(kNameFieldBack);
    programNameField->setHoriAlign(kLeftText);
    if (engine != nullptr) {
        char name[kProgramNameSize];
        std::memcpy(name, engine->CurrentProgram().name, sizeof name);
        name[kProgramNameSize - 1] = '\0';
        programNameField->setText(name);
    }
    frame->addView(programNameField);
}

void PresetEditorGUI::PresetRescan() {
    if (programMenu == nullptr || engine == nullptr) return;
    programMenu->removeAllEntry();
    char name[kProgramNameSize];
    for (const Program& program : engine->bank.programs) {
        std::memcpy(name, program.name, sizeof name);
        name[kProgramNameSize - 1] = '\0';  // a host's chunk need not end its names
        programMenu->addEntry(name);
    }
    if (presetActionMenu != nullptr) presetActionMenu->setValue(0.0f);
}

void PresetEditorGUI::Forget() {
    presetActionMenu = nullptr;
    programMenu = nullptr;
    previousButton = nullptr;
    nextButton = nullptr;
    programNameField = nullptr;
}
