// An effect whose host is scripted by the test: what canDo("openFileSelector") answers and what the
// host's file selector does, and a record of the gesture brackets and idle calls the effect makes.
// Also an editor over a headless frame for it, opened like a host opens one.
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

// The scripted host. One at a time, as the host callback is a plain function.
struct ScriptedHost {
    VstIntPtr canOpenFileSelector = 0;
    // Runs for audioMasterOpenFileSelector; its answer is the host's.
    std::function<VstIntPtr(VstFileSelect*)> openFileSelector;
    int opens = 0;
    int closes = 0;

    static ScriptedHost*& Current() {
        static ScriptedHost* current = nullptr;
        return current;
    }
    static VstIntPtr Callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
        ScriptedHost* host = Current();
        switch (opcode) {
            case audioMasterVersion: return kVstVersion;
            case audioMasterCanDo:
                return host != nullptr && ptr != nullptr &&
                               std::strcmp(static_cast<const char*>(ptr), "openFileSelector") == 0
                           ? host->canOpenFileSelector
                           : 0;
            case audioMasterOpenFileSelector:
                if (host == nullptr) return 0;
                ++host->opens;
                return host->openFileSelector ? host->openFileSelector(static_cast<VstFileSelect*>(ptr)) : 0;
            case audioMasterCloseFileSelector:
                if (host != nullptr) ++host->closes;
                return 1;
            default: return 0;
        }
    }
};

class RecordingEffect : public AudioEffectX {
public:
    explicit RecordingEffect(ScriptedHost* host) : AudioEffectX(&ScriptedHost::Callback, 1, 8) {
        ScriptedHost::Current() = host;
    }
    ~RecordingEffect() override { ScriptedHost::Current() = nullptr; }

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

// An editor whose open makes a frame of width x height, as EffectEditor's does.
class FrameEditor : public AEffGUIEditor {
public:
    FrameEditor(void* effect, CCoord width = 400, CCoord height = 300) : AEffGUIEditor(effect) {
        rect = ERect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    }
    bool open(void* parent) override {
        AEffGUIEditor::open(parent);
        frame = new CFrame(CRect(0, 0, rect.right, rect.bottom), parent, this);
        return true;
    }
    void idle() override {
        ++idles;
        AEffGUIEditor::idle();
    }
    HeadlessPlatformFrame* headless() const { return frame != nullptr ? HeadlessPlatformFrame::Of(frame) : nullptr; }

    int idles = 0;
};

}  // namespace toolkittest
