// The window's root view: holds the views in adding order (later ones on top), collects invalid
// rectangles and draws them once per idle into a back buffer that the platform frame shows.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/CView.h"
#include "toolkit/IPlatformFrame.h"
#include "toolkit/VSTGUIEditorInterface.h"

typedef struct _cairo_surface cairo_surface_t;
class CDrawContext;

class CFrame : public CView {
public:
    // UI thread: size is the window (left/top 0); systemWindow the host's parent window, or null.
    CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);
    // UI thread: removes and forgets every view, closes the platform window.
    ~CFrame() override;

    // UI thread: the frame takes over the caller's reference of view.
    bool addView(CView* view);
    // UI thread: withForget drops the frame's reference.
    bool removeView(CView* view, bool withForget = true);
    bool removeAll(bool withForget = true);
    bool isChild(CView* view) const;
    long getNbViews() const { return static_cast<long>(views.size()); }
    CView* getView(long index) const;
    // UI thread: the topmost visible view whose mouseable area holds where.
    CView* getViewAt(const CPoint& where) const;

    // UI thread: reads window events, fires due timers, turns dirty views into invalid rectangles,
    // draws what is invalid and shows it.
    void idle();
    // UI thread: rect (frame coordinates) will be drawn on the next idle.
    void invalidRect(const CRect& rect);
    void invalid() override { invalidRect(size); }
    // UI thread: draws rect now (the host's draw call, expose events).
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void draw(CDrawContext* context) override;
    // UI thread: redraws everything invalid into the back buffer and presents it, without waiting.
    void updateNow();

    // Mouse and key events are routed to the view under the pointer (or the one holding the mouse
    // since its button went down) and to the focus view.
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    long onKeyDown(VstKeyCode& keyCode) override;
    long onKeyUp(VstKeyCode& keyCode) override;

    // UI thread: the view receiving keys; the old one loses focus first (a text field commits).
    void setFocusView(CView* view);
    CView* getFocusView() const { return pFocusView; }
    // UI thread: the window lost the keyboard: the focus view loses focus.
    void onFocusLost();

    // UI thread: gesture brackets, passed to the editor.
    void beginEdit(long index);
    void endEdit(long index);
    VSTGUIEditorInterface* getEditor() const { return pEditor; }
    void* getSystemWindow() const { return systemWindow; }
    // UI thread: the frame's top-left on the screen (for pop-up windows).
    CPoint getScreenPosition() const;

    // Scale of the back buffer and of device coordinates (1.0 by default; 2.0 on dense screens).
    void setScaleFactor(double factor);
    double getScaleFactor() const { return scaleFactor; }

    // Platform side: events in device pixels (divided by the scale factor here).
    void platformOnMouseDown(double x, double y, long buttons);
    void platformOnMouseMoved(double x, double y, long buttons);
    void platformOnMouseUp(double x, double y, long buttons);
    void platformOnWheel(double x, double y, float distance, long buttons);
    bool platformOnKeyDown(VstKeyCode& key);
    bool platformOnKeyUp(VstKeyCode& key);
    // Platform side: the back buffer (device pixels), always complete after idle or updateNow.
    cairo_surface_t* getBackBuffer() const { return backBuffer; }
    IPlatformFrame* getPlatformFrame() const { return platformFrame.get(); }

    bool isTypeOf(const char* type) const override;

private:
    void drawInvalid();

    void* systemWindow;
    VSTGUIEditorInterface* pEditor;
    std::vector<CView*> views;
    CView* pFocusView = nullptr;
    CView* pMouseView = nullptr;
    CRect invalidArea;
    double scaleFactor = 1.0;
    cairo_surface_t* backBuffer = nullptr;
    std::unique_ptr<IPlatformFrame> platformFrame;
};
