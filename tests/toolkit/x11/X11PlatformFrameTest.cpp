// The X11 platform against a real X server: a frame embedded in a parent window the test owns,
// driven with synthetic X events, as a host and a user would drive it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <X11/keysym.h>

#include <functional>
#include <memory>

#include "../FrameHarness.h"
#include "XServer.h"
#include "toolkit/CKickButton.h"
#include "toolkit/x11/X11Display.h"
#include "toolkit/x11/X11Popup.h"

namespace {

constexpr CColor kFill{200, 30, 60, 255};
constexpr unsigned long kFillPixel = 0xc81e3c;
std::string Bits(long buttons) { return " b" + std::to_string(buttons); }

class X11FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_DISPLAY();
        SetPlatformFrameFactory(nullptr);
        host = std::make_unique<xtest::HostConnection>();
        parent = host->MakeParent(50, 60, 300, 200);
        frame = new CFrame(CRect(0, 0, 240, 160), reinterpret_cast<void*>(parent), &recorder);
        window = frame->getPlatformFrame()->getNativeWindow();
        ASSERT_NE(window, 0u) << "the frame fell back to another platform";
        frame->addView(view = new Probe(CRect(10, 10, 110, 90), kFill, &events, "view"));
        Pump(20);
    }
    void TearDown() override {
        delete frame;
        if (parent != 0) XDestroyWindow(host->dpy(), parent);
        if (host) XSync(host->dpy(), False);
    }
    // Idle calls every 5 ms as a host makes them, until done() holds or rounds have passed.
    bool Pump(int rounds, const std::function<bool()>& done = [] { return false; }) {
        for (int i = 0; i < rounds; ++i) {
            frame->idle();
            if (done()) return true;
            ::usleep(5000);
        }
        return false;
    }

    std::unique_ptr<xtest::HostConnection> host;
    Window parent = 0, window = 0;
    CFrame* frame = nullptr;
    Recorder recorder;
    Log events;
    Probe* view = nullptr;
};

TEST_F(X11FrameTest, EmbedsAsAMappedXEmbedChildShowsTheBackBufferAndTakesTheFocus) {
    EXPECT_EQ(host->ParentOf(window), parent);
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(host->dpy(), window, &attributes), 0);
    EXPECT_EQ(CRect(0, 0, attributes.width, attributes.height), CRect(0, 0, 240, 160));
    EXPECT_EQ(attributes.map_state, IsViewable);
    const Atom info = XInternAtom(host->dpy(), "_XEMBED_INFO", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(host->dpy(), window, info, 0, 2, False, info, &type, &format, &count, &after, &data),
              Success);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(reinterpret_cast<const long*>(data)[1], 1) << "XEMBED_MAPPED";
    XFree(data);
    EXPECT_EQ(host->Pixel(window, 50, 50), kFillPixel);
    EXPECT_NE(host->Pixel(window, 200, 120), kFillPixel);
    // The host covers and uncovers us: the server forgets the pixels and asks for them again.
    XClearArea(host->dpy(), window, 0, 0, 0, 0, True);
    XSync(host->dpy(), False);
    EXPECT_TRUE(Pump(400, [&] { return host->Pixel(window, 50, 50) == kFillPixel; }));
    frame->getPlatformFrame()->takeKeyboardFocus();
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(host->dpy(), &focus, &revert);
    EXPECT_EQ(focus, window);
    EXPECT_EQ(frame->getPlatformFrame()->getScreenPosition(), CPoint(50, 60));
}

TEST_F(X11FrameTest, AKickButtonReportsARealClickAndButtonsCarryModifiersDoubleClicksWheelStepsAndDrags) {
    frame->addView(new CKickButton(CRect(130, 20, 170, 50), &recorder, 9, 15, nullptr));
    host->Button(window, 140, 30, Button1, true, 0, 100);
    host->Button(window, 140, 30, Button1, false, Button1Mask, 110);
    const struct { unsigned int button, state; unsigned long time; long expected; } presses[] = {
        {Button1, ShiftMask | ControlMask, 1000, kLButton | kShift | kControl},
        {Button1, 0, 1200, kLButton | kDoubleClick},  // 200 ms later
        {Button1, 0, 1400, kLButton},                 // after a double click, a new first click
        {Button1, 0, 1800, kLButton},                 // 400 ms: too slow
        {Button3, Mod1Mask, 5000, kRButton | kAlt},
    };
    Log expected;
    for (const auto& p : presses) {
        host->Button(window, 20, 20, p.button, true, p.state, p.time);
        host->Button(window, 20, 20, p.button, false, p.button == Button1 ? Button1Mask : Button3Mask, p.time + 10);
        expected.push_back("view down 20,20" + Bits(p.expected));
        expected.push_back("view up 20,20" + Bits(p.button == Button1 ? kLButton : kRButton));
    }
    host->Button(window, 40, 40, Button4, true);
    host->Button(window, 40, 40, Button5, true);
    host->Button(window, 20, 20, Button1, true, 0, 9000);
    host->Motion(window, 150, 130, Button1Mask);  // outside the view: it still holds the mouse
    host->Button(window, 150, 130, Button1, false, Button1Mask, 9010);
    expected.insert(expected.end(), {"view wheel 1,0", "view wheel -1,0", "view down 20,20" + Bits(kLButton),
                                     "view move 150,130" + Bits(kLButton), "view up 150,130" + Bits(kLButton)});
    Pump(400, [&] { return events.size() >= expected.size(); });
    EXPECT_EQ(events, expected);
    EXPECT_EQ(recorder.values(), (std::vector<float>{1.f, 0.f}));
}

TEST_F(X11FrameTest, KeysArriveAsVstKeyCodesAndOnlyARealFocusLossEndsTheFocus) {
    frame->setFocusView(view);
    const struct {
        KeySym sym;
        int32_t character;
        unsigned char virt;
    } cases[] = {{XK_a, 'a', 0},           {XK_A, 'A', 0},          {XK_space, ' ', 0},          {XK_5, '5', 0},
                 {XK_Return, 0, VKEY_RETURN}, {XK_KP_Enter, 0, VKEY_ENTER}, {XK_BackSpace, 0, VKEY_BACK},
                 {XK_Delete, 0, VKEY_DELETE}, {XK_Escape, 0, VKEY_ESCAPE}, {XK_Left, 0, VKEY_LEFT},
                 {XK_Right, 0, VKEY_RIGHT},   {XK_Home, 0, VKEY_HOME},     {XK_End, 0, VKEY_END},
                 {XK_Up, 0, VKEY_UP},         {XK_Down, 0, VKEY_DOWN},     {XK_Tab, 0, VKEY_TAB}};
    Log expected;
    for (const auto& c : cases) {
        host->Key(window, c.sym, c.sym == XK_A ? ShiftMask : 0);
        expected.push_back("view key " + std::to_string(c.character) + "," + std::to_string(c.virt) +
                           (c.sym == XK_A ? Bits(MODIFIER_SHIFT) : ""));
    }
    host->Key(window, XK_Shift_L, 0);  // a modifier alone is no key
    // Our own grabs and focus moving inside us are no loss; the last one is.
    host->Focus(window, false, NotifyGrab, NotifyNonlinear);
    host->Focus(window, false, NotifyNormal, NotifyInferior);
    Pump(40);
    EXPECT_EQ(frame->getFocusView(), view);
    host->Focus(window, false, NotifyNormal, NotifyNonlinear);
    expected.push_back("view lost");
    Pump(400, [&] { return events.size() >= expected.size(); });
    EXPECT_EQ(events, expected);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

TEST_F(X11FrameTest, PopupIsAGrabbingOverrideRedirectWindowAtItsScreenPlaceThatAnyPressElsewhereDismisses) {
    Log popupEvents;
    Probe client(CRect(0, 0, 80, 120), kFill, &popupEvents, "popup");
    std::unique_ptr<IPlatformPopup> popup = frame->getPlatformFrame()->openPopup(CRect(400, 300, 480, 420), &client);
    client.onDismiss = [&] { popup.reset(); };  // as a menu does
    const Window popupWindow = dynamic_cast<X11Popup*>(popup.get())->getWindow();
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(host->dpy(), popupWindow, &attributes), 0);
    EXPECT_TRUE(attributes.override_redirect);
    EXPECT_EQ(host->ParentOf(popupWindow), DefaultRootWindow(host->dpy()));
    EXPECT_EQ(CRect(attributes.x, attributes.y, attributes.x + attributes.width, attributes.y + attributes.height),
              CRect(400, 300, 480, 420));
    EXPECT_EQ(host->Pixel(DefaultRootWindow(host->dpy()), 440, 360), kFillPixel);
    EXPECT_EQ(XGrabPointer(host->dpy(), parent, False, 0, GrabModeAsync, GrabModeAsync, None, None, CurrentTime),
              AlreadyGrabbed)
        << "while it shows, the pointer is the pop-up's";
    host->Button(popupWindow, 10, 25, Button1, true);
    host->Motion(popupWindow, 12, 40, Button1Mask);
    host->Button(popupWindow, 12, 40, Button1, false, Button1Mask);
    host->Key(popupWindow, XK_Down, 0);
    host->Key(window, XK_Return, 0);  // keys typed into the frame while it shows are the pop-up's too
    // A press outside it (reported to the grabbing pop-up outside its area) dismisses it.
    host->Button(popupWindow, -30, 200, Button1, true);
    const Log expected{"popup down 10,25" + Bits(kLButton), "popup move 12,40" + Bits(kLButton),
                       "popup up 12,40" + Bits(kLButton), "popup key 0," + std::to_string(VKEY_DOWN),
                       "popup key 0," + std::to_string(VKEY_RETURN), "popup dismissed"};
    Pump(400, [&] { return popupEvents.size() >= expected.size(); });
    EXPECT_EQ(popupEvents, expected);
    // A press on the frame while one shows only dismisses it.
    popup = frame->getPlatformFrame()->openPopup(CRect(400, 300, 480, 420), &client);
    host->Button(window, 20, 20, Button1, true);
    ASSERT_TRUE(Pump(400, [&] { return popupEvents.size() == expected.size() + 1; }));
    EXPECT_EQ(popupEvents.back(), "popup dismissed");
    EXPECT_TRUE(events.empty());
}

TEST(X11Frames, OpenCloseFiftyTimesLeavesNothingBehindAndGoneParentsAreSurvived) {
    REQUIRE_DISPLAY();
    SetPlatformFrameFactory(nullptr);
    xtest::HostConnection host;
    Recorder recorder;
    const Window parent = host.MakeParent(0, 0, 520, 420);
    for (int i = 0; i < 50; ++i) {
        // The editor's size, redrawn in parts as the editor's idle does.
        auto* frame = new CFrame(CRect(0, 0, 504, 404), reinterpret_cast<void*>(parent), &recorder);
        ASSERT_NE(frame->getPlatformFrame()->getNativeWindow(), 0u) << "round " << i;
        frame->addView(new Probe(CRect(0, 0, 504, 404), kFill));
        for (int part = 0; part < 5; ++part) {
            frame->invalidRect(CRect(part * 80, part * 60, part * 80 + 120, part * 60 + 90));
            frame->idle();
        }
        EXPECT_EQ(host.Pixel(frame->getPlatformFrame()->getNativeWindow(), 500, 400), kFillPixel) << "round " << i;
        auto* second = i == 0 ? new CFrame(CRect(0, 0, 100, 100), reinterpret_cast<void*>(parent), &recorder) : nullptr;
        EXPECT_EQ(X11Display::References(), i == 0 ? 2 : 1) << "one connection for all";
        delete frame;
        delete second;
        EXPECT_EQ(X11Display::References(), 0) << "round " << i;
        EXPECT_EQ(host.ChildCount(parent), 0) << "round " << i;
    }
    // An id no client has made: the process must not die of the X error.
    auto* frame = new CFrame(CRect(0, 0, 100, 100), reinterpret_cast<void*>(0x3ffffffUL), &recorder);
    EXPECT_NE(HeadlessPlatformFrame::Of(frame), nullptr);
    delete frame;
    // The host destroys its window before closing ours.
    frame = new CFrame(CRect(0, 0, 300, 200), reinterpret_cast<void*>(parent), &recorder);
    frame->idle();
    XDestroyWindow(host.dpy(), parent);
    XSync(host.dpy(), False);
    frame->invalid();
    frame->idle();  // learns that the window is gone; draws nothing there
    delete frame;   // and destroys nothing twice
    EXPECT_EQ(X11Display::References(), 0);
}

}  // namespace
