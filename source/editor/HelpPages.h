// The help screen: the bundle's help text, word-wrapped once to the panel's width, scrolled by
// pixels with arrows, a track and a thumb; headings (lines with ':') and rules (lines with '#').
#pragma once

#include "toolkit/CRect.h"
#include "toolkit/VstguiTypes.h"

class CBaseObject;
class CControlListener;
class CDrawContext;
class CVSTGUITimer;
class EffectEditor;

class HelpPages {
public:
    static constexpr int kMaxLines = 512;
    static constexpr int kLineBytes = 80;

    // UI thread: reads the help file now; timerTarget hears the 25 ms scroll timer.
    HelpPages(const CRect& panelRect, CControlListener* listener, CBaseObject* timerTarget);
    // UI thread: releases the timer (and the text, when never laid out).
    ~HelpPages();
    HelpPages(const HelpPages&) = delete;
    HelpPages& operator=(const HelpPages&) = delete;

    // UI thread: scroll bar, arrows and the visible lines; lays the text out first if needed.
    void DrawHelp(CDrawContext* context);
    // UI thread: word-wraps the text to the panel's width with context's font (once).
    void CreateHelp(CDrawContext* context);
    // UI thread: picks arrow, thumb or track, starts the timer and takes the first step.
    CMouseEventResult MouseDownHelpScreen(CPoint& where, const long& buttons);
    // UI thread: a mouse move or timer tick: one scroll step of the current drag mode.
    CMouseEventResult MouseMovedHelpScreen(CPoint& where, const long& buttons);
    // UI thread: stops the timer.
    CMouseEventResult onMouseUp();

    // UI thread: what the panel forwards timer ticks with.
    CPoint GetLastPoint() const { return lastPoint; }
    long GetLastButtons() const { return lastButtons; }
    // UI thread: layout and scroll state (tests and the panel).
    bool IsLaidOut() const { return laidOut; }
    int GetLineCount() const { return lineCount; }
    const char* GetLine(int index) const;
    int GetScrollOffset() const { return scrollOffset; }
    int GetThumb() const { return thumb; }
    bool IsTimerRunning() const;

    // Tests: read this file instead of the bundle's help resource (null: back to the bundle).
    static void SetHelpFileForTesting(const char* path);

private:
    EffectEditor* editor;
    unsigned char* text = nullptr;
    long textLength = 0;
    bool laidOut = false;
    int lineCount = 0;
    char lines[kMaxLines][kLineBytes] = {};
    int scrollOffset = 0;
    int thumb = 0;
    int dragMode = -1;
    int repeatCount = 0;
    int pageDirection = 0;  // track paging: +1 down, -1 up, fixed by the press
    CPoint lastPoint;
    long lastButtons = 0;
    int w;
    int h;
    CRect upArrow;
    CRect downArrow;
    CRect panelRect;
    CVSTGUITimer* timer = nullptr;
};
