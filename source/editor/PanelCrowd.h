// The crowd panel: every visible person as a marker on a plane of two of their values (the display
// menu picks which), the selected one ringed and animated; people are picked and dragged with the
// mouse. On its help screen it hands everything to its help pages.
#pragma once

#include "toolkit/CControl.h"

class CBitmap;
class COffscreenContext;
class EffectEditor;
class HelpPages;
class MurmurhallPlug;

class PanelCrowd : public CControl {
public:
    enum Screen { kCrowdScreen = 0, kHelpScreen = 1 };

    // UI thread: listener is the editor; tag 737; background bitmap 211.
    PanelCrowd(const CRect& size, CControlListener* listener, long tag, CBitmap* background);
    // UI thread: deletes the help pages, releases the offscreen.
    ~PanelCrowd() override;

    // UI thread: the crowd (and the fading version label) or the help pages.
    void draw(CDrawContext* context) override;
    // UI thread: only the left or right button acts; picks on the crowd screen, scrolls on help.
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    // UI thread: stops the help timer and closes the edit bracket.
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    // UI thread: drags the picked person, or scrolls the help pages.
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    // UI thread: the help timer's tick repeats the help's last mouse step.
    CMessageResult notify(CBaseObject* sender, const char* message) override;

    // UI thread: x, y of person's marker in panel coordinates for the current display mode.
    void getPersonPos(int person, int& x, int& y);
    // UI thread: moves person so its marker sits at panel point x, y.
    void setPersonPos(int person, int x, int y);
    // UI thread: picks the nearest visible person within 13 pixels and starts dragging it.
    CMouseEventResult PopMouseDown(CPoint& where, const long& buttons);
    // UI thread: moves the dragged person with the pointer.
    CMouseEventResult PopMouseMoved(CPoint& where, const long& buttons);
    // UI thread: the static picture (when the redraw flag is up), then the selection on top.
    void drawPopulation(CDrawContext* context);
    // UI thread: people drawn and pickable: round(60 × population) + 1, at most 59.
    int GetVisibleCount() const;

    // UI thread: the editor switches screens and raises the redraw flag.
    void SetScreen(Screen newScreen) { screen = newScreen; }
    Screen GetScreen() const { return screen; }
    void SetRedraw(float flag) { redrawFlag = flag; }
    float GetRedraw() const { return redrawFlag; }
    // UI thread: the display mode, read from the editor's display menu (0, 1 or 2).
    int GetDisplayMode() const;
    int GetDraggedPerson() const { return draggedPerson; }
    HelpPages* GetHelp() const { return help; }

    // UI thread.
    bool isTypeOf(const char* type) const override;
    // UI thread: a panel with its own offscreen and help pages.
    CView* newCopy() const override;

private:
    bool EnsureOffscreen();
    void DrawVersionLabel(CDrawContext* context);
    // The host hears a drag as a gesture on the two axis knobs, opened at the pick.
    void OpenKnobBrackets(int mode);
    void CloseKnobBrackets();

    EffectEditor* editor;
    MurmurhallPlug* engine;
    COffscreenContext* offscreen = nullptr;
    int draggedPerson = -1;
    Screen screen = kCrowdScreen;
    int versionFade = 127;
    HelpPages* help = nullptr;
    float redrawFlag = 1.f;
    int animationStep = 0;
    unsigned drawCount = 0;
    int dragOffsetX = 0;
    int dragOffsetY = 0;
    long bracketTags[2] = {-1, -1};  // knob tags whose host bracket is open, -1 for none
    char labelText[64] = {};
};
