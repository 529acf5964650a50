// What a frame asks of the editor that owns it: gesture brackets and the knob mode.
#pragma once

class CFrame;

class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;
    // UI thread: a user gesture on parameter index begins or ends.
    virtual void beginEdit(long index) = 0;
    virtual void endEdit(long index) = 0;
    // UI thread: kCircularMode, kRelativCircularMode or kLinearMode.
    virtual long getKnobMode() const = 0;
    // UI thread: the frame, null while the window is closed.
    virtual CFrame* getFrame() const = 0;
};
