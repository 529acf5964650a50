// The binding of a toolkit frame to the VST 2.4 editor interface: idle pacing on millisecond ticks,
// the process-wide knob mode, gesture brackets to the effect, and the window rectangle.
#pragma once

#include <cstdint>

#include "shell/AEffEditor.h"
#include "toolkit/VSTGUIEditorInterface.h"

class AudioEffect;
class CFrame;

class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
public:
    // Host thread (inside the effect's constructor): registers with the effect, takes the bundle.
    explicit AEffGUIEditor(void* effect);
    // Host thread: drops the bundle reference. The frame must be gone (close) by now.
    ~AEffGUIEditor() override;

    // UI thread: *rect points at this editor's rectangle; returns true.
    bool getRect(ERect** rect) override;
    // UI thread: stores the parent window; returns false (a subclass builds the frame).
    bool open(void* ptr) override;
    // UI thread: deletes the frame.
    void close() override;
    // UI thread: unless inside doIdleStuff, the frame's idle.
    void idle() override;
    // UI thread: redraws rect (null: everything).
    void draw(ERect* rect) override;
    // UI thread: keys from the host to the frame; true when used.
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    // UI thread.
    virtual bool onWheel(float distance);
    // UI thread: stores the process-wide knob mode; returns true.
    bool setKnobMode(VstInt32 val) override;
    // Any thread: the parameter index now holds value (the editor subclass updates its controls).
    virtual void setParameter(VstInt32 index, float value);
    // UI thread: paced idle: at most every 100 ms a pass of idle() and the effect's masterIdle.
    virtual void doIdleStuff();
    // UI thread: milliseconds (wraps in 32 bits).
    uint32_t getTicks() const;
    // UI thread: waits ms, firing timers and reading window events meanwhile.
    void wait(uint32_t ms);

    // VSTGUIEditorInterface
    void beginEdit(long index) override;
    void endEdit(long index) override;
    long getKnobMode() const override;
    CFrame* getFrame() const override { return frame; }

protected:
    CFrame* frame = nullptr;
    ERect rect{0, 0, 0, 0};

private:
    uint32_t lLastTicks = 0;
    bool inIdleStuff = false;
};
