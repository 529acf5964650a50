// The overload lamp: its bitmap blended at the glow strength (the value), which drops by 0.1 a draw.
#pragma once

#include "toolkit/CControl.h"

class CGlowLamp : public CControl {
public:
    // UI thread: tag 0; the bitmap becomes the background.
    CGlowLamp(const CRect& size, CControlListener* listener, CBitmap* bitmap);

    // UI thread: blends the bitmap at trunc(value × 255.9) mod 256 while the value is above 0, then
    // steps the value down by 0.1.
    void draw(CDrawContext* context) override;
    // UI thread.
    bool isTypeOf(const char* type) const override;
    // UI thread: a lamp with the same place, listener, bitmap and glow.
    CView* newCopy() const override;
};
