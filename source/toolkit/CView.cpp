#include "toolkit/CView.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

CView::CView(const CRect& size) : size(size), mouseableArea(size) {}

CView::~CView() {
    if (pBackground != nullptr) pBackground->forget();
}

void CView::draw(CDrawContext* context) {
    if (pBackground != nullptr && !bTransparencyEnabled && context != nullptr) pBackground->draw(context, size);
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect& /*updateRect*/) { draw(context); }

CMouseEventResult CView::onMouseDown(CPoint& /*where*/, const long& /*buttons*/) { return kMouseEventNotImplemented; }

CMouseEventResult CView::onMouseUp(CPoint& /*where*/, const long& /*buttons*/) { return kMouseEventNotImplemented; }

CMouseEventResult CView::onMouseMoved(CPoint& /*where*/, const long& /*buttons*/) { return kMouseEventNotImplemented; }

bool CView::onWheel(const CPoint& /*where*/, const float& /*distance*/, const long& /*buttons*/) { return false; }

long CView::onKeyDown(VstKeyCode& /*keyCode*/) { return -1; }

long CView::onKeyUp(VstKeyCode& /*keyCode*/) { return -1; }

void CView::invalid() {
    if (pParentFrame != nullptr) pParentFrame->invalidRect(size);
}

void CView::setViewSize(const CRect& rect, bool invalidate) {
    if (invalidate) invalid();  // the old place must be repainted too
    // A mouseable area that was the whole view keeps being the whole view.
    if (mouseableArea == size) mouseableArea = rect;
    size = rect;
    if (invalidate) invalid();
    setDirty();
}

void CView::setVisible(bool state) {
    if (visible == state) return;
    visible = state;
    // Hidden or shown, what lies under the view changes on screen.
    if (pParentFrame != nullptr) pParentFrame->invalidRect(size);
}

void CView::setBackground(CBitmap* background) {
    if (background == pBackground) return;
    if (background != nullptr) background->remember();
    if (pBackground != nullptr) pBackground->forget();
    pBackground = background;
    setDirty();
}

bool CView::attached(CFrame* frame) {
    pParentFrame = frame;
    return true;
}

bool CView::removed(CFrame* /*frame*/) {
    pParentFrame = nullptr;
    return true;
}

bool CView::isTypeOf(const char* type) const { return type != nullptr && std::strcmp(type, "CView") == 0; }
