#include "toolkit/x11/X11PlatformFrame.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cmath>

#include "toolkit/CFrame.h"
#include "toolkit/x11/X11Display.h"
#include "toolkit/x11/X11Input.h"
#include "toolkit/x11/X11Popup.h"

namespace {

constexpr long kFrameEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                              KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask |
                              EnterWindowMask | LeaveWindowMask;
constexpr long kXEmbedMapped = 1;

int DevicePixels(CCoord units, double scale) { return static_cast<int>(std::lround(static_cast<double>(units) * scale)); }

}  // namespace

std::unique_ptr<IPlatformFrame> CreateX11PlatformFrame(CFrame* frame, void* parentWindow) {
    if (frame == nullptr || parentWindow == nullptr) return nullptr;
    auto platform = std::make_unique<X11PlatformFrame>(frame, reinterpret_cast<unsigned long>(parentWindow));
    if (!platform->valid()) return nullptr;
    return platform;
}

X11PlatformFrame::X11PlatformFrame(CFrame* owner, unsigned long parentWindow)
    : frame(owner), display(X11Display::Acquire()), clicks(std::make_unique<DoubleClickDetector>()) {
    if (display == nullptr) return;
    scale = frame->getScaleFactor() > 0.0 ? frame->getScaleFactor() : 1.0;
    const CRect& size = frame->getViewSize();
    width = std::max(1, DevicePixels(size.width(), scale));
    height = std::max(1, DevicePixels(size.height(), scale));
    window = display->CreateChildWindow(parentWindow, width, height, kFrameEvents);
    if (window == 0) {
        // No such parent (a stale or foreign id): no window, and the caller falls back.
        display->Release();
        display = nullptr;
        return;
    }
    Display* dpy = display->display();
    const long info[2] = {0, kXEmbedMapped};
    XChangeProperty(dpy, window, display->xembedInfoAtom(), display->xembedInfoAtom(), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(info), 2);
    // Already a child of parent; some hosts still only notice a reparenting.
    display->Reparent(window, parentWindow);
    display->Register(window, this);
    windowAlive = display->Map(window);
    XFlush(dpy);
}

X11PlatformFrame::~X11PlatformFrame() {
    if (display == nullptr) return;
    for (X11Popup* popup : popups) popup->detach();
    popups.clear();
    updateGrab();
    display->Unregister(window);
    display->DestroyWindowSafely(window);
    display->Release();
}

void X11PlatformFrame::present(const CRect& rect) {
    const int left = static_cast<int>(std::floor(static_cast<double>(rect.left) * scale));
    const int top = static_cast<int>(std::floor(static_cast<double>(rect.top) * scale));
    const int right = static_cast<int>(std::ceil(static_cast<double>(rect.right) * scale));
    const int bottom = static_cast<int>(std::ceil(static_cast<double>(rect.bottom) * scale));
    presentDevice(left, top, right - left, bottom - top);
}

void X11PlatformFrame::presentDevice(int x, int y, int w, int h) {
    if (!windowAlive) return;
    x = std::max(x, 0);
    y = std::max(y, 0);
    w = std::min(w, width - x);
    h = std::min(h, height - y);
    if (w <= 0 || h <= 0) return;
    display->PutImage(window, frame->getBackBuffer(), x, y, w, h);
}

void X11PlatformFrame::processEvents() {
    if (display != nullptr) display->DispatchPending();
}

CPoint X11PlatformFrame::getScreenPosition() {
    int x = 0;
    int y = 0;
    if (!windowAlive || !display->TranslateToRoot(window, 0, 0, &x, &y)) return CPoint(0, 0);
    return CPoint(static_cast<CCoord>(std::lround(x / scale)), static_cast<CCoord>(std::lround(y / scale)));
}

void X11PlatformFrame::takeKeyboardFocus() {
    if (windowAlive) display->SetInputFocus(window);
}

std::unique_ptr<IPlatformPopup> X11PlatformFrame::openPopup(const CRect& screenRect, IPlatformPopupClient* client) {
    if (client == nullptr || screenRect.isEmpty()) return nullptr;
    auto popup = std::make_unique<X11Popup>(this, screenRect, scale, client);
    if (!popup->valid()) return nullptr;
    return popup;
}

void X11PlatformFrame::popupOpened(X11Popup* popup) {
    popups.push_back(popup);
    updateGrab();
}

void X11PlatformFrame::popupClosed(X11Popup* popup) {
    popups.erase(std::remove(popups.begin(), popups.end(), popup), popups.end());
    updateGrab();
}

void X11PlatformFrame::updateGrab() {
    Display* dpy = display->display();
    const unsigned long wanted = popups.empty() ? 0 : popups.front()->getWindow();
    if (wanted == grabWindow) return;
    if (wanted == 0) {
        XUngrabPointer(dpy, CurrentTime);
        XUngrabKeyboard(dpy, CurrentTime);
    } else {
        // owner_events: presses on our own windows arrive as usual; any other press is reported to
        // the grab window, outside its area, and closes the pop-ups.
        XGrabPointer(dpy, wanted, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, None, None, CurrentTime);
        XGrabKeyboard(dpy, wanted, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    }
    grabWindow = wanted;
    XFlush(dpy);
}

void X11PlatformFrame::dismissPopups() {
    // The first pop-up is the menu's own list; dismissing it closes its sub-menus as well.
    if (!popups.empty()) popups.front()->getClient()->popupDismissed();
}

void X11PlatformFrame::popupKey(const VstKeyCode& key) {
    if (!popups.empty()) popups.back()->getClient()->popupKeyDown(key);
}

void X11PlatformFrame::handleEvent(XEvent& event) {
    switch (event.type) {
        case Expose:
            presentDevice(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
            break;
        case ButtonPress: {
            const XButtonEvent& press = event.xbutton;
            if (!popups.empty()) {
                dismissPopups();
                break;
            }
            if (press.button == Button4 || press.button == Button5) {
                frame->platformOnWheel(press.x, press.y, press.button == Button4 ? 1.f : -1.f,
                                       X11Input::Modifiers(press.state));
                break;
            }
            const long bit = X11Input::ButtonBit(press.button);
            if (bit == 0) break;
            long buttons = bit | X11Input::Modifiers(press.state);
            if (clicks->press(press.time, press.x, press.y, press.button)) buttons |= kDoubleClick;
            frame->platformOnMouseDown(press.x, press.y, buttons);
            break;
        }
        case ButtonRelease: {
            const long bit = X11Input::ButtonBit(event.xbutton.button);
            if (bit != 0) {
                frame->platformOnMouseUp(event.xbutton.x, event.xbutton.y, bit | X11Input::Modifiers(event.xbutton.state));
            }
            break;
        }
        case MotionNotify: {
            // Only the newest position of a burst matters; older ones would only slow a drag down.
            Display* dpy = display->display();
            XEvent next;
            while (XEventsQueued(dpy, QueuedAlready) > 0 && (XPeekEvent(dpy, &next), true) &&
                   next.type == MotionNotify && next.xmotion.window == window) {
                XNextEvent(dpy, &event);
            }
            frame->platformOnMouseMoved(event.xmotion.x, event.xmotion.y, X11Input::HeldButtons(event.xmotion.state));
            break;
        }
        case KeyPress:
        case KeyRelease: {
            VstKeyCode key;
            if (!X11Input::TranslateKey(event.xkey, key)) break;
            if (!popups.empty()) {
                if (event.type == KeyPress) popupKey(key);
            } else if (event.type == KeyPress) {
                frame->platformOnKeyDown(key);
            } else {
                frame->platformOnKeyUp(key);
            }
            break;
        }
        case FocusOut:
            // Focus moving inside our window, or a grab of our own pop-ups, is no loss.
            if ((event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed) &&
                event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer) {
                frame->onFocusLost();
            }
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == window) windowAlive = false;
            break;
        default:
            break;
    }
}
