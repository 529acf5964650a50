// An X server for the X11 tests: the one DISPLAY names, or else an Xvfb started for this test run
// (-displayfd picks a free display) and stopped after it. Without either, the tests skip.
#pragma once

// gtest before Xlib: Xlib defines None and Bool as macros.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace xtest {

// True when the tests have a display to use (DISPLAY is then set for this process and children).
bool DisplayAvailable();

// A connection of the test's own, playing the host: it makes the parent windows and sends events.
class HostConnection {
public:
    HostConnection();
    ~HostConnection();
    HostConnection(const HostConnection&) = delete;
    HostConnection& operator=(const HostConnection&) = delete;

    Display* dpy() const { return display; }
    // A mapped top-level window at (x, y) of width x height, with no border.
    Window MakeParent(int x, int y, int width, int height);
    // Synthetic events to window, coordinates in that window.
    void Button(Window window, int x, int y, unsigned int button, bool press, unsigned int state = 0,
                unsigned long time = 0);
    void Motion(Window window, int x, int y, unsigned int state);
    void Key(Window window, KeySym keysym, unsigned int state);
    void Focus(Window window, bool in, int mode, int detail);
    // The pixel at (x, y) of window (or the root) as 0xRRGGBB.
    unsigned long Pixel(Window window, int x, int y);
    // The parent of window and the number of its children.
    Window ParentOf(Window window);
    int ChildCount(Window window);

private:
    void Send(Window window, XEvent& event);
    Display* display = nullptr;
};

}  // namespace xtest

#define REQUIRE_DISPLAY()                                                                       \
    do {                                                                                        \
        if (!xtest::DisplayAvailable()) GTEST_SKIP() << "no X server (no DISPLAY and no Xvfb)"; \
    } while (false)
