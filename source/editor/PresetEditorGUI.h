// The program controls of the window: the preset action menu with the program list as a sub-menu,
// previous and next program buttons, and the program name field.
#pragma once

class CFrame;
class CKickButton;
class COptionMenu;
class CTextEdit;
class EffectEditor;
class MurmurhallPlug;

class PresetEditorGUI {
public:
    // UI thread: adds the buttons, then the menus and the name field, to frame.
    void AddGUI(EffectEditor* editor, CFrame* frame);
    // UI thread: adds the two menus and the name field.
    void PresetMenus(CFrame* frame);
    // UI thread: refills the program menu from the bank; the action menu back to entry 0.
    void PresetRescan();
    // UI thread: the window closed and its frame took the controls along.
    void Forget();

    // UI thread: the controls of the open window (null before AddGUI and after close).
    COptionMenu* GetActionMenu() const { return presetActionMenu; }
    COptionMenu* GetProgramMenu() const { return programMenu; }
    CTextEdit* GetNameField() const { return programNameField; }

private:
    EffectEditor* editor = nullptr;
    MurmurhallPlug* engine = nullptr;
    COptionMenu* presetActionMenu = nullptr;
    COptionMenu* programMenu = nullptr;
    CKickButton* previousButton = nullptr;
    CKickButton* nextButton = nullptr;
    CTextEdit* programNameField = nullptr;
};
