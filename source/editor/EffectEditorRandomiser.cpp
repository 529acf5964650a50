// New random values for the people's values, drawn between the two bound knobs.
#include <cstdlib>

#include "editor/EffectEditor.h"
#include "editor/PanelCrowd.h"
#include "shell/AudioEffect.h"

namespace {

// Person values (k) drawn by each entry of the target menu, in drawing order; -1 ends a row.
constexpr int kTargets[10][9] = {
    {0, 1, 2, 3, 4, 5, 6, 7, -1},  // all
    {0, 1, 2, 3, 4, 5, 6, -1},     // all - not gain
    {0, -1}, {1, -1}, {2, -1}, {3, -1}, {4, -1}, {5, -1}, {6, -1}, {7, -1},
};
constexpr int kTargetCount = 10;
// One past the last person; its writes land beyond the parameters and are ignored by the shell.
constexpr int kPersonLimit = 60;

int HoldPerson(int p) { return p < 0 ? 0 : (p > kPersonLimit ? kPersonLimit : p); }

}  // namespace

float EffectEditor::RandomLowToUpp() {
    const int r = std::rand();
    const float lower = lowerKnob != nullptr ? lowerKnob->getValue() : GetEffectParam(4);
    const float upper = upperKnob != nullptr ? upperKnob->getValue() : GetEffectParam(5);
    return ((upper - lower) * 3.0517578e-5f) * static_cast<float>(r % 32768) + lower;
}

void EffectEditor::RandomiseParams() {
    if (!IsEditorOpen() || randomiseScopeSwitch == nullptr || randomiseTargetMenu == nullptr) return;
    int first;
    int last;
    if (randomiseScopeSwitch->getValue() == 1.0f) {
        first = 0;
        last = HoldPerson(EntryIndex(GetEffectParam(0), 60));
    } else {
        first = last = HoldPerson(EntryIndex(GetEffectParam(1), 60));
    }
    if (panel != nullptr) panel->SetRedraw(1.0f);
    for (int p = first; p <= last; ++p) {
        const int target = EntryIndex(randomiseTargetMenu->getValue(), randomiseTargetMenu->getNbEntries());
        if (target < 0 || target >= kTargetCount) continue;
        for (const int* k = kTargets[target]; *k >= 0; ++k) {
            const float value = RandomLowToUpp();
            if (effect != nullptr) effect->setParameter(17 + 12 * p + *k, value);
        }
    }
}
