// A pop-up list's window: override-redirect, at a place on the screen, above everything. Its
// picture is drawn by the client into a back buffer of its own and copied to the window; its
// pointer and key events reach the client in pop-up coordinates.
#pragma once

#include "toolkit/IPlatformFrame.h"
#include "toolkit/x11/X11EventTarget.h"

class X11Display;
class X11PlatformFrame;
typedef struct _cairo_surface cairo_surface_t;

class X11Popup : public IPlatformPopup, public X11EventTarget {
public:
    // UI thread: screenRect in screen coordinates of the toolkit (device pixels / scale); a window that
    // would pass a screen edge is moved back onto the screen.
    X11Popup(X11PlatformFrame* owner, const CRect& screenRect, double scale, IPlatformPopupClient* client);
    // UI thread: closes the window; the owner releases its grab when no pop-up is left.
    ~X11Popup() override;
    bool valid() const { return window != 0; }

    void invalid() override;
    void handleEvent(XEvent& event) override;

    // UI thread.
    unsigned long getWindow() const { return window; }
    IPlatformPopupClient* getClient() const { return client; }
    // UI thread: the owning frame's platform is going away first.
    void detach() { owner = nullptr; }

private:
    void redraw();
    void copyToWindow(int x, int y, int w, int h);

    X11PlatformFrame* owner;
    IPlatformPopupClient* client;
    X11Display* display;
    CRect size;  // toolkit units, origin 0
    double scale;
    unsigned long window = 0;
    int width = 0;
    int height = 0;
    cairo_surface_t* backBuffer = nullptr;
    bool drawing = false;
};
