// The two-way traffic between the window's controls and the parameters, and the hand-over of
// parameter changes that arrive on threads other than the UI thread.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/EffectEditor.h"
#include "editor/PanelCrowd.h"
#include "engine/MurmurhallPlug.h"
#include "presets/FactoryPresets.h"
#include "shell/EffectVST.h"

namespace {

constexpr float kStep = 0.016666668f;  // one person or population entry
constexpr int kLastPerson = kNumPeople - 1;
constexpr size_t kEditableNameLength = 25;

enum Tag : long {
    kTagPopulation = 0,
    kTagPerson = 1,
    kTagWet = 2,
    kTagDry = 3,
    kTagLower = 4,
    kTagUpper = 5,
    kTagSolo = 6,
    kTagPresetAction = 7,
    kTagProgram = 8,
    kTagProgramDown = 9,
    kTagProgramUp = 10,
    kTagProgramName = 11,
    kTagSpread = 12,
    kTagSpectraOffset = 13,
    kTagProgramReload = 14,
    kTagFirstPersonValue = 17,
    kTagLastPersonValue = 28,
    kTagPopulationDown = 738,
    kTagPopulationUp = 739,
    kTagPersonPrevious = 740,
    kTagPersonNext = 741,
    kTagRandomise = 742,
    kTagDisplay = 745,
    kTagHelp = 747,
};

int ClampPopulation(int n) { return n < 0 ? 0 : (n > kLastPerson ? kLastPerson : n); }

}  // namespace

float EffectEditor::GetEffectParam(VstInt32 index) {
    return effect != nullptr ? effect->getParameter(index) : 0.0f;
}

void EffectEditor::SetEffectParameter(VstInt32 index, float value) {
    if (effect != nullptr && index >= 0 && index < kNumParams) effect->setParameter(index, value);
}

void EffectEditor::SetEffectParameterAutomated(VstInt32 index, float value) {
    // The host must never hear an index that is no parameter.
    if (effect != nullptr && index >= 0 && index < kNumParams) effect->setParameterAutomated(index, value);
}

void EffectEditor::controlBeginEdit(CControl* /*control*/) {}

void EffectEditor::controlEndEdit(CControl* /*control*/) {}

void EffectEditor::beginEdit(long index) {
    if (index >= 0 && index < kNumParams) AEffGUIEditor::beginEdit(index);
}

void EffectEditor::endEdit(long index) {
    if (index >= 0 && index < kNumParams) AEffGUIEditor::endEdit(index);
}

void EffectEditor::valueChanged(CControl* control) {
    if (control == nullptr || !IsEditorOpen()) return;
    const long tag = control->getTag();
    const float v = control->getValue();

    if (tag >= kTagFirstPersonValue && tag <= kTagLastPersonValue) {
        SetEffectParameterAutomated(static_cast<VstInt32>(tag + 12 * ShownPerson()), v);
        control->setDirty(true);
        return;
    }

    switch (tag) {
        case kTagPerson: {
            const int n = EntryIndex(GetEffectParam(kTagPopulation), 60);
            if (EntryIndex(v, 60) > n) {
                const float x = static_cast<float>(n) * kStep;
                SetEffectParameter(kTagPerson, x);
                control->setValue(x);
            }
            SetEffectParameterAutomated(kTagPerson, control->getValue());
            break;
        }
        case kTagLower:
            if (upperKnob != nullptr && v > upperKnob->getValue()) upperKnob->setValue(v);
            SetEffectParameterAutomated(kTagLower, v);
            break;
        case kTagUpper:
            if (lowerKnob != nullptr && v < lowerKnob->getValue()) lowerKnob->setValue(v);
            SetEffectParameterAutomated(kTagUpper, v);
            break;
        case kTagPresetAction: {
            const auto* menu = static_cast<const COptionMenu*>(control);
            switch (EntryIndex(static_cast<double>(v), menu->getNbEntries())) {
                case 0:
                    // The rest (read, rescan, write 14) happens when the chosen path arrives.
                    LoadPreset();
                    return;
                case 1:
                    SavePreset();
                    return;
                case 2:
                    PresetOneProgram(&engine->bank, engine->iCurProgram.load(std::memory_order_relaxed));
                    SetEffectParameter(kTagProgramReload, 0.0f);
                    return;
                default:
                    SetEffectParameterAutomated(kTagPresetAction, v);
                    break;
            }
            break;
        }
        case kTagProgramDown:
        case kTagProgramUp:
            // The release reports 0 on or off the button, so the program steps once per click.
            if (v != 0.0f) return;
            if (frame != nullptr) frame->invalid();
            SetEffectParameterAutomated(static_cast<VstInt32>(tag), 0.0f);
            break;
        case kTagProgramName: {
            char text[256] = {};
            static_cast<const CTextEdit*>(control)->getText(text);
            char name[kProgramNameSize] = {};
            std::memcpy(name, text, strnlen(text, kEditableNameLength));
            std::memcpy(engine->CurrentProgram().name, name, sizeof name);
            presetGUI.PresetRescan();
            SetEffectParameter(kTagProgramName, v);
            SetEffectParameterAutomated(kTagProgramName, v);
            break;
        }
        case kTagPopulationDown:
        case kTagPopulationUp:
            if (v != 0.0f) {
                const int n = EntryIndex(GetEffectParam(kTagPopulation), 60);
                const int next = tag == kTagPopulationDown ? n - 1 : n + 1;
                if (next >= 0 && next <= kLastPerson) SetEffectParameter(kTagPopulation, static_cast<float>(next) * kStep);
                if (populationMenu != nullptr) populationMenu->invalid();
            }
            break;
        case kTagPersonPrevious:
        case kTagPersonNext:
            if (v != 0.0f) {
                const int s = EntryIndex(GetEffectParam(kTagPerson), 60);
                if (tag == kTagPersonPrevious) {
                    if (s - 1 >= 0) SetEffectParameter(kTagPerson, static_cast<float>(s - 1) * kStep);
                } else if (populationMenu != nullptr && s + 1 <= populationMenu->getCurrentIndex() && s + 1 >= 0) {
                    SetEffectParameter(kTagPerson, static_cast<float>(s + 1) * kStep);
                }
                if (personMenu != nullptr) personMenu->invalid();
            }
            break;
        case kTagRandomise:
            RandomiseParams();
            break;
        case kTagDisplay:
            if (panel != nullptr) panel->SetRedraw(1.0f);
            break;
        case kTagHelp:
            if (panel != nullptr) panel->SetScreen(v >= 0.5f ? PanelCrowd::kHelpScreen : PanelCrowd::kCrowdScreen);
            if (frame != nullptr) frame->invalid();
            break;
        default:
            // Population menu, wet, dry, solo, spread, spectra offset, program menu; no control has
            // another tag up to 735, and the panel, target menu and scope switch act through readers.
            if (tag >= 0 && tag < kNumParams) SetEffectParameterAutomated(static_cast<VstInt32>(tag), v);
            break;
    }
    control->invalid();
}

bool EffectEditor::OnUIThread() const {
    return std::this_thread::get_id() == uiThread.load(std::memory_order_relaxed);
}

void EffectEditor::setParameter(VstInt32 index, float value) {
    if (index < 0 || index >= kNumParams) return;
    if (!OnUIThread()) {
        // Views belong to the UI thread; this thread may even be the audio thread.
        MarkParameter(index);
        return;
    }
    ApplyParameter(index, value);
}

void EffectEditor::MarkParameter(VstInt32 index) {
    markedWords[index / 32].fetch_or(1u << (index % 32), std::memory_order_release);
    anyMarked.store(true, std::memory_order_release);
}

void EffectEditor::ApplyMarkedParameters() {
    if (!anyMarked.exchange(false, std::memory_order_acquire)) return;
    for (int word = 0; word < 23; ++word) {
        uint32_t bits = markedWords[word].exchange(0, std::memory_order_acquire);
        while (bits != 0) {
            const int bit = __builtin_ctz(bits);
            bits &= bits - 1;
            const VstInt32 index = word * 32 + bit;
            // As if the change had just arrived, with the value the shell holds now.
            ApplyParameter(index, GetEffectParam(index));
        }
    }
}

void EffectEditor::ApplyParameter(VstInt32 index, float value) {
    if (!IsEditorOpen()) return;
    // Controls get a number they can draw, whatever the host sent.
    if (!std::isfinite(value)) value = 0.0f;
    if (index == kTagPerson) {
        ApplySelection(value);
    } else if (index == kTagProgramName) {
        if (CTextEdit* field = presetGUI.GetNameField()) {
            char name[kProgramNameSize];
            std::memcpy(name, engine->CurrentProgram().name, sizeof name);
            name[kProgramNameSize - 1] = '\0';
            field->setText(name);
            presetGUI.PresetRescan();
            field->invalid();
        }
    } else if (index == kTagPopulation) {
        ApplyPopulation(value);
    } else if (index >= kTagFirstPersonValue) {
        const int first = kTagFirstPersonValue + 12 * ShownPerson();
        if (index >= first && index < first + 12) {
            const int k = (index - kTagFirstPersonValue) % 12;
            if (CControl* knob = controlsByParameter[kTagFirstPersonValue + k]) knob->setValue(value);
            if (panel != nullptr) panel->SetRedraw(1.0f);
        }
    } else if (CControl* control = controlsByParameter[index]) {
        control->setValue(value);
    }
}

int EffectEditor::ShownPerson() {
    // A host may store a selection beyond the population; the knobs show (and edit) the last
    // person of the population then, never one that is not shown.
    const int n = ClampPopulation(EntryIndex(GetEffectParam(kTagPopulation), 60));
    const int s = EntryIndex(GetEffectParam(kTagPerson), 60);
    return s < 0 ? 0 : (s > n ? n : s);
}

void EffectEditor::ApplySelection(float value) {
    const int n = ClampPopulation(EntryIndex(GetEffectParam(kTagPopulation), 60));
    const int s = EntryIndex(value, 60);
    // The selection shown stays within the population; the stored value is the host's.
    if (s >= n) value = static_cast<float>(n) * kStep;
    if (s < 0) value = 0.0f;
    if (personMenu != nullptr) personMenu->setValue(value);
    const int p = EntryIndex(value, 60);
    for (int k = 0; k < 8; ++k) {
        const int index = kTagFirstPersonValue + 12 * p + k;
        CControl* knob = controlsByParameter[kTagFirstPersonValue + k];
        if (knob != nullptr && index < kNumParams) {
            knob->setValue(GetEffectParam(index));
            personKnobsDirty = true;
        }
    }
    if (panel != nullptr) panel->SetRedraw(1.0f);
    if (CControl* menu = controlsByParameter[kTagPerson]) menu->setValue(value);
}

void EffectEditor::ApplyPopulation(float value) {
    const float selection = GetEffectParam(kTagPerson);
    const int n = ClampPopulation(EntryIndex(value, 60));
    RelabelPersonMenu(n);
    int s = EntryIndex(selection, 60);
    if (s > n) s = n;
    if (s < 0) s = 0;
    SetEffectParameter(kTagPerson, static_cast<float>(s) * kStep);
    if (personMenu != nullptr) personMenu->invalid();
    if (panel != nullptr) panel->SetRedraw(1.0f);
    if (CControl* menu = controlsByParameter[kTagPopulation]) menu->setValue(value);
}

void EffectEditor::RelabelPersonMenu(int population) {
    if (personMenu == nullptr) return;
    population = ClampPopulation(population);
    char label[16];
    for (int i = 0; i < personMenu->getNbEntries(); ++i) {
        CMenuItem* entry = personMenu->getEntry(i);
        if (entry == nullptr) continue;
        if (i <= population) {
            std::snprintf(label, sizeof label, "%i", i + 1);
            entry->setTitle(label);
        } else {
            entry->setTitle("--");
        }
    }
}
