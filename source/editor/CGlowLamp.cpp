#include "editor/CGlowLamp.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"

CGlowLamp::CGlowLamp(const CRect& size, CControlListener* listener, CBitmap* bitmap)
    : CControl(size, listener, 0, bitmap) {}

void CGlowLamp::draw(CDrawContext* context) {
    // NaN fails the comparison, so a poisoned value stays dark instead of reaching the int cast.
    if (value > 0.f) {
        // fmod keeps a huge value from overflowing the conversion; below 256 it is the plain mod.
        const double strength = std::trunc(static_cast<double>(value) * 255.9);
        const auto alpha = static_cast<unsigned char>(std::fmod(strength, 256.0));
        if (pBackground != nullptr && context != nullptr)
            pBackground->drawAlphaBlend(context, size, CPoint(0, 0), alpha);
        value -= 0.1;
    }
    setDirty(false);
}

bool CGlowLamp::isTypeOf(const char* type) const {
    if (type != nullptr && std::strcmp(type, "CGlowLamp") == 0) return true;
    return CControl::isTypeOf(type);
}

CView* CGlowLamp::newCopy() const {
    auto* copy = new CGlowLamp(size, listener, pBackground);
    copy->setValue(value);
    return copy;
}
