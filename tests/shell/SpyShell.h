// The effect shell with its editor notifications recorded, driven through its AEffect record.
#pragma once

#include <vector>

#include "shell/EffectVST.h"

struct EditorNote {
    VstInt32 index;
    float value;
};

class SpyShell : public EffectVST {
public:
    using EffectVST::EffectVST;

    std::vector<EditorNote> notes;

    int CountNotes(VstInt32 index) const {
        int count = 0;
        for (const EditorNote& note : notes)
            if (note.index == index) ++count;
        return count;
    }

protected:
    void NotifyEditor(VstInt32 index, float value) override {
        notes.push_back({index, value});
        EffectVST::NotifyEditor(index, value);
    }
};
