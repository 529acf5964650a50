// The X11 platform of a frame: a child window of the host's window, embedded with XEmbed, on one
// display connection shared by every frame of the process. Events are read only when the frame
// asks (its idle, driven by the host's idle calls), never from a thread of ours.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/IPlatformFrame.h"
#include "toolkit/x11/X11EventTarget.h"

class X11Display;
class X11Popup;
class DoubleClickDetector;

// UI thread: a child of the X11 window parentWindow (an X11 Window id passed as a pointer), or null
// when no display can be opened or the parent does not exist.
std::unique_ptr<IPlatformFrame> CreateX11PlatformFrame(CFrame* frame, void* parentWindow);

class X11PlatformFrame : public IPlatformFrame, public X11EventTarget {
public:
    // UI thread: use CreateX11PlatformFrame; valid() tells whether the window was made.
    X11PlatformFrame(CFrame* frame, unsigned long parentWindow);
    // UI thread: closes the pop-ups' grab and destroys the window.
    ~X11PlatformFrame() override;
    bool valid() const { return window != 0; }

    void present(const CRect& rect) override;
    void processEvents() override;
    CPoint getScreenPosition() override;
    void takeKeyboardFocus() override;
    std::unique_ptr<IPlatformPopup> openPopup(const CRect& screenRect, IPlatformPopupClient* client) override;
    unsigned long getNativeWindow() const override { return window; }

    void handleEvent(XEvent& event) override;

    // UI thread, from X11Popup: pop-ups register while open; the pointer and keyboard are grabbed
    // while any shows, so a press anywhere else can close them.
    void popupOpened(X11Popup* popup);
    void popupClosed(X11Popup* popup);
    // UI thread: a press outside every pop-up: the first pop-up's client hears it.
    void dismissPopups();
    // UI thread: a key while pop-ups show goes to the newest one.
    void popupKey(const VstKeyCode& key);

private:
    void presentDevice(int x, int y, int width, int height);
    void updateGrab();

    CFrame* frame;
    X11Display* display;
    unsigned long window = 0;
    int width = 0;   // device pixels
    int height = 0;
    double scale = 1.0;
    bool windowAlive = false;
    std::unique_ptr<DoubleClickDetector> clicks;
    std::vector<X11Popup*> popups;
    unsigned long grabWindow = 0;
};
