#include "toolkit/CControl.h"

#include <cmath>
#include <cstring>

#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"

CControl::CControl(const CRect& size, CControlListener* listener, long tag, CBitmap* background)
    : CView(size), listener(listener), tag(tag) {
    setBackground(background);
}

CControl::~CControl() = default;

void CControl::bounceValue() {
    if (std::isnan(value)) {
        value = vmin;
        return;
    }
    if (value > vmax) value = vmax;
    if (value < vmin) value = vmin;
}

void CControl::beginEdit() {
    if (listener != nullptr) listener->controlBeginEdit(this);
    if (CFrame* frame = getFrame()) frame->beginEdit(tag);
}

void CControl::endEdit() {
    if (CFrame* frame = getFrame()) frame->endEdit(tag);
    if (listener != nullptr) listener->controlEndEdit(this);
}

bool CControl::isDirty() const {
    // NaN never equals itself; a NaN that was drawn is not a change.
    const bool same = value == oldValue || (std::isnan(value) && std::isnan(oldValue));
    return dirty || !same;
}

void CControl::setDirty(bool val) {
    CView::setDirty(val);
    if (!val) oldValue = value;
}

bool CControl::isTypeOf(const char* type) const {
    return (type != nullptr && std::strcmp(type, "CControl") == 0) || CView::isTypeOf(type);
}
