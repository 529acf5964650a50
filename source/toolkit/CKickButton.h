// A push button: pressed while held on it; on release it reports 1 if the pointer is still on the
// button and then 0; released off the button it reports only 0. Two pictures: up, down.
#pragma once

#include "toolkit/CControl.h"

class CKickButton : public CControl {
public:
    // UI thread.
    CKickButton(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                CBitmap* background, const CPoint& offset = CPoint(0, 0));
    ~CKickButton() override;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    // Return or space: a full click (1 then 0).
    long onKeyDown(VstKeyCode& keyCode) override;

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override;

private:
    CCoord heightOfOneImage;
    CPoint offset;
    bool pressedOnButton = false;
};
