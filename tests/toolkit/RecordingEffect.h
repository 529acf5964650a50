// An effect whose host is scripted by the test (its canDo("openFileSelector") answer and file
// selector), recording the gesture brackets and idle calls it makes; and an editor over a headless
// frame for it, opened as a host opens one.
#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "shell/AudioEffectX.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CFrame.h"
#include "toolkit/HeadlessPlatformFrame.h"

namespace toolkittest {

// One at a time, as the host callback is a plain function.
struct ScriptedHost {
    VstIntPtr canOpenFileSelector = 0;
    std::function<VstIntPtr(VstFileSelect*)> openFileSelector;  // its answer is the host's
    int closes = 0;

    static inline ScriptedHost* current = nullptr;
    static VstIntPtr Callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
        if (opcode == audioMasterVersion) return kVstVersion;
        if (current == nullptr) return 0;
        if (opcode == audioMasterCanDo && ptr != nullptr && std::strcmp(static_cast<char*>(ptr), "openFileSelector") == 0)
            return current->canOpenFileSelector;
        if (opcode == audioMasterOpenFileSelector && current->openFileSelector)
            return current->openFileSelector(static_cast<VstFileSelect*>(ptr));
        if (opcode != audioMasterCloseFileSelector) return 0;
        ++current->closes;
        return 1;
    }
};

class RecordingEffect : public AudioEffectX {
public:
    explicit RecordingEffect(ScriptedHost* host) : AudioEffectX(&ScriptedHost::Callback, 1, 8) {
        ScriptedHost::current = host;
    }
    ~RecordingEffect() override { ScriptedHost::current = nullptr; }
    void processReplacing(float**, float**, VstInt32) override {}
    bool beginEdit(VstInt32 index) override {
        brackets.push_back("begin " + std::to_string(index));
        return true;
    }
    bool endEdit(VstInt32 index) override {
        brackets.push_back("end " + std::to_string(index));
        return true;
    }
    void masterIdle() override {
        ++masterIdles;
        if (onMasterIdle) onMasterIdle();
    }

    std::vector<std::string> brackets;
    int masterIdles = 0;
    std::function<void()> onMasterIdle;
};

// An editor whose open makes a 400 x 300 frame, as EffectEditor's does.
class FrameEditor : public AEffGUIEditor {
public:
    explicit FrameEditor(void* effect) : AEffGUIEditor(effect) { rect = ERect{0, 0, 300, 400}; }
    bool open(void* parent) override {
        AEffGUIEditor::open(parent);
        frame = new CFrame(CRect(0, 0, rect.right, rect.bottom), parent, this);
        return true;
    }
    HeadlessPlatformFrame* headless() const { return HeadlessPlatformFrame::Of(frame); }
};

}  // namespace toolkittest
