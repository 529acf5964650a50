#include "toolkit/HeadlessPlatformFrame.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

// A pop-up without a window: a picture the client draws on demand.
class HeadlessPopup : public IPlatformPopup {
public:
    HeadlessPopup(HeadlessPlatformFrame* owner, const CRect& screenRect, IPlatformPopupClient* client, double scale)
        : owner(owner), screenRect(screenRect), client(client), scale(scale) {}
    ~HeadlessPopup() override {
        if (owner != nullptr) {
            auto& list = owner->popups;
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
        }
        if (surface != nullptr) cairo_surface_destroy(surface);
    }
    void invalid() override { ++invalidations; }

    // Draws the client's picture afresh; null when no surface can be made.
    // The picture has the frame's density: screenRect is in view pixels, like the frame's.
    cairo_surface_t* render() {
        const CRect viewSize(0, 0, screenRect.width(), screenRect.height());
        if (surface == nullptr) {
            const auto device = [this](CCoord v) { return std::max(1, static_cast<int>(std::lround(static_cast<double>(v) * scale))); };
            surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, device(viewSize.width()), device(viewSize.height()));
        }
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return nullptr;
        auto* context = new CDrawContext(surface, viewSize, scale);
        client->drawPopup(context);
        context->forget();
        cairo_surface_flush(surface);
        return surface;
    }

    HeadlessPlatformFrame* owner;
    CRect screenRect;
    IPlatformPopupClient* client;
    double scale;
    cairo_surface_t* surface = nullptr;
    long invalidations = 0;
};

namespace {

uint32_t ReadPixel(cairo_surface_t* surface, double x, double y) {
    if (surface == nullptr || !std::isfinite(x) || !std::isfinite(y)) return 0;
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<long>(y) * stride);
    return row[static_cast<long>(x)];
}

}  // namespace

std::unique_ptr<IPlatformFrame> HeadlessPlatformFrame::Create(CFrame* frame, void* /*systemWindow*/) {
    return std::make_unique<HeadlessPlatformFrame>(frame);
}

HeadlessPlatformFrame* HeadlessPlatformFrame::Of(CFrame* frame) {
    return frame != nullptr ? dynamic_cast<HeadlessPlatformFrame*>(frame->getPlatformFrame()) : nullptr;
}

HeadlessPlatformFrame::HeadlessPlatformFrame(CFrame* frame) : frame(frame) {}

HeadlessPlatformFrame::~HeadlessPlatformFrame() {
    // Pop-ups outliving the frame's window forget it rather than reach back.
    for (HeadlessPopup* popup : popups) popup->owner = nullptr;
}

void HeadlessPlatformFrame::present(const CRect& rect) {
    ++presents;
    presented.unite(rect);
}

std::unique_ptr<IPlatformPopup> HeadlessPlatformFrame::openPopup(const CRect& screenRect, IPlatformPopupClient* client) {
    if (client == nullptr || screenRect.isEmpty()) return nullptr;
    auto popup = std::make_unique<HeadlessPopup>(this, screenRect, client, frame->getScaleFactor());
    popups.push_back(popup.get());
    return popup;
}

void HeadlessPlatformFrame::mouseDown(const CPoint& where, long buttons) {
    // With a pop-up showing, a click anywhere else closes it and goes no further, as a grab does.
    if (!popups.empty()) {
        dismissPopups();
        return;
    }
    const double s = frame->getScaleFactor();
    frame->platformOnMouseDown(static_cast<double>(where.h) * s, static_cast<double>(where.v) * s, buttons);
}

void HeadlessPlatformFrame::mouseMoved(const CPoint& where, long buttons) {
    const double s = frame->getScaleFactor();
    frame->platformOnMouseMoved(static_cast<double>(where.h) * s, static_cast<double>(where.v) * s, buttons);
}

void HeadlessPlatformFrame::mouseUp(const CPoint& where, long buttons) {
    const double s = frame->getScaleFactor();
    frame->platformOnMouseUp(static_cast<double>(where.h) * s, static_cast<double>(where.v) * s, buttons);
}

void HeadlessPlatformFrame::click(const CPoint& where, long buttons) {
    mouseDown(where, buttons);
    mouseUp(where, 0);
}

bool HeadlessPlatformFrame::keyDown(VstKeyCode keyCode) { return frame->platformOnKeyDown(keyCode); }

void HeadlessPlatformFrame::typeText(const char* text) {
    if (text == nullptr) return;
    for (const char* c = text; *c != '\0'; ++c) {
        VstKeyCode key{static_cast<unsigned char>(*c), 0, 0};
        keyDown(key);
    }
}

void HeadlessPlatformFrame::focusLost() { frame->onFocusLost(); }

uint32_t HeadlessPlatformFrame::pixel(CCoord x, CCoord y) {
    frame->updateNow();
    const double s = frame->getScaleFactor();
    return ReadPixel(frame->getBackBuffer(), static_cast<double>(x) * s, static_cast<double>(y) * s);
}

bool HeadlessPlatformFrame::writePng(const char* path) {
    if (path == nullptr) return false;
    frame->updateNow();
    cairo_surface_t* buffer = frame->getBackBuffer();
    return buffer != nullptr && cairo_surface_write_to_png(buffer, path) == CAIRO_STATUS_SUCCESS;
}

CRect HeadlessPlatformFrame::popupScreenRect(long index) const {
    return index >= 0 && index < popupCount() ? popups[static_cast<size_t>(index)]->screenRect : CRect();
}

void HeadlessPlatformFrame::popupClick(long index, const CPoint& where) {
    if (index < 0 || index >= popupCount()) return;
    HeadlessPopup* popup = popups[static_cast<size_t>(index)];
    popup->client->popupMouseDown(where, kLButton);
    // The press may have closed it (or every pop-up): no release for a window that is gone.
    if (std::find(popups.begin(), popups.end(), popup) == popups.end()) return;
    popup->client->popupMouseUp(where, kLButton);
}

void HeadlessPlatformFrame::popupMouseMoved(long index, const CPoint& where, long buttons) {
    if (index < 0 || index >= popupCount()) return;
    popups[static_cast<size_t>(index)]->client->popupMouseMoved(where, buttons);
}

void HeadlessPlatformFrame::popupKey(long index, VstKeyCode key) {
    if (index < 0 || index >= popupCount()) return;
    popups[static_cast<size_t>(index)]->client->popupKeyDown(key);
}

void HeadlessPlatformFrame::dismissPopups() {
    if (popups.empty()) return;
    popups.back()->client->popupDismissed();
}

bool HeadlessPlatformFrame::writePopupPng(long index, const char* path) {
    if (path == nullptr || index < 0 || index >= popupCount()) return false;
    cairo_surface_t* surface = popups[static_cast<size_t>(index)]->render();
    return surface != nullptr && cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
}

uint32_t HeadlessPlatformFrame::popupPixel(long index, CCoord x, CCoord y) {
    if (index < 0 || index >= popupCount()) return 0;
    HeadlessPopup* popup = popups[static_cast<size_t>(index)];
    return ReadPixel(popup->render(), static_cast<double>(x) * popup->scale, static_cast<double>(y) * popup->scale);
}
