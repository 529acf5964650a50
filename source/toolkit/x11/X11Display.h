// The process's own connection to the X server, shared by every frame and pop-up and counted: the
// first Acquire opens it, the last Release closes it. Never the host's Display, never a global error
// handler: requests that may fail on a window the host owns go through XCB and report their error.
#pragma once

#include <X11/Xlib.h>

#include <map>
#include <memory>

#include "toolkit/x11/X11EventTarget.h"
#include "toolkit/x11/X11ImageUpload.h"

typedef struct _cairo_surface cairo_surface_t;
typedef struct xcb_connection_t xcb_connection_t;

class X11Display {
public:
    // UI thread: the shared connection with one more reference, or null when no display opens.
    static X11Display* Acquire();
    // UI thread: drops a reference; the last one closes it.
    void Release();

    Display* display() const { return dpy; }
    int screen() const { return DefaultScreen(dpy); }
    Window root() const { return RootWindow(dpy, screen()); }
    Atom xembedInfoAtom() const { return xembedInfo; }

    // UI thread: events for window go to target until Unregister.
    void Register(Window window, X11EventTarget* target);
    void Unregister(Window window);

    // UI thread: reads everything queued on the connection and hands each event to the owner of
    // its window; events for windows nobody owns (any more) are dropped.
    void DispatchPending();

    // Requests on windows the host owns (or may already have destroyed) are checked: they answer
    // false instead of ending the process through Xlib's default error handler.
    // UI thread: an input-output child of parent on the screen's own visual; 0 when refused.
    Window CreateChildWindow(Window parent, int width, int height, long eventMask);
    // UI thread.
    bool Reparent(Window window, Window parent);
    bool Map(Window window);
    // UI thread: false while window is not viewable.
    bool SetInputFocus(Window window);
    // UI thread: the root coordinates of (x, y) in window.
    bool TranslateToRoot(Window window, int x, int y, int* rootX, int* rootY);
    // UI thread: destroys window unless the server already did (with its parent).
    void DestroyWindowSafely(Window window);

    // UI thread: copies the rectangle (x, y, w, h) of image (ARGB32, the window's size) to window.
    void PutImage(Window window, cairo_surface_t* image, int x, int y, int w, int h);

    // Tests: references held now (0 when closed).
    static int References();

private:
    X11Display(Display* display);
    ~X11Display();

    Display* dpy;
    xcb_connection_t* xcb;
    Atom xembedInfo;
    std::unique_ptr<X11ImageUpload> upload;
    std::map<Window, X11EventTarget*> targets;
    int references = 0;
};
