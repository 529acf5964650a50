// The editor interface the VST 2.4 dispatchers talk to. The host opens and closes the window many
// times in the object's life; the object itself lives as long as its effect.
#pragma once

#include "shell/Vst24Abi.h"

class AudioEffect;

class AEffEditor {
public:
    // Host thread (inside the effect's constructor).
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    // Host thread: the effect's base destructor deletes its editor.
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    // Any thread: the effect this editor belongs to.
    virtual AudioEffect* getEffect() { return effect; }
    // UI thread: points *rect at a rectangle the editor owns; no size known here.
    virtual bool getRect(ERect** rect) {
        if (rect != nullptr) *rect = nullptr;
        return false;
    }
    // UI thread: ptr is the host's parent window; the base opens nothing.
    virtual bool open(void* ptr) {
        systemWindow = ptr;
        return false;
    }
    // UI thread.
    virtual void close() { systemWindow = nullptr; }
    // UI thread.
    virtual bool isOpen() { return systemWindow != nullptr; }
    // UI thread: the host's periodic call while the window is shown.
    virtual void idle() {}
    // UI thread.
    virtual void draw(ERect* /*rect*/) {}
    // UI thread.
    virtual VstInt32 mouse(VstInt32 /*x*/, VstInt32 /*y*/) { return 0; }
    // UI thread.
    virtual VstInt32 key(VstInt32 /*keyCode*/) { return 0; }
    // UI thread.
    virtual void top() {}
    // UI thread.
    virtual void sleep() {}

    // UI thread: key presses forwarded by the host; true when the editor used the key.
    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    // UI thread.
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
    // UI thread: 0 circular, 1 relative circular, 2 linear knob handling.
    virtual bool setKnobMode(VstInt32 /*mode*/) { return false; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
};
