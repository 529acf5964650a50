#include "toolkit/x11/X11Display.h"

#include <X11/Xlib-xcb.h>
#include <xcb/xcb.h>

#include <time.h>

#include <cstdlib>

namespace {

X11Display* gShared = nullptr;
constexpr int kOpenAttempts = 3;
constexpr long kOpenRetryNs = 10 * 1000000L;

// The error of a checked request, freed; true when the request went through.
bool Succeeded(xcb_connection_t* xcb, xcb_void_cookie_t cookie) {
    xcb_generic_error_t* error = xcb_request_check(xcb, cookie);
    if (error == nullptr) return true;
    std::free(error);
    return false;
}

}  // namespace

X11Display* X11Display::Acquire() {
    if (gShared == nullptr) {
        Display* dpy = XOpenDisplay(nullptr);
        // A server under load may turn a connection away for a moment; without one the editor
        // would stay invisible, so try again briefly.
        for (int attempt = 1; dpy == nullptr && attempt < kOpenAttempts; ++attempt) {
            timespec pause{0, kOpenRetryNs};
            nanosleep(&pause, nullptr);
            dpy = XOpenDisplay(nullptr);
        }
        if (dpy == nullptr) return nullptr;
        gShared = new X11Display(dpy);
    }
    ++gShared->references;
    return gShared;
}

void X11Display::Release() {
    if (--references > 0) return;
    if (gShared == this) gShared = nullptr;
    delete this;
}

int X11Display::References() { return gShared != nullptr ? gShared->references : 0; }

X11Display::X11Display(Display* display)
    : dpy(display), xcb(XGetXCBConnection(display)), xembedInfo(XInternAtom(display, "_XEMBED_INFO", False)) {}

X11Display::~X11Display() {
    upload.reset();
    XCloseDisplay(dpy);
}

void X11Display::Register(Window window, X11EventTarget* target) { targets[window] = target; }

void X11Display::Unregister(Window window) { targets.erase(window); }

void X11Display::DispatchPending() {
    // A handler may close the last frame; our own reference keeps the connection until we are done.
    ++references;
    while (XPending(dpy) > 0) {
        XEvent event;
        XNextEvent(dpy, &event);
        const auto found = targets.find(event.xany.window);
        if (found != targets.end()) found->second->handleEvent(event);
    }
    Release();
}

void X11Display::DestroyWindowSafely(Window window) {
    XFlush(dpy);
    Succeeded(xcb, xcb_destroy_window_checked(xcb, static_cast<xcb_window_t>(window)));
}

Window X11Display::CreateChildWindow(Window parent, int width, int height, long eventMask) {
    xcb_screen_t* screenInfo = nullptr;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(xcb)); it.rem > 0; xcb_screen_next(&it)) {
        if (it.data->root == static_cast<xcb_window_t>(root())) screenInfo = it.data;
    }
    if (screenInfo == nullptr) return 0;
    const xcb_window_t window = xcb_generate_id(xcb);
    // The screen's own visual and colormap, so a parent of another depth is no obstacle.
    const uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_BIT_GRAVITY | XCB_CW_EVENT_MASK |
                          XCB_CW_COLORMAP;
    const uint32_t values[] = {screenInfo->black_pixel, 0, XCB_GRAVITY_NORTH_WEST, static_cast<uint32_t>(eventMask),
                               screenInfo->default_colormap};
    const bool created = Succeeded(
        xcb, xcb_create_window_checked(xcb, screenInfo->root_depth, window, static_cast<xcb_window_t>(parent), 0, 0,
                                       static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0,
                                       XCB_WINDOW_CLASS_INPUT_OUTPUT, screenInfo->root_visual, mask, values));
    return created ? static_cast<Window>(window) : 0;
}

bool X11Display::Reparent(Window window, Window parent) {
    return Succeeded(xcb, xcb_reparent_window_checked(xcb, static_cast<xcb_window_t>(window),
                                                      static_cast<xcb_window_t>(parent), 0, 0));
}

bool X11Display::Map(Window window) {
    return Succeeded(xcb, xcb_map_window_checked(xcb, static_cast<xcb_window_t>(window)));
}

bool X11Display::SetInputFocus(Window window) {
    XFlush(dpy);
    // Refused (not an error for us) while the window is not viewable.
    return Succeeded(xcb, xcb_set_input_focus_checked(xcb, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(window),
                                                      XCB_CURRENT_TIME));
}

bool X11Display::TranslateToRoot(Window window, int x, int y, int* rootX, int* rootY) {
    XFlush(dpy);
    xcb_generic_error_t* error = nullptr;
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        xcb,
        xcb_translate_coordinates(xcb, static_cast<xcb_window_t>(window), static_cast<xcb_window_t>(root()),
                                  static_cast<int16_t>(x), static_cast<int16_t>(y)),
        &error);
    std::free(error);
    if (reply == nullptr) return false;
    *rootX = reply->dst_x;
    *rootY = reply->dst_y;
    std::free(reply);
    return true;
}

void X11Display::PutImage(Window window, cairo_surface_t* image, int x, int y, int w, int h) {
    if (!upload) {
        XFlush(dpy);
        upload = std::make_unique<X11ImageUpload>(xcb, screen());
    }
    // Xlib's requests so far go out first, so the picture lands after them.
    XFlush(dpy);
    upload->Put(static_cast<uint32_t>(window), image, x, y, w, h);
}
