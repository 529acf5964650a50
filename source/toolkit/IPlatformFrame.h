// The one door between a frame and the window system. The frame draws into its own back buffer
// and feeds events it is given; a platform frame shows the back buffer and delivers the events.
// Two exist: X11 (a child of the host's window) and headless (tests and tools).
#pragma once

#include <memory>

#include "shell/Vst24Abi.h"
#include "toolkit/CRect.h"

class CFrame;
class CDrawContext;

// A window of its own above everything, for pop-up lists; its content is drawn by the toolkit.
class IPlatformPopupClient {
public:
    virtual ~IPlatformPopupClient() = default;
    // UI thread: draw the whole pop-up (popup coordinates, origin at its top-left).
    virtual void drawPopup(CDrawContext* context) = 0;
    // UI thread: pointer events in popup coordinates; buttons as CButton bits.
    virtual void popupMouseDown(const CPoint& where, long buttons) = 0;
    virtual void popupMouseMoved(const CPoint& where, long buttons) = 0;
    virtual void popupMouseUp(const CPoint& where, long buttons) = 0;
    // UI thread: a key while the pop-up is showing (arrows, Return, Escape).
    virtual void popupKeyDown(const VstKeyCode& key) = 0;
    // UI thread: a click outside every pop-up, or the window system closed it.
    virtual void popupDismissed() = 0;
};

class IPlatformPopup {
public:
    virtual ~IPlatformPopup() = default;  // closes the window
    // UI thread: the client's picture changed; redraw it soon.
    virtual void invalid() = 0;
};

class IPlatformFrame {
public:
    virtual ~IPlatformFrame() = default;
    // UI thread: the back buffer changed inside rect (frame coordinates); put it on screen.
    virtual void present(const CRect& rect) = 0;
    // UI thread: read and dispatch pending window-system events (called from the frame's idle).
    virtual void processEvents() = 0;
    // UI thread: the frame's top-left corner in screen coordinates (view pixels: device pixels divided
    // by the frame's scale factor, as every screen coordinate here).
    virtual CPoint getScreenPosition() = 0;
    // UI thread: the frame's window takes the keyboard (a text field was clicked).
    virtual void takeKeyboardFocus() = 0;
    // UI thread: a pop-up window of size screenRect at its screen place; null when impossible.
    virtual std::unique_ptr<IPlatformPopup> openPopup(const CRect& screenRect, IPlatformPopupClient* client) = 0;
    // UI thread: the native window id (X11 Window), 0 when there is none.
    virtual unsigned long getNativeWindow() const { return 0; }
};

using PlatformFrameFactory = std::unique_ptr<IPlatformFrame> (*)(CFrame* frame, void* systemWindow);

// UI thread: the platform a new frame gets. The default makes an X11 child of systemWindow when
// systemWindow is not null and a display can be opened, else a headless one.
std::unique_ptr<IPlatformFrame> CreatePlatformFrame(CFrame* frame, void* systemWindow);
// UI thread: replaces the factory (null restores the default). Tests install the headless one.
void SetPlatformFrameFactory(PlatformFrameFactory factory);
