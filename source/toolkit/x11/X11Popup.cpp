#include "toolkit/x11/X11Popup.h"

#include <X11/Xatom.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "toolkit/CDrawContext.h"
#include "toolkit/x11/X11Display.h"
#include "toolkit/x11/X11Input.h"
#include "toolkit/x11/X11PlatformFrame.h"

X11Popup::X11Popup(X11PlatformFrame* frameOwner, const CRect& screenRect, double scaleFactor,
                   IPlatformPopupClient* popupClient)
    : owner(frameOwner),
      client(popupClient),
      display(X11Display::Acquire()),
      size(0, 0, screenRect.width(), screenRect.height()),
      scale(scaleFactor) {
    if (display == nullptr) return;
    Display* dpy = display->display();
    width = std::max(1, static_cast<int>(std::lround(static_cast<double>(size.width()) * scale)));
    height = std::max(1, static_cast<int>(std::lround(static_cast<double>(size.height()) * scale)));
    int x = static_cast<int>(std::lround(static_cast<double>(screenRect.left) * scale));
    int y = static_cast<int>(std::lround(static_cast<double>(screenRect.top) * scale));
    // A list that would run past a screen edge moves back onto the screen, or its far rows could
    // not be reached with the pointer; one taller than the screen starts at its top.
    const int screenWidth = DisplayWidth(dpy, display->screen());
    const int screenHeight = DisplayHeight(dpy, display->screen());
    x = std::max(0, std::min(x, screenWidth - width));
    y = std::max(0, std::min(y, screenHeight - height));

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixel = BlackPixel(dpy, display->screen());
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            StructureNotifyMask;
    window = XCreateWindow(dpy, display->root(), x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                           CopyFromParent, InputOutput, CopyFromParent,
                           CWOverrideRedirect | CWSaveUnder | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    // Compositing managers give menus their own treatment when they know what the window is.
    const Atom type = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False);
    const Atom menu = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
    XChangeProperty(dpy, window, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&menu), 1);

    backBuffer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    display->Register(window, this);
    XMapRaised(dpy, window);
    redraw();
    if (owner != nullptr) owner->popupOpened(this);
}

X11Popup::~X11Popup() {
    if (display == nullptr) return;
    if (owner != nullptr) owner->popupClosed(this);
    display->Unregister(window);
    cairo_surface_destroy(backBuffer);
    // Our own top-level window on the root: nobody else destroys it.
    XDestroyWindow(display->display(), window);
    XFlush(display->display());
    display->Release();
}

void X11Popup::invalid() { redraw(); }

void X11Popup::redraw() {
    if (drawing || client == nullptr) return;
    drawing = true;
    cairo_t* cr = cairo_create(backBuffer);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_destroy(cr);
    auto* context = new CDrawContext(backBuffer, size, scale);
    client->drawPopup(context);
    context->forget();
    cairo_surface_flush(backBuffer);
    drawing = false;
    copyToWindow(0, 0, width, height);
}

void X11Popup::copyToWindow(int x, int y, int w, int h) { display->PutImage(window, backBuffer, x, y, w, h); }

void X11Popup::handleEvent(XEvent& event) {
    // The client may close this pop-up from any of its calls: nothing of ours is touched after one.
    const auto where = [this](int x, int y) {
        return CPoint(static_cast<CCoord>(std::floor(x / scale)), static_cast<CCoord>(std::floor(y / scale)));
    };
    switch (event.type) {
        case Expose:
            copyToWindow(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
            break;
        case ButtonPress: {
            const XButtonEvent& press = event.xbutton;
            const bool inside = press.x >= 0 && press.y >= 0 && press.x < width && press.y < height;
            if (!inside) {
                // Grabbed: a press on another client's window, reported to us outside our area.
                if (owner != nullptr) {
                    owner->dismissPopups();
                } else {
                    client->popupDismissed();
                }
            } else if (const long bit = X11Input::ButtonBit(press.button); bit != 0) {
                client->popupMouseDown(where(press.x, press.y), bit | X11Input::Modifiers(press.state));
            }
            break;
        }
        case ButtonRelease:
            if (const long bit = X11Input::ButtonBit(event.xbutton.button); bit != 0) {
                client->popupMouseUp(where(event.xbutton.x, event.xbutton.y),
                                     bit | X11Input::Modifiers(event.xbutton.state));
            }
            break;
        case MotionNotify:
            client->popupMouseMoved(where(event.xmotion.x, event.xmotion.y), X11Input::HeldButtons(event.xmotion.state));
            break;
        case KeyPress: {
            VstKeyCode key;
            if (!X11Input::TranslateKey(event.xkey, key)) break;
            if (owner != nullptr) {
                owner->popupKey(key);
            } else {
                client->popupKeyDown(key);
            }
            break;
        }
        default:
            break;
    }
}
