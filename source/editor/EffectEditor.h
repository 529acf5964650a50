// The plug-in's editor object. It lives as long as the effect shell: it holds the bundle reference
// and owns the crowd engine. Until the window exists it opens nothing and sizes nothing.
#pragma once

#include "shell/AEffEditor.h"

class EffectVST;
class MurmurhallPlug;

class EffectEditor : public AEffEditor {
public:
    // Host thread (inside the shell's constructor): takes the bundle reference, builds the engine
    // and hands its pointer to the shell.
    explicit EffectEditor(EffectVST* effect);
    // Host thread (inside the shell's base destructor): destroys the engine, drops the bundle reference.
    ~EffectEditor() override;

    // UI thread: an empty rectangle, since there is no window to size.
    bool getRect(ERect** rect) override;
    // UI thread: no window yet, so it refuses.
    bool open(void* ptr) override;
    // UI thread.
    void close() override;

    // Any thread: a parameter changed; the controls follow once a window exists.
    virtual void setParameter(VstInt32 index, float value);

    // Any thread: the engine this editor owns.
    MurmurhallPlug* GetEngine() const { return engine; }

private:
    MurmurhallPlug* engine;
    ERect rect{0, 0, 0, 0};
};
