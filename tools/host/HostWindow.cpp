#include "HostWindow.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <time.h>

#include <algorithm>
#include <cstring>

#include "HostError.h"

namespace {

constexpr long kMapWaitMs = 3000;

unsigned int MaskShift(unsigned long mask) {
    unsigned int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// One colour channel of a pixel scaled to 8 bits, whatever the visual's channel width.
unsigned int Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const unsigned long value = (pixel & mask) >> MaskShift(mask);
    const unsigned long top = mask >> MaskShift(mask);
    return static_cast<unsigned int>(value * 255 / top);
}

}  // namespace

HostWindow::HostWindow(int windowWidth, int windowHeight, const std::string& title)
    : width(std::max(1, windowWidth)), height(std::max(1, windowHeight)) {
    dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) {
        const char* name = XDisplayName(nullptr);
        throw HostError(std::string("cannot open the X display '") + (name != nullptr ? name : "") +
                            "' (edit needs an X server; is DISPLAY set?)",
                        HostError::kUsage);
    }
    const int screen = DefaultScreen(dpy);
    window = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 0, 0, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, BlackPixel(dpy, screen), BlackPixel(dpy, screen));
    XStoreName(dpy, window, title.c_str());
    XClassHint classHint{const_cast<char*>("murmurhall-host"), const_cast<char*>("murmurhall-host")};
    XSetClassHint(dpy, window, &classHint);
    deleteAtom = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy, window, &deleteAtom, 1);
    Resize(width, height);
    XSelectInput(dpy, window, StructureNotifyMask);
    XMapWindow(dpy, window);

    // Like hosts that wait for the server to confirm the window before handing it to a plug-in.
    for (long waited = 0; waited < kMapWaitMs; waited += 5) {
        XEvent event;
        if (XCheckTypedWindowEvent(dpy, window, MapNotify, &event)) break;
        timespec pause{0, 5 * 1000000L};
        nanosleep(&pause, nullptr);
    }
    XSync(dpy, False);
}

HostWindow::~HostWindow() {
    XDestroyWindow(dpy, window);
    XCloseDisplay(dpy);
}

void HostWindow::Resize(int newWidth, int newHeight) {
    width = std::max(1, newWidth);
    height = std::max(1, newHeight);
    // The editor has one size; the window manager should not offer another.
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    XSetWMNormalHints(dpy, window, &hints);
    XResizeWindow(dpy, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(dpy);
}

bool HostWindow::CloseRequested() {
    while (XPending(dpy) > 0) {
        XEvent event;
        XNextEvent(dpy, &event);
        if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom) {
            closeRequested = true;
        } else if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
            closeRequested = true;
        }
    }
    return closeRequested;
}

std::string HostWindow::Screenshot(const std::string& path) {
    XSync(dpy, False);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(dpy, window, &attributes) == 0 || attributes.map_state != IsViewable) {
        return "the window is not showing";
    }
    // Only the part on the screen can be read; the rest of the picture stays black.
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    XTranslateCoordinates(dpy, window, attributes.root, 0, 0, &rootX, &rootY, &child);
    const int screenWidth = WidthOfScreen(attributes.screen);
    const int screenHeight = HeightOfScreen(attributes.screen);
    const int left = std::max(0, -rootX);
    const int top = std::max(0, -rootY);
    const int right = std::min(width, screenWidth - rootX);
    const int bottom = std::min(height, screenHeight - rootY);

    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(picture);
    unsigned char* pixels = cairo_image_surface_get_data(picture);
    const int stride = cairo_image_surface_get_stride(picture);
    std::memset(pixels, 0, static_cast<size_t>(stride) * static_cast<size_t>(height));
    if (right > left && bottom > top) {
        // Read from the screen, so pop-up menus over the window are in the picture as the user sees them.
        XImage* image = XGetImage(dpy, attributes.root, rootX + left, rootY + top, static_cast<unsigned>(right - left),
                                  static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
        if (image == nullptr) {
            cairo_surface_destroy(picture);
            return "the X server gave no image of the window";
        }
        for (int y = 0; y < bottom - top; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(pixels + static_cast<ptrdiff_t>(y + top) * stride);
            for (int x = 0; x < right - left; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                row[x + left] = (Channel(pixel, image->red_mask) << 16) | (Channel(pixel, image->green_mask) << 8) |
                                Channel(pixel, image->blue_mask);
            }
        }
        XDestroyImage(image);
    }
    cairo_surface_mark_dirty(picture);
    const cairo_status_t status = cairo_surface_write_to_png(picture, path.c_str());
    cairo_surface_destroy(picture);
    if (status != CAIRO_STATUS_SUCCESS) return "cannot write '" + path + "': " + cairo_status_to_string(status);
    return {};
}

Window HostWindow::DeepestAt(int x, int y, int* localX, int* localY) const {
    const Window root = DefaultRootWindow(dpy);
    int rootX = 0;
    int rootY = 0;
    Window top = 0;
    XTranslateCoordinates(dpy, window, root, x, y, &rootX, &rootY, &top);
    // What lies on top there: our window, or a pop-up the plug-in opened above it (override-redirect),
    // but never another program's window.
    Window target = window;
    XTranslateCoordinates(dpy, root, root, rootX, rootY, localX, localY, &top);
    if (top != 0) {
        XWindowAttributes attributes{};
        if (Contains(top) || Encloses(top) || (XGetWindowAttributes(dpy, top, &attributes) != 0 && attributes.override_redirect)) {
            target = top;
        }
    }
    for (;;) {
        Window child = 0;
        XTranslateCoordinates(dpy, root, target, rootX, rootY, localX, localY, &child);
        if (child == 0) return target;
        target = child;
    }
}

bool HostWindow::ParentOf(Window child, Window* parent, bool* parentIsRoot) const {
    Window rootWindow = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(dpy, child, &rootWindow, parent, &children, &count) == 0) return false;
    if (children != nullptr) XFree(children);
    *parentIsRoot = *parent == rootWindow;
    return true;
}

bool HostWindow::Contains(Window candidate) const {
    Window parent = 0;
    bool atRoot = false;
    for (Window current = candidate; current != 0; current = parent) {
        if (current == window) return true;
        if (!ParentOf(current, &parent, &atRoot) || atRoot) return false;
    }
    return false;
}

bool HostWindow::Encloses(Window candidate) const {
    Window parent = 0;
    bool atRoot = false;
    for (Window current = window; current != 0; current = parent) {
        if (current == candidate) return true;
        if (!ParentOf(current, &parent, &atRoot)) return false;
        if (atRoot) return parent == candidate;
    }
    return false;
}

unsigned long HostWindow::Now() const {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<unsigned long>(now.tv_sec * 1000 + now.tv_nsec / 1000000) & 0xffffffffUL;
}

namespace {

// Button and motion events share their first fields; both go straight to the window under the point.
template <typename PointerEvent>
void FillPointer(PointerEvent& e, Display* dpy, Window target, const int local[2], const int root[2],
                 unsigned long time, unsigned int state) {
    e.display = dpy;
    e.window = target;
    e.root = DefaultRootWindow(dpy);
    e.time = time;
    e.x = local[0];
    e.y = local[1];
    e.x_root = root[0];
    e.y_root = root[1];
    e.state = state;
    e.same_screen = True;
}

}  // namespace

Window HostWindow::PointerTarget(int x, int y, int local[2], int root[2]) {
    lastX = x;
    lastY = y;
    const Window target = DeepestAt(x, y, &local[0], &local[1]);
    Window child = 0;
    XTranslateCoordinates(dpy, window, DefaultRootWindow(dpy), x, y, &root[0], &root[1], &child);
    return target;
}

void HostWindow::SendButton(int x, int y, unsigned int button, bool press, unsigned int state) {
    int local[2] = {0, 0};
    int root[2] = {0, 0};
    const Window target = PointerTarget(x, y, local, root);
    XEvent event{};
    event.xbutton.type = press ? ButtonPress : ButtonRelease;
    FillPointer(event.xbutton, dpy, target, local, root, Now(), state);
    event.xbutton.button = button;
    // No event mask: the event goes to the client that made the window, the plug-in.
    XSendEvent(dpy, target, False, 0, &event);
    XFlush(dpy);
}

void HostWindow::SendMotion(int x, int y, unsigned int state) {
    int local[2] = {0, 0};
    int root[2] = {0, 0};
    const Window target = PointerTarget(x, y, local, root);
    XEvent event{};
    event.xmotion.type = MotionNotify;
    FillPointer(event.xmotion, dpy, target, local, root, Now(), state);
    event.xmotion.is_hint = NotifyNormal;
    XSendEvent(dpy, target, False, 0, &event);
    XFlush(dpy);
}

bool HostWindow::SendKey(KeySym keysym) {
    const KeyCode code = XKeysymToKeycode(dpy, keysym);
    if (code == 0) return false;
    // The shifted level of the key, when the symbol lives there ("A", "?").
    unsigned int state = 0;
    if (XkbKeycodeToKeysym(dpy, code, 0, 0) != keysym && XkbKeycodeToKeysym(dpy, code, 0, 1) == keysym) {
        state = ShiftMask;
    }
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    int localX = 0;
    int localY = 0;
    Window target = focus != 0 && focus != PointerRoot && Contains(focus) ? focus : DeepestAt(lastX, lastY, &localX, &localY);
    for (const bool press : {true, false}) {
        XEvent event{};
        XKeyEvent& k = event.xkey;
        k.type = press ? KeyPress : KeyRelease;
        k.display = dpy;
        k.window = target;
        k.root = DefaultRootWindow(dpy);
        k.time = Now();
        k.state = state;
        k.keycode = code;
        k.same_screen = True;
        XSendEvent(dpy, target, False, 0, &event);
    }
    XFlush(dpy);
    return true;
}
