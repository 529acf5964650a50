// A knob drawn as one of subPixmaps pictures stacked in its bitmap, chosen by the value. It follows
// the process-wide knob mode: circular (the angle to the pointer), relative circular (the change of
// angle) or linear (vertical drag: up raises, 200 pixels span min..max; with shift, 2000 pixels).
// A drag is one gesture: beginEdit at mouse-down, endEdit at mouse-up.
#pragma once

#include "toolkit/CControl.h"

class CAnimKnob : public CControl {
public:
    // UI thread: heightOfOneImage is one picture's height; offset where the pictures start.
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
              CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint(0, 0));
    ~CAnimKnob() override;

    // UI thread: picture trunc(normalised value × (subPixmaps − 1) + 0.5), inverted when asked.
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    long onKeyDown(VstKeyCode& keyCode) override;

    void setInverseBitmap(bool val) { bInverseBitmap = val; }
    bool getInverseBitmap() const { return bInverseBitmap; }
    void setZoomFactor(float val) { zoomFactor = val; }
    long getNumSubPixmaps() const { return subPixmaps; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage; }

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override;

private:
    float valueFromPoint(const CPoint& where) const;

    long subPixmaps;
    CCoord heightOfOneImage;
    CPoint offset;
    bool bInverseBitmap = false;
    float zoomFactor = 10.f;
    // Drag state.
    long modeAtDown = kCircularMode;
    CPoint firstPoint;
    CPoint lastPoint;
    float entryValue = 0.f;
    float startAngleValue = 0.f;
    long lastButtons = 0;  // a change of shift mid-drag re-bases the linear drag
    bool dragging = false;
};
