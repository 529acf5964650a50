// The base of everything drawn in a frame. Coordinates are frame (window) coordinates, as mouse
// points are. A view belongs to its frame once added, and the frame forgets it when removed.
#pragma once

#include "shell/Vst24Abi.h"
#include "toolkit/CBaseObject.h"
#include "toolkit/CRect.h"

class CBitmap;
class CDrawContext;
class CFrame;

class CView : public CBaseObject {
public:
    // UI thread.
    explicit CView(const CRect& size);
    ~CView() override;

    // UI thread: draws the whole view; the base draws the background bitmap, if any.
    virtual void draw(CDrawContext* context);
    // UI thread: draws the part in updateRect; the base calls draw.
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);

    // UI thread: mouse events, where in frame coordinates, buttons a mask of CButton bits.
    virtual CMouseEventResult onMouseDown(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const long& buttons);
    // UI thread: distance in wheel steps; true when used.
    virtual bool onWheel(const CPoint& where, const float& distance, const long& buttons);
    // UI thread: 1 when the key was used, -1 otherwise.
    virtual long onKeyDown(VstKeyCode& keyCode);
    virtual long onKeyUp(VstKeyCode& keyCode);

    // UI thread: keyboard focus given or taken by the frame.
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    // UI thread: asks the frame to redraw this view's rectangle.
    virtual void invalid();
    virtual void setDirty(bool val = true) { dirty = val; }
    virtual bool isDirty() const { return dirty; }

    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    CRect& getViewSize(CRect& rect) const {
        rect = size;
        return rect;
    }
    const CRect& getViewSize() const { return size; }
    CCoord getWidth() const { return size.width(); }
    CCoord getHeight() const { return size.height(); }
    virtual void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
    CRect& getMouseableArea(CRect& rect) const {
        rect = mouseableArea;
        return rect;
    }
    void setMouseEnabled(bool enable) { mouseEnabled = enable; }
    bool getMouseEnabled() const { return mouseEnabled; }
    void setVisible(bool state);
    bool isVisible() const { return visible; }

    // UI thread: the bitmap is remembered here and forgotten when replaced or when the view dies.
    virtual void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return pBackground; }
    virtual void setTransparency(bool val) { bTransparencyEnabled = val; }
    bool getTransparency() const { return bTransparencyEnabled; }

    // UI thread: the frame this view was added to, null before.
    CFrame* getFrame() const { return pParentFrame; }
    // UI thread: called by the frame when the view is added or removed.
    virtual bool attached(CFrame* frame);
    virtual bool removed(CFrame* frame);
    bool isAttached() const { return pParentFrame != nullptr; }

    // UI thread: true for "CView" and for the class names of the view's bases.
    virtual bool isTypeOf(const char* type) const;
    // UI thread: a new view like this one (null where a class cannot be copied).
    virtual CView* newCopy() const { return nullptr; }

protected:
    CRect size;
    CRect mouseableArea;
    CFrame* pParentFrame = nullptr;
    CBitmap* pBackground = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool visible = true;
    bool bTransparencyEnabled = false;
};
