// A frame's platform without a window system: the frame draws into its back buffer as usual, and
// tests and tools inject events, read pixels and save PNG snapshots. Pop-ups are kept as pictures
// of their own at a settable screen place.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/IPlatformFrame.h"

class HeadlessPopup;

class HeadlessPlatformFrame : public IPlatformFrame {
public:
    // The factory to install with SetPlatformFrameFactory.
    static std::unique_ptr<IPlatformFrame> Create(CFrame* frame, void* systemWindow);
    // The headless platform of frame, null when frame has another one.
    static HeadlessPlatformFrame* Of(CFrame* frame);

    explicit HeadlessPlatformFrame(CFrame* frame);
    ~HeadlessPlatformFrame() override;

    void present(const CRect& rect) override;
    void processEvents() override {}
    CPoint getScreenPosition() override { return screenPosition; }
    void takeKeyboardFocus() override { keyboardFocus = true; }
    std::unique_ptr<IPlatformPopup> openPopup(const CRect& screenRect, IPlatformPopupClient* client) override;

    // Events in frame coordinates, as a window system would deliver them.
    void mouseDown(const CPoint& where, long buttons = 2 /* kLButton */);
    void mouseMoved(const CPoint& where, long buttons = 2);
    void mouseUp(const CPoint& where, long buttons = 0);
    // Down and up at the same point.
    void click(const CPoint& where, long buttons = 2);
    // A key (character in keyCode.character, or a VKEY_ code in keyCode.virt).
    bool keyDown(VstKeyCode keyCode);
    // Types text as character keys.
    void typeText(const char* text);
    void focusLost();

    // Draws everything invalid, then reads a pixel of the back buffer as 0xAARRGGBB (frame coords).
    uint32_t pixel(CCoord x, CCoord y);
    // Draws everything invalid and saves the back buffer; true on success.
    bool writePng(const char* path);
    // Number of present calls so far, and the union of their rectangles since the last reset.
    long presentCount() const { return presents; }
    CRect presentedArea() const { return presented; }
    void resetPresented() { presents = 0; presented = CRect(); }
    bool hasKeyboardFocus() const { return keyboardFocus; }
    void setScreenPosition(const CPoint& p) { screenPosition = p; }

    // Pop-ups now showing, in opening order.
    long popupCount() const { return static_cast<long>(popups.size()); }
    CRect popupScreenRect(long index) const;
    // Events for pop-up index, in its own coordinates.
    void popupClick(long index, const CPoint& where);
    void popupMouseMoved(long index, const CPoint& where, long buttons = 0);
    void popupKey(long index, VstKeyCode key);
    // A click outside every pop-up.
    void dismissPopups();
    bool writePopupPng(long index, const char* path);
    uint32_t popupPixel(long index, CCoord x, CCoord y);

private:
    friend class HeadlessPopup;
    CFrame* frame;
    CPoint screenPosition{100, 100};
    bool keyboardFocus = false;
    long presents = 0;
    CRect presented;
    std::vector<HeadlessPopup*> popups;
};
