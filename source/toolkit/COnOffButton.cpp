#include "toolkit/COnOffButton.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                           long style)
    : CControl(size, listener, tag, background), style(style) {}

COnOffButton::~COnOffButton() = default;

void COnOffButton::draw(CDrawContext* context) {
    if (pBackground != nullptr && context != nullptr) {
        // Picture 0 off, picture 1 on, each half the bitmap.
        const CCoord picture = value == vmax ? pBackground->getHeight() / 2 : 0;
        pBackground->draw(context, size, CPoint(0, picture));
    }
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint& /*where*/, const long& buttons) {
    if (!mouseEnabled || (buttons & kLButton) == 0) return kMouseEventNotHandled;
    value = value == vmax ? vmin : vmax;
    if ((style & kPostListenerUpdate) != 0) invalid();
    beginEdit();
    if (listener != nullptr) listener->valueChanged(this);
    endEdit();
    if ((style & kPostListenerUpdate) == 0) invalid();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COnOffButton::isTypeOf(const char* type) const {
    return (type != nullptr && std::strcmp(type, "COnOffButton") == 0) || CControl::isTypeOf(type);
}

CView* COnOffButton::newCopy() const {
    auto* copy = new COnOffButton(size, listener, tag, pBackground, style);
    copy->setValue(value);
    copy->setMin(vmin);
    copy->setMax(vmax);
    copy->setTransparency(bTransparencyEnabled);
    return copy;
}
