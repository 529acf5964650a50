// The top-level window murmurhall-host gives a plug-in's editor as its parent, on a display
// connection of the host's own. It also acts as a user would: it sends pointer and key events to the
// plug-in's windows inside it (synthetic events, since XTest may be missing) and photographs itself.
#pragma once

#include <X11/Xlib.h>

#include <string>

class HostWindow {
public:
    // Main thread: opens the display (HostError with exit status 2 when there is none), creates a
    // window of width x height with title, maps it and waits until it shows.
    HostWindow(int width, int height, const std::string& title);
    // Main thread: destroys the window and closes the display.
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // Main thread: the window id, handed to the plug-in's effEditOpen.
    Window Id() const { return window; }
    int Width() const { return width; }
    int Height() const { return height; }
    // Main thread: gives the window another size (a plug-in that knows its size only once open).
    void Resize(int newWidth, int newHeight);

    // Main thread: handles the window's own events; true when the user or window manager asked to
    // close it.
    bool CloseRequested();

    // Main thread: writes what the screen shows in the window's place (the plug-in's window and any
    // pop-up over it) as a PNG of the window's size. Returns an empty string, or why it could not.
    std::string Screenshot(const std::string& path);

    // Main thread: synthetic pointer events at (x, y) in this window's coordinates, sent to the
    // deepest window there. state is the X button and modifier mask before the event.
    void SendButton(int x, int y, unsigned int button, bool press, unsigned int state);
    void SendMotion(int x, int y, unsigned int state);
    // Main thread: a key press and release of keysym, sent to the window holding the keyboard focus
    // when it is inside ours, else to the deepest window at the last pointer position. False when
    // the keyboard has no key for it.
    bool SendKey(KeySym keysym);

private:
    // The deepest window at (x, y) and the point in its coordinates.
    Window DeepestAt(int x, int y, int* localX, int* localY) const;
    // The deepest window at our point (x, y), the point in it and on the root; remembers the point.
    Window PointerTarget(int x, int y, int local[2], int root[2]);
    // candidate is our window or inside it.
    // The parent of child and whether it is the root window; false when child is gone.
    bool ParentOf(Window child, Window* parent, bool* parentIsRoot) const;
    bool Contains(Window candidate) const;
    // candidate is our window or holds it (a window manager's frame).
    bool Encloses(Window candidate) const;
    unsigned long Now() const;

    Display* dpy = nullptr;
    Window window = 0;
    Atom deleteAtom = 0;
    int width;
    int height;
    int lastX = 1;
    int lastY = 1;
    bool closeRequested = false;
};
