// The X11 platform against a real X server: a frame embedded in a parent window the test owns,
// driven with synthetic X events, as a host and a user would drive it.
#include <gtest/gtest.h>
#include <time.h>

#include <X11/keysym.h>

#include <functional>
#include <memory>

#include "XServer.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CKickButton.h"
#include "toolkit/HeadlessPlatformFrame.h"
#include "toolkit/x11/X11Display.h"
#include "toolkit/x11/X11Popup.h"

namespace {

constexpr CColor kFill{200, 30, 60, 255};
constexpr unsigned long kFillPixel = 0xc81e3c;

struct NoEditor : VSTGUIEditorInterface {
    void beginEdit(long) override {}
    void endEdit(long) override {}
    long getKnobMode() const override { return kLinearMode; }
    CFrame* getFrame() const override { return nullptr; }
} gEditor;

struct Event {
    char kind;  // d(own), m(ove), u(p), w(heel: distance in where.h)
    CPoint where;
    long buttons;
};

// Fills itself with one colour and remembers what reached it, as a view and as a pop-up's client.
class Recording : public CView, public IPlatformPopupClient {
public:
    explicit Recording(const CRect& size) : CView(size) {}
    void draw(CDrawContext* context) override {
        context->setFillColor(kFill);
        context->fillRect(size);
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override { return note('d', where, buttons); }
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override { return note('m', where, buttons); }
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override { return note('u', where, buttons); }
    bool onWheel(const CPoint&, const float& distance, const long&) override {
        return note('w', CPoint(static_cast<CCoord>(distance), 0), 0) == kMouseEventHandled;
    }
    long onKeyDown(VstKeyCode& key) override {
        keys.push_back(key);
        return 1;
    }
    void looseFocus() override { ++losses; }
    void drawPopup(CDrawContext* context) override { draw(context); }
    void popupMouseDown(const CPoint& where, long buttons) override { note('d', where, buttons); }
    void popupMouseMoved(const CPoint& where, long buttons) override { note('m', where, buttons); }
    void popupMouseUp(const CPoint& where, long buttons) override { note('u', where, buttons); }
    void popupKeyDown(const VstKeyCode& key) override { keys.push_back(key); }
    void popupDismissed() override {
        ++losses;
        if (onDismiss) onDismiss();
    }
    std::vector<Event> of(char kind) const {
        std::vector<Event> found;
        for (const Event& e : events) if (e.kind == kind) found.push_back(e);
        return found;
    }

    std::vector<Event> events;
    std::vector<VstKeyCode> keys;
    int losses = 0;  // of the focus, or dismissals as a pop-up's client
    std::function<void()> onDismiss;

private:
    CMouseEventResult note(char kind, const CPoint& where, long buttons) {
        events.push_back({kind, where, buttons});
        return kMouseEventHandled;
    }
};

class X11FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_DISPLAY();
        SetPlatformFrameFactory(nullptr);
        host = std::make_unique<xtest::HostConnection>();
        parent = host->MakeParent(50, 60, 300, 200);
        frame = new CFrame(CRect(0, 0, 240, 160), reinterpret_cast<void*>(parent), &gEditor);
        window = frame->getPlatformFrame()->getNativeWindow();
        ASSERT_NE(window, 0u) << "the frame fell back to another platform";
        frame->addView(view = new Recording(CRect(10, 10, 110, 90)));
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
            timespec pause{0, 5 * 1000000L};
            nanosleep(&pause, nullptr);
        }
        return false;
    }

    std::unique_ptr<xtest::HostConnection> host;
    Window parent = 0, window = 0;
    CFrame* frame = nullptr;
    Recording* view = nullptr;
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
    struct : CControlListener {
        void valueChanged(CControl* control) override { kicks.push_back(control->getValue()); }
        std::vector<float> kicks;
    } listener;
    frame->addView(new CKickButton(CRect(130, 20, 170, 50), &listener, 9, 15, nullptr));
    host->Button(window, 140, 30, Button1, true, 0, 100);
    host->Button(window, 140, 30, Button1, false, Button1Mask, 110);
    const struct {
        unsigned int button, state;
        unsigned long time;
        long expected;
    } presses[] = {
        {Button1, ShiftMask | ControlMask, 1000, kLButton | kShift | kControl},
        {Button1, 0, 1200, kLButton | kDoubleClick},  // 200 ms later
        {Button1, 0, 1400, kLButton},                 // after a double click, a new first click
        {Button1, 0, 1800, kLButton},                 // 400 ms: too slow
        {Button3, Mod1Mask, 5000, kRButton | kAlt},
    };
    for (const auto& p : presses) {
        host->Button(window, 20, 20, p.button, true, p.state, p.time);
        host->Button(window, 20, 20, p.button, false, p.button == Button1 ? Button1Mask : Button3Mask, p.time + 10);
    }
    host->Button(window, 40, 40, Button4, true);
    host->Button(window, 40, 40, Button5, true);
    host->Button(window, 20, 20, Button1, true, 0, 9000);
    host->Motion(window, 150, 130, Button1Mask);  // outside the view: it still holds the mouse
    host->Button(window, 150, 130, Button1, false, Button1Mask, 9010);
    ASSERT_TRUE(Pump(400, [&] { return view->of('u').size() >= 6 && view->of('w').size() >= 2; }));
    EXPECT_EQ(listener.kicks, (std::vector<float>{1.f, 0.f}));
    const std::vector<Event> downs = view->of('d');
    ASSERT_EQ(downs.size(), 6u);
    EXPECT_EQ(downs[0].where, CPoint(20, 20));
    for (size_t i = 0; i < std::size(presses); ++i) EXPECT_EQ(downs[i].buttons, presses[i].expected) << i;
    EXPECT_EQ(view->of('w')[0].where.h, 1);
    EXPECT_EQ(view->of('w')[1].where.h, -1);
    EXPECT_EQ(view->of('m').back().where, CPoint(150, 130));
    EXPECT_EQ(view->of('m').back().buttons & kLButton, kLButton);
    EXPECT_EQ(view->events.back().where, CPoint(150, 130));
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
    for (const auto& c : cases) host->Key(window, c.sym, c.sym == XK_A ? ShiftMask : 0);
    host->Key(window, XK_Shift_L, 0);  // a modifier alone is no key
    // Our own grabs and focus moving inside us are no loss.
    host->Focus(window, false, NotifyGrab, NotifyNonlinear);
    host->Focus(window, false, NotifyNormal, NotifyInferior);
    Pump(40);
    EXPECT_EQ(view->losses, 0);
    host->Focus(window, false, NotifyNormal, NotifyNonlinear);
    EXPECT_TRUE(Pump(400, [&] { return view->losses == 1; }));
    EXPECT_EQ(frame->getFocusView(), nullptr);
    ASSERT_EQ(view->keys.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(view->keys[i].character, cases[i].character) << "case " << i;
        EXPECT_EQ(view->keys[i].virt, cases[i].virt) << "case " << i;
    }
    EXPECT_EQ(view->keys[1].modifier, MODIFIER_SHIFT);
}

TEST_F(X11FrameTest, PopupIsAGrabbingOverrideRedirectWindowAtItsScreenPlaceThatAnyPressElsewhereDismisses) {
    Recording client(CRect(0, 0, 80, 120));
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
    ASSERT_TRUE(Pump(400, [&] { return client.events.size() >= 3 && client.keys.size() >= 2; }));
    EXPECT_EQ(client.events[0].where, CPoint(10, 25));
    EXPECT_EQ(client.events[0].buttons, kLButton);
    EXPECT_EQ(client.events.back().where, CPoint(12, 40));
    EXPECT_EQ(client.keys[0].virt, VKEY_DOWN);
    EXPECT_EQ(client.keys[1].virt, VKEY_RETURN);
    EXPECT_TRUE(view->keys.empty());
    // A press outside it (reported to the grabbing pop-up outside its area) or on the frame dismisses
    // it, and does nothing else.
    host->Button(popupWindow, -30, 200, Button1, true);
    ASSERT_TRUE(Pump(400, [&] { return client.losses == 1; }));
    popup = frame->getPlatformFrame()->openPopup(CRect(400, 300, 480, 420), &client);
    host->Button(window, 20, 20, Button1, true);
    ASSERT_TRUE(Pump(400, [&] { return client.losses == 2; }));
    EXPECT_TRUE(view->events.empty());
}

TEST(X11Frames, OpenCloseFiftyTimesLeavesNothingBehindAndGoneParentsAreSurvived) {
    REQUIRE_DISPLAY();
    SetPlatformFrameFactory(nullptr);
    xtest::HostConnection host;
    const Window parent = host.MakeParent(0, 0, 520, 420);
    for (int i = 0; i < 50; ++i) {
        // The editor's size, redrawn in parts as the editor's idle does.
        auto* frame = new CFrame(CRect(0, 0, 504, 404), reinterpret_cast<void*>(parent), &gEditor);
        ASSERT_NE(frame->getPlatformFrame()->getNativeWindow(), 0u) << "round " << i;
        frame->addView(new Recording(CRect(0, 0, 504, 404)));
        for (int part = 0; part < 5; ++part) {
            frame->invalidRect(CRect(part * 80, part * 60, part * 80 + 120, part * 60 + 90));
            frame->idle();
        }
        EXPECT_EQ(host.Pixel(frame->getPlatformFrame()->getNativeWindow(), 500, 400), kFillPixel) << "round " << i;
        auto* second = i == 0 ? new CFrame(CRect(0, 0, 100, 100), reinterpret_cast<void*>(parent), &gEditor) : nullptr;
        EXPECT_EQ(X11Display::References(), i == 0 ? 2 : 1) << "one connection for all";
        delete frame;
        delete second;
        EXPECT_EQ(X11Display::References(), 0) << "round " << i;
        EXPECT_EQ(host.ChildCount(parent), 0) << "round " << i;
    }
    // An id no client has made: the process must not die of the X error.
    auto* frame = new CFrame(CRect(0, 0, 100, 100), reinterpret_cast<void*>(0x3ffffffUL), &gEditor);
    EXPECT_NE(HeadlessPlatformFrame::Of(frame), nullptr);
    delete frame;
    // The host destroys its window before closing ours.
    frame = new CFrame(CRect(0, 0, 300, 200), reinterpret_cast<void*>(parent), &gEditor);
    frame->idle();
    XDestroyWindow(host.dpy(), parent);
    XSync(host.dpy(), False);
    frame->invalid();
    frame->idle();  // learns that the window is gone; draws nothing there
    delete frame;   // and destroys nothing twice
    EXPECT_EQ(X11Display::References(), 0);
}

}  // namespace
