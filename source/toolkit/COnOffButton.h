// A switch: each left click flips the value between 0 and 1 and reports it. Two pictures: off, on.
#pragma once

#include "toolkit/CControl.h"

class COnOffButton : public CControl {
public:
    // UI thread: style kPreListenerUpdate (0) or kPostListenerUpdate.
    COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                 long style = kPreListenerUpdate);
    ~COnOffButton() override;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    long getStyle() const { return style; }
    void setStyle(long newStyle) { style = newStyle; }

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override;

private:
    long style;
};
