// The plug-in's window and the owner of the crowd engine. It lives as long as the effect shell; the
// host opens and closes the window many times in that life, and every open builds the views afresh
// from the current program.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "editor/PresetEditorGUI.h"
#include "toolkit/vstgui.h"

class EffectVST;
class MurmurhallPlug;
class PanelCrowd;
class CGlowLamp;

class EffectEditor : public AEffGUIEditor, public CControlListener {
public:
    // Host thread (inside the shell's constructor): engine, kept bitmaps, file selector, rect.
    EffectEditor(void* effect, void* unused = nullptr);
    // Host thread (inside the shell's base destructor): bitmaps, file selector, then the engine.
    ~EffectEditor() override;

    // UI thread: builds the window's views; always true.
    bool open(void* ptr) override;
    // UI thread: deletes the frame and every view.
    void close() override;
    // UI thread: applies parameter changes marked by other threads, then the paced refresh.
    void idle() override;
    // Any thread: parameter index now holds value. On the UI thread the controls follow at once;
    // from any other thread the index is only marked (lock-free) and idle applies it.
    void setParameter(VstInt32 index, float value) override;

    // UI thread: a control reports a change.
    void valueChanged(CControl* control) override;
    void controlBeginEdit(CControl* control) override;
    void controlEndEdit(CControl* control) override;
    // UI thread: the panel's bracket (tag 737, no parameter) is kept from the host.
    void beginEdit(long index) override;
    void endEdit(long index) override;

    // UI thread: gives a menu the editor's text style.
    void FillOptionsParams(COptionMenu* menu);
    // Any thread: the shell's parameter value.
    float GetEffectParam(VstInt32 index);
    // UI thread: stored, editor told, host not told.
    void SetEffectParameter(VstInt32 index, float value);
    // UI thread: as SetEffectParameter, then the host hears it as automation.
    void SetEffectParameterAutomated(VstInt32 index, float value);

    // UI thread: one randomisation of the people's values between the bound knobs.
    void RandomiseParams();
    // UI thread: one draw between the lower and the upper bound knob.
    float RandomLowToUpp();
    // UI thread: asks for a file and writes the current program to it (the write happens when the
    // path arrives). Returns 0.
    long SavePreset();
    // UI thread: asks for a file; when the path arrives, reads it into the current program, rescans
    // the preset menu and re-applies the program (write 14 = 0).
    void LoadPreset();
    // Any thread: the file selector's path made a file-system path of at most maxLen bytes; 0 on
    // success, -43 when it does not fit.
    static long FSSpecToPOSIXPath(const char* chosen, char* path, long maxLen);
    // Any thread: the preset file for a chosen path: a 3-letter extension is replaced by .fxp, and
    // .fxp is appended otherwise.
    static std::string PresetFilePath(const char* path);
    // Any thread: entry trunc(entries × value + 0.5) of a menu or person value; NaN reads as 0 and
    // huge values are held to ±1e6, so the result is always a usable int.
    static int EntryIndex(double value, long entries);

    // Any thread: the engine this editor owns.
    MurmurhallPlug* GetEngine() const { return engine; }
    // UI thread: the state the crowd panel, the help pages and the preset GUI read.
    bool IsEditorOpen() const { return openFlag.load(std::memory_order_acquire); }
    CBitmap* GetBitmap(long resourceID) const;
    COptionMenu* GetDisplayMenu() const { return displayMenu; }
    // UI thread: the person knob showing value k (0..7) of the selected person; null when closed.
    CControl* GetPersonKnob(int k) const;
    PanelCrowd* GetPanel() const { return panel; }
    CGlowLamp* GetLamp() const { return lamp; }
    CFileSelector* GetFileSelector() const { return fileSelector; }
    // UI thread: the control registered for parameter index (0..735), null when none or closed.
    CControl* GetControlForParameter(VstInt32 index) const;

private:
    void ApplyParameter(VstInt32 index, float value);
    void ApplyPopulation(float value);
    void ApplySelection(float value);
    void RelabelPersonMenu(int population);
    int ShownPerson();
    void MarkParameter(VstInt32 index);
    void ApplyMarkedParameters();
    bool OnUIThread() const;
    void ForgetViews();
    // Fills the request record and starts the selector; false when a request is still running.
    bool StartFileRequest(VstInt32 command, const char* typeName, const char* title,
                          void (EffectEditor::*arrived)(const char* path));
    void SavePathArrived(const char* path);
    void LoadPathArrived(const char* path);
    bool WritePresetFile(const char* path);
    bool ReadPresetFile(const char* path);

    MurmurhallPlug* engine = nullptr;
    CFileSelector* fileSelector = nullptr;
    CBitmap* backgroundBitmap = nullptr;
    bool personKnobsDirty = true;

    CAnimKnob* personKnobs[8] = {};
    COptionMenu* populationMenu = nullptr;
    CKickButton* populationDown = nullptr;
    CKickButton* populationUp = nullptr;
    COptionMenu* personMenu = nullptr;
    CKickButton* personPrevious = nullptr;
    CKickButton* personNext = nullptr;
    CAnimKnob* wetKnob = nullptr;
    CAnimKnob* dryKnob = nullptr;
    CAnimKnob* spreadKnob = nullptr;
    CAnimKnob* spectraOffsetKnob = nullptr;
    CAnimKnob* lowerKnob = nullptr;
    CAnimKnob* upperKnob = nullptr;
    CKickButton* randomiseButton = nullptr;
    COptionMenu* randomiseTargetMenu = nullptr;
    COnOffButton* randomiseScopeSwitch = nullptr;
    COptionMenu* displayMenu = nullptr;
    COnOffButton* soloSwitch = nullptr;
    COnOffButton* helpSwitch = nullptr;
    CGlowLamp* lamp = nullptr;
    PanelCrowd* panel = nullptr;

    PresetEditorGUI presetGUI;

    // 211, 210, 212, 215, 216, 217, 218, 223, 224, in that order.
    CBitmap* panelBitmaps[9] = {};

    CControl* controlsByParameter[736] = {};
    // Read by whichever thread the shell's setParameter runs on.
    std::atomic<bool> openFlag{false};
    uint32_t lastRefresh = 0;
    // The thread that opened the window and runs idle; other threads only mark.
    std::atomic<std::thread::id> uiThread{};

    // The request handed to the file selector; it must outlive the dialog.
    VstFileType presetFileType{};
    VstFileSelect presetFileSelect{};
    char presetReturnPath[CFileSelector::kMaxPath] = {};

    // Parameter changes from threads other than the UI thread, applied by idle in index order.
    std::atomic<uint32_t> markedWords[23] = {};
    std::atomic<bool> anyMarked{false};
};
