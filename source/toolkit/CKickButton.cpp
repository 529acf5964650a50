#include "toolkit/CKickButton.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"

CKickButton::CKickButton(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                         CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      heightOfOneImage(std::max<CCoord>(0, heightOfOneImage)),
      offset(offset) {}

CKickButton::~CKickButton() = default;

void CKickButton::draw(CDrawContext* context) {
    if (pBackground != nullptr && context != nullptr) {
        // Picture 0 is the button up, picture 1 pressed.
        const CCoord picture = value == vmax ? 1 : 0;
        pBackground->draw(context, size, CPoint(offset.h, offset.v + picture * heightOfOneImage));
    }
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& /*where*/, const long& buttons) {
    if (!mouseEnabled || (buttons & kLButton) == 0) return kMouseEventNotHandled;
    beginEdit();
    pressedOnButton = true;
    value = vmax;  // shows pressed; nothing is reported before the release
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const long& /*buttons*/) {
    if (!pressedOnButton) return kMouseEventNotHandled;
    value = size.pointInside(where) ? vmax : vmin;
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint& where, const long& /*buttons*/) {
    if (!pressedOnButton) return kMouseEventNotHandled;
    pressedOnButton = false;
    if (size.pointInside(where)) {
        value = vmax;
        if (listener != nullptr) listener->valueChanged(this);
    }
    value = vmin;
    if (listener != nullptr) listener->valueChanged(this);
    endEdit();
    return kMouseEventHandled;
}

long CKickButton::onKeyDown(VstKeyCode& keyCode) {
    const bool press = keyCode.virt == VKEY_RETURN || keyCode.virt == VKEY_ENTER || keyCode.virt == VKEY_SPACE ||
                       (keyCode.virt == 0 && keyCode.character == ' ');
    if (!press || pressedOnButton) return -1;
    beginEdit();
    value = vmax;
    if (listener != nullptr) listener->valueChanged(this);
    value = vmin;
    if (listener != nullptr) listener->valueChanged(this);
    endEdit();
    return 1;
}

bool CKickButton::isTypeOf(const char* type) const {
    return (type != nullptr && std::strcmp(type, "CKickButton") == 0) || CControl::isTypeOf(type);
}

CView* CKickButton::newCopy() const {
    auto* copy = new CKickButton(size, listener, tag, heightOfOneImage, pBackground, offset);
    copy->setValue(value);
    copy->setMin(vmin);
    copy->setMax(vmax);
    copy->setTransparency(bTransparencyEnabled);
    return copy;
}
