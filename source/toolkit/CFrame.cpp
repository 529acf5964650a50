#include "toolkit/CFrame.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CVSTGUITimer.h"

namespace {

constexpr long kAnyButton = kLButton | kMButton | kRButton;

cairo_surface_t* MakeBackBuffer(const CRect& size, double scale) {
    // Never a zero-sized surface: a window made from a missing bitmap is empty, not broken.
    const int w = std::max(1, static_cast<int>(std::lround(static_cast<double>(size.width()) * scale)));
    const int h = std::max(1, static_cast<int>(std::lround(static_cast<double>(size.height()) * scale)));
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
}

// Device pixels to frame pixels; a point off any sane screen stays far outside every view.
CCoord ToFrame(double device, double scale) {
    const double v = std::floor(device / scale);
    return static_cast<CCoord>(std::clamp(v, -1.0e9, 1.0e9));
}

bool Hits(const CView* view, const CPoint& where) {
    CRect area;
    return view->isVisible() && view->getMouseEnabled() && view->getMouseableArea(area).pointInside(where);
}

}  // namespace

CFrame::CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor)
    : CView(CRect(0, 0, std::max<CCoord>(0, size.width()), std::max<CCoord>(0, size.height()))),
      systemWindow(systemWindow),
      pEditor(editor) {
    pParentFrame = this;
    backBuffer = MakeBackBuffer(this->size, scaleFactor);
    invalidArea = this->size;
    // Last: the platform may look at the back buffer and the size.
    platformFrame = CreatePlatformFrame(this, systemWindow);
}

CFrame::~CFrame() {
    // A field still being edited keeps what was typed.
    setFocusView(nullptr);
    pMouseView = nullptr;
    removeAll(true);
    // Pop-ups of the views are gone with them; now the window itself.
    platformFrame.reset();
    if (backBuffer != nullptr) cairo_surface_destroy(backBuffer);
}

bool CFrame::addView(CView* view) {
    if (view == nullptr || view == this || isChild(view)) return false;
    views.push_back(view);
    view->attached(this);
    invalidRect(view->getViewSize());
    return true;
}

bool CFrame::removeView(CView* view, bool withForget) {
    if (!isChild(view)) return false;
    if (pFocusView == view) setFocusView(nullptr);
    auto it = std::find(views.begin(), views.end(), view);
    if (it == views.end()) return false;  // the focus change removed it already
    views.erase(it);
    if (pMouseView == view) pMouseView = nullptr;
    invalidRect(view->getViewSize());
    view->removed(this);
    if (withForget) view->forget();
    return true;
}

bool CFrame::removeAll(bool withForget) {
    if (pFocusView != nullptr) setFocusView(nullptr);
    pMouseView = nullptr;
    // Detach the list first: a dying view may still call back into the frame.
    std::vector<CView*> old;
    old.swap(views);
    for (CView* view : old) {
        view->removed(this);
        if (withForget) view->forget();
    }
    invalid();
    return true;
}

bool CFrame::isChild(CView* view) const {
    return view != nullptr && std::find(views.begin(), views.end(), view) != views.end();
}

CView* CFrame::getView(long index) const {
    return index >= 0 && index < getNbViews() ? views[static_cast<size_t>(index)] : nullptr;
}

CView* CFrame::getViewAt(const CPoint& where) const {
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        CRect area;
        if ((*it)->isVisible() && (*it)->getMouseableArea(area).pointInside(where)) return *it;
    }
    return nullptr;
}

void CFrame::idle() {
    if (platformFrame) platformFrame->processEvents();
    CVSTGUITimer::FireDueTimers();
    updateNow();
}

void CFrame::invalidRect(const CRect& rect) {
    CRect r = rect;
    r.bound(size);
    invalidArea.unite(r);
}

void CFrame::drawRect(CDrawContext* /*context*/, const CRect& updateRect) {
    // Everything is drawn into the back buffer; the platform copies it out.
    invalidRect(updateRect);
    drawInvalid();
}

void CFrame::draw(CDrawContext* context) { drawRect(context, size); }

void CFrame::updateNow() {
    if (dirty) {
        dirty = false;
        invalid();
    }
    for (CView* view : views) {
        if (view->isVisible() && view->isDirty()) invalidRect(view->getViewSize());
    }
    drawInvalid();
}

void CFrame::drawInvalid() {
    CRect area = invalidArea;
    area.bound(size);
    invalidArea = CRect();
    if (area.isEmpty() || backBuffer == nullptr) return;

    // Views may leave holes (transparent ones), so the area starts opaque black.
    cairo_t* cr = cairo_create(backBuffer);
    cairo_scale(cr, scaleFactor, scaleFactor);
    cairo_rectangle(cr, static_cast<double>(area.left), static_cast<double>(area.top),
                    static_cast<double>(area.width()), static_cast<double>(area.height()));
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    cairo_destroy(cr);

    auto* context = new CDrawContext(backBuffer, size, scaleFactor);
    context->setClipRect(area);
    if (pBackground != nullptr) pBackground->draw(context, size);
    // By index: a careless draw that changes the list must not leave a dangling iterator.
    for (size_t i = 0; i < views.size(); ++i) {
        CView* view = views[i];
        if (!view->isVisible()) continue;
        CRect clip = view->getViewSize();
        clip.bound(area);
        if (clip.isEmpty()) continue;
        context->setOffset(CPoint(0, 0));
        context->setClipRect(clip);
        view->drawRect(context, clip);
        // Drawn completely, so whatever made it dirty is on screen now.
        if (clip == view->getViewSize()) view->setDirty(false);
    }
    context->forget();
    cairo_surface_flush(backBuffer);
    if (platformFrame) platformFrame->present(area);
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const long& buttons) {
    if (pMouseView != nullptr) return kMouseEventHandled;  // one gesture at a time

    CView* top = nullptr;
    for (auto it = views.rbegin(); it != views.rend() && top == nullptr; ++it) {
        if (Hits(*it, where)) top = *it;
    }
    if (pFocusView != nullptr && pFocusView != top) setFocusView(nullptr);

    // A view that does not want the click lets it through to the views below.
    const std::vector<CView*> order(views.rbegin(), views.rend());
    for (CView* view : order) {
        if (!isChild(view) || !Hits(view, where)) continue;
        view->remember();
        CPoint p = where;
        const CMouseEventResult result = view->onMouseDown(p, buttons);
        const bool stillHere = isChild(view);
        view->forget();
        if (result == kMouseEventHandled) {
            if (stillHere) pMouseView = view;
            return result;
        }
        if (result == kMouseDownEventHandledButDontNeedMovedOrUpEvents) return result;
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const long& buttons) {
    CView* view = pMouseView;
    if (view == nullptr) return kMouseEventNotHandled;
    pMouseView = nullptr;
    view->remember();
    CPoint p = where;
    const CMouseEventResult result = view->onMouseUp(p, buttons);
    view->forget();
    return result;
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const long& buttons) {
    CView* view = pMouseView;
    if (view == nullptr) {
        // A drag that began outside every view reaches nobody.
        if ((buttons & kAnyButton) != 0) return kMouseEventNotHandled;
        for (auto it = views.rbegin(); it != views.rend() && view == nullptr; ++it) {
            if (Hits(*it, where)) view = *it;
        }
        if (view == nullptr) return kMouseEventNotHandled;
    }
    view->remember();
    CPoint p = where;
    const CMouseEventResult result = view->onMouseMoved(p, buttons);
    view->forget();
    return result;
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const long& buttons) {
    if (!std::isfinite(distance)) return false;
    const std::vector<CView*> order(views.rbegin(), views.rend());
    for (CView* view : order) {
        if (!isChild(view) || !Hits(view, where)) continue;
        view->remember();
        const bool used = view->onWheel(where, distance, buttons);
        view->forget();
        if (used) return true;
    }
    return false;
}

long CFrame::onKeyDown(VstKeyCode& keyCode) {
    CView* view = pFocusView;
    if (view == nullptr) return -1;
    view->remember();
    const long result = view->onKeyDown(keyCode);
    view->forget();
    return result;
}

long CFrame::onKeyUp(VstKeyCode& keyCode) {
    CView* view = pFocusView;
    if (view == nullptr) return -1;
    view->remember();
    const long result = view->onKeyUp(keyCode);
    view->forget();
    return result;
}

void CFrame::setFocusView(CView* view) {
    if (view == pFocusView) return;
    if (view != nullptr && !isChild(view)) return;
    CView* old = pFocusView;
    // Set first: the old view's looseFocus may report, and the listener may ask for the focus.
    pFocusView = view;
    if (old != nullptr) old->looseFocus();
    if (view != nullptr && pFocusView == view) view->takeFocus();
}

void CFrame::onFocusLost() { setFocusView(nullptr); }

void CFrame::beginEdit(long index) {
    if (pEditor != nullptr) pEditor->beginEdit(index);
}

void CFrame::endEdit(long index) {
    if (pEditor != nullptr) pEditor->endEdit(index);
}

CPoint CFrame::getScreenPosition() const {
    return platformFrame ? platformFrame->getScreenPosition() : CPoint(0, 0);
}

void CFrame::setScaleFactor(double factor) {
    // Anything but a plausible screen density is refused; the old buffer stays.
    if (!(factor >= 0.5 && factor <= 8.0) || factor == scaleFactor) return;
    cairo_surface_t* buffer = MakeBackBuffer(size, factor);
    if (cairo_surface_status(buffer) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(buffer);
        return;
    }
    if (backBuffer != nullptr) cairo_surface_destroy(backBuffer);
    backBuffer = buffer;
    scaleFactor = factor;
    invalid();
}

void CFrame::platformOnMouseDown(double x, double y, long buttons) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    CPoint p(ToFrame(x, scaleFactor), ToFrame(y, scaleFactor));
    onMouseDown(p, buttons);
}

void CFrame::platformOnMouseMoved(double x, double y, long buttons) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    CPoint p(ToFrame(x, scaleFactor), ToFrame(y, scaleFactor));
    onMouseMoved(p, buttons);
}

void CFrame::platformOnMouseUp(double x, double y, long buttons) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    CPoint p(ToFrame(x, scaleFactor), ToFrame(y, scaleFactor));
    onMouseUp(p, buttons);
}

void CFrame::platformOnWheel(double x, double y, float distance, long buttons) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    onWheel(CPoint(ToFrame(x, scaleFactor), ToFrame(y, scaleFactor)), distance, buttons);
}

bool CFrame::platformOnKeyDown(VstKeyCode& key) { return onKeyDown(key) != -1; }

bool CFrame::platformOnKeyUp(VstKeyCode& key) { return onKeyUp(key) != -1; }

bool CFrame::isTypeOf(const char* type) const {
    return (type != nullptr && std::strcmp(type, "CFrame") == 0) || CView::isTypeOf(type);
}
