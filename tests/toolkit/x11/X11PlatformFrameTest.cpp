// The X11 platform against a real X server: a frame embedded in a parent window the test owns,
// driven with synthetic X events, as a host and a user would drive it.
#include <gtest/gtest.h>
#include <time.h>

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <functional>
#include <memory>
#include <vector>

#include "XServer.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/CKickButton.h"
#include "toolkit/CControlListener.h"
#include "toolkit/HeadlessPlatformFrame.h"
#include "toolkit/x11/X11Display.h"
#include "toolkit/x11/X11PlatformFrame.h"
#include "toolkit/x11/X11Popup.h"

namespace {

constexpr CColor kFill{200, 30, 60, 255};
constexpr unsigned long kFillPixel = 0xc81e3c;

class NoEditor : public VSTGUIEditorInterface {
public:
    void beginEdit(long) override {}
    void endEdit(long) override {}
    long getKnobMode() const override { return kLinearMode; }
    CFrame* getFrame() const override { return nullptr; }
};

// A view that fills itself with one colour and remembers what reached it.
class RecordingView : public CView {
public:
    explicit RecordingView(const CRect& size) : CView(size) {}
    void draw(CDrawContext* context) override {
        context->setFillColor(kFill);
        context->fillRect(size);
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override {
        downs.push_back({where, buttons});
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override {
        moves.push_back({where, buttons});
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override {
        ups.push_back({where, buttons});
        return kMouseEventHandled;
    }
    bool onWheel(const CPoint&, const float& distance, const long&) override {
        wheel.push_back(distance);
        return true;
    }
    long onKeyDown(VstKeyCode& key) override {
        keys.push_back(key);
        return 1;
    }
    void looseFocus() override { ++focusLosses; }

    struct Pointer {
        CPoint where;
        long buttons;
    };
    std::vector<Pointer> downs, moves, ups;
    std::vector<float> wheel;
    std::vector<VstKeyCode> keys;
    int focusLosses = 0;
};

class ValueRecorder : public CControlListener {
public:
    void valueChanged(CControl* control) override { values.push_back(control->getValue()); }
    std::vector<float> values;
};

class RecordingPopup : public IPlatformPopupClient {
public:
    void drawPopup(CDrawContext* context) override {
        context->setFillColor(kFill);
        context->fillRect(context->getSize());
        ++draws;
    }
    void popupMouseDown(const CPoint& where, long buttons) override { downs.push_back({where, buttons}); }
    void popupMouseMoved(const CPoint& where, long) override { moves.push_back(where); }
    void popupMouseUp(const CPoint& where, long) override { ups.push_back(where); }
    void popupKeyDown(const VstKeyCode& key) override { keys.push_back(key); }
    void popupDismissed() override {
        ++dismissals;
        if (onDismiss) onDismiss();
    }

    struct Press {
        CPoint where;
        long buttons;
    };
    int draws = 0;
    int dismissals = 0;
    std::vector<Press> downs;
    std::vector<CPoint> moves, ups;
    std::vector<VstKeyCode> keys;
    std::function<void()> onDismiss;
};

class X11FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_DISPLAY();
        SetPlatformFrameFactory(nullptr);
        host = std::make_unique<xtest::HostConnection>();
        ASSERT_NE(host->dpy(), nullptr);
        parent = host->MakeParent(50, 60, 300, 200);
        frame = new CFrame(CRect(0, 0, 240, 160), reinterpret_cast<void*>(parent), &editor);
        ASSERT_NE(frame->getPlatformFrame(), nullptr);
        window = frame->getPlatformFrame()->getNativeWindow();
        ASSERT_NE(window, 0u) << "the frame fell back to another platform";
        view = new RecordingView(CRect(10, 10, 110, 90));
        frame->addView(view);
        Settle();
    }
    void TearDown() override {
        delete frame;
        frame = nullptr;
        if (host && parent != 0) XDestroyWindow(host->dpy(), parent);
        if (host) XSync(host->dpy(), False);
    }

    // Idle calls as a host makes them, until done() holds or two seconds pass.
    bool Pump(const std::function<bool()>& done) {
        for (int i = 0; i < 400; ++i) {
            frame->idle();
            if (done()) return true;
            timespec pause{0, 5 * 1000000L};
            nanosleep(&pause, nullptr);
        }
        return false;
    }
    // A tenth of a second of idle calls, for events that should change nothing.
    void Settle() {
        for (int i = 0; i < 20; ++i) {
            frame->idle();
            timespec pause{0, 5 * 1000000L};
            nanosleep(&pause, nullptr);
        }
    }

    NoEditor editor;
    std::unique_ptr<xtest::HostConnection> host;
    Window parent = 0;
    CFrame* frame = nullptr;
    Window window = 0;
    RecordingView* view = nullptr;
};

TEST_F(X11FrameTest, EmbedsAsAMappedXEmbedChildOfTheHostWindow) {
    EXPECT_EQ(HeadlessPlatformFrame::Of(frame), nullptr);
    EXPECT_EQ(host->ParentOf(window), parent);
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(host->dpy(), window, &attributes), 0);
    EXPECT_EQ(attributes.width, 240);
    EXPECT_EQ(attributes.height, 160);
    EXPECT_EQ(attributes.map_state, IsViewable);

    const Atom info = XInternAtom(host->dpy(), "_XEMBED_INFO", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(host->dpy(), window, info, 0, 2, False, info, &type, &format, &count, &after, &data),
              Success);
    ASSERT_EQ(count, 2u);
    const long* values = reinterpret_cast<const long*>(data);
    EXPECT_EQ(values[0], 0);  // version
    EXPECT_EQ(values[1], 1);  // XEMBED_MAPPED
    XFree(data);
}

TEST_F(X11FrameTest, ShowsTheBackBufferAndRedrawsOnExpose) {
    EXPECT_EQ(host->Pixel(window, 50, 50), kFillPixel);
    EXPECT_NE(host->Pixel(window, 200, 120), kFillPixel);
    // The host covers and uncovers us: the server forgets the pixels and asks for them again.
    XClearArea(host->dpy(), window, 0, 0, 0, 0, True);
    XSync(host->dpy(), False);
    Settle();
    EXPECT_EQ(host->Pixel(window, 50, 50), kFillPixel);
}

TEST_F(X11FrameTest, KickButtonReportsOneThenZeroForAClickWithRealEvents) {
    ValueRecorder recorder;
    auto* button = new CKickButton(CRect(130, 20, 170, 50), &recorder, 9, 15, nullptr);
    frame->addView(button);
    host->Button(window, 140, 30, Button1, true);
    host->Button(window, 140, 30, Button1, false, Button1Mask);
    EXPECT_TRUE(Pump([&] { return recorder.values.size() >= 2; }));
    EXPECT_EQ(recorder.values, (std::vector<float>{1.f, 0.f}));

    // Released off the button: only the 0.
    recorder.values.clear();
    host->Button(window, 140, 30, Button1, true, 0, 5000);
    host->Motion(window, 220, 140, Button1Mask);
    host->Button(window, 220, 140, Button1, false, Button1Mask, 5100);
    EXPECT_TRUE(Pump([&] { return !recorder.values.empty(); }));
    Settle();
    EXPECT_EQ(recorder.values, (std::vector<float>{0.f}));
}

TEST_F(X11FrameTest, ButtonsCarryModifiersDoubleClicksAndWheelSteps) {
    host->Button(window, 20, 20, Button1, true, ShiftMask | ControlMask, 1000);
    host->Button(window, 20, 20, Button1, false, Button1Mask, 1010);
    host->Button(window, 22, 23, Button1, true, 0, 1200);  // 200 ms and 3 px later: a double click
    host->Button(window, 22, 23, Button1, false, Button1Mask, 1210);
    host->Button(window, 22, 23, Button1, true, 0, 1400);  // after a double click, a new first click
    host->Button(window, 22, 23, Button1, false, Button1Mask, 1410);
    host->Button(window, 22, 23, Button1, true, 0, 1800);  // 400 ms: too slow
    host->Button(window, 22, 23, Button1, false, Button1Mask, 1810);
    host->Button(window, 30, 30, Button3, true, Mod1Mask, 5000);
    host->Button(window, 30, 30, Button3, false, Button3Mask, 5010);
    host->Button(window, 40, 40, Button4, true);
    host->Button(window, 40, 40, Button5, true);
    ASSERT_TRUE(Pump([&] { return view->downs.size() >= 5 && view->wheel.size() >= 2; }));

    ASSERT_EQ(view->downs.size(), 5u);
    EXPECT_EQ(view->downs[0].buttons, kLButton | kShift | kControl);
    EXPECT_EQ(view->downs[0].where, CPoint(20, 20));
    EXPECT_EQ(view->downs[1].buttons, kLButton | kDoubleClick);
    EXPECT_EQ(view->downs[2].buttons, kLButton);
    EXPECT_EQ(view->downs[3].buttons, kLButton);
    EXPECT_EQ(view->downs[4].buttons, kRButton | kAlt);
    EXPECT_EQ(view->wheel, (std::vector<float>{1.f, -1.f}));
}

TEST_F(X11FrameTest, DragReachesTheViewThatTookThePressWithTheHeldButton) {
    host->Button(window, 20, 20, Button1, true);
    host->Motion(window, 150, 130, Button1Mask);  // outside the view: it still holds the mouse
    host->Button(window, 150, 130, Button1, false, Button1Mask);
    ASSERT_TRUE(Pump([&] { return !view->ups.empty(); }));
    ASSERT_FALSE(view->moves.empty());
    EXPECT_EQ(view->moves.back().where, CPoint(150, 130));
    EXPECT_EQ(view->moves.back().buttons & kLButton, kLButton);
    EXPECT_EQ(view->ups.back().where, CPoint(150, 130));
}

TEST_F(X11FrameTest, KeysArriveAsVstKeyCodes) {
    frame->setFocusView(view);
    struct Case {
        KeySym sym;
        unsigned int state;
        int32_t character;
        unsigned char virt;
    };
    const Case cases[] = {
        {XK_a, 0, 'a', 0},           {XK_a, ShiftMask, 'A', 0},    {XK_space, 0, ' ', 0},
        {XK_5, 0, '5', 0},           {XK_Return, 0, 0, VKEY_RETURN}, {XK_KP_Enter, 0, 0, VKEY_ENTER},
        {XK_BackSpace, 0, 0, VKEY_BACK}, {XK_Delete, 0, 0, VKEY_DELETE}, {XK_Escape, 0, 0, VKEY_ESCAPE},
        {XK_Left, 0, 0, VKEY_LEFT},  {XK_Right, 0, 0, VKEY_RIGHT}, {XK_Home, 0, 0, VKEY_HOME},
        {XK_End, 0, 0, VKEY_END},    {XK_Up, 0, 0, VKEY_UP},       {XK_Down, 0, 0, VKEY_DOWN},
        {XK_Tab, 0, 0, VKEY_TAB},
    };
    for (const Case& c : cases) host->Key(window, c.sym, c.state);
    host->Key(window, XK_Shift_L, 0);  // a modifier alone is no key
    ASSERT_TRUE(Pump([&] { return view->keys.size() >= std::size(cases); }));
    Settle();
    ASSERT_EQ(view->keys.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(view->keys[i].character, cases[i].character) << "case " << i;
        EXPECT_EQ(view->keys[i].virt, cases[i].virt) << "case " << i;
    }
    EXPECT_EQ(view->keys[1].modifier, MODIFIER_SHIFT);
}

TEST_F(X11FrameTest, LosingTheKeyboardEndsTheFocusButOwnGrabsDoNot) {
    frame->setFocusView(view);
    host->Focus(window, false, NotifyGrab, NotifyNonlinear);
    host->Focus(window, false, NotifyNormal, NotifyInferior);
    Settle();
    EXPECT_EQ(view->focusLosses, 0);
    host->Focus(window, false, NotifyNormal, NotifyNonlinear);
    EXPECT_TRUE(Pump([&] { return view->focusLosses == 1; }));
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

TEST_F(X11FrameTest, TakesTheKeyboardFocusAndKnowsItsScreenPlace) {
    frame->getPlatformFrame()->takeKeyboardFocus();
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(host->dpy(), &focus, &revert);
    EXPECT_EQ(focus, window);
    EXPECT_EQ(frame->getPlatformFrame()->getScreenPosition(), CPoint(50, 60));
}

TEST_F(X11FrameTest, PopupIsAnOverrideRedirectWindowAtItsScreenPlaceWithItsOwnEvents) {
    RecordingPopup client;
    std::unique_ptr<IPlatformPopup> popup = frame->getPlatformFrame()->openPopup(CRect(400, 300, 480, 420), &client);
    ASSERT_NE(popup, nullptr);
    const Window popupWindow = dynamic_cast<X11Popup*>(popup.get())->getWindow();
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(host->dpy(), popupWindow, &attributes), 0);
    EXPECT_TRUE(attributes.override_redirect);
    EXPECT_EQ(attributes.map_state, IsViewable);
    EXPECT_EQ(host->ParentOf(popupWindow), DefaultRootWindow(host->dpy()));
    EXPECT_EQ(attributes.x, 400);
    EXPECT_EQ(attributes.y, 300);
    EXPECT_EQ(attributes.width, 80);
    EXPECT_EQ(attributes.height, 120);
    EXPECT_GE(client.draws, 1);
    EXPECT_EQ(host->Pixel(DefaultRootWindow(host->dpy()), 440, 360), kFillPixel);

    // While it shows, the pointer belongs to it: no one else can grab it.
    EXPECT_EQ(XGrabPointer(host->dpy(), parent, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None, None,
                           CurrentTime),
              AlreadyGrabbed);

    host->Button(popupWindow, 10, 25, Button1, true);
    host->Motion(popupWindow, 12, 40, Button1Mask);
    host->Button(popupWindow, 12, 40, Button1, false, Button1Mask);
    host->Key(popupWindow, XK_Down, 0);
    ASSERT_TRUE(Pump([&] { return !client.ups.empty() && !client.keys.empty(); }));
    ASSERT_EQ(client.downs.size(), 1u);
    EXPECT_EQ(client.downs[0].where, CPoint(10, 25));
    EXPECT_EQ(client.downs[0].buttons, kLButton);
    EXPECT_EQ(client.moves.back(), CPoint(12, 40));
    EXPECT_EQ(client.ups.back(), CPoint(12, 40));
    EXPECT_EQ(client.keys[0].virt, VKEY_DOWN);
    // Keys typed into the frame while the pop-up shows are the pop-up's too.
    host->Key(window, XK_Return, 0);
    ASSERT_TRUE(Pump([&] { return client.keys.size() >= 2; }));
    EXPECT_EQ(client.keys[1].virt, VKEY_RETURN);
    EXPECT_TRUE(view->keys.empty());

    // A press elsewhere (reported to the grabbing pop-up outside its area) dismisses it.
    client.onDismiss = [&] { popup.reset(); };
    host->Button(popupWindow, -30, 200, Button1, true);
    ASSERT_TRUE(Pump([&] { return client.dismissals == 1; }));
    EXPECT_EQ(popup, nullptr);
    XSync(host->dpy(), False);
    EXPECT_EQ(XGrabPointer(host->dpy(), parent, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None, None,
                           CurrentTime),
              GrabSuccess);
    XUngrabPointer(host->dpy(), CurrentTime);
}

TEST_F(X11FrameTest, PressOnTheFrameWhilePopupShowsOnlyDismissesIt) {
    RecordingPopup client;
    auto popup = frame->getPlatformFrame()->openPopup(CRect(400, 300, 480, 420), &client);
    ASSERT_NE(popup, nullptr);
    host->Button(window, 20, 20, Button1, true);
    ASSERT_TRUE(Pump([&] { return client.dismissals == 1; }));
    EXPECT_TRUE(view->downs.empty());
}

TEST(X11Frames, OpenCloseOpenLeavesNothingBehind) {
    REQUIRE_DISPLAY();
    SetPlatformFrameFactory(nullptr);
    xtest::HostConnection host;
    ASSERT_NE(host.dpy(), nullptr);
    const Window parent = host.MakeParent(0, 0, 520, 420);
    NoEditor editor;
    for (int i = 0; i < 50; ++i) {
        // The editor's size, redrawn in parts as the editor's idle does.
        auto* frame = new CFrame(CRect(0, 0, 504, 404), reinterpret_cast<void*>(parent), &editor);
        ASSERT_NE(frame->getPlatformFrame()->getNativeWindow(), 0u) << "round " << i;
        frame->addView(new RecordingView(CRect(0, 0, 504, 404)));
        for (int part = 0; part < 5; ++part) {
            frame->invalidRect(CRect(part * 80, part * 60, part * 80 + 120, part * 60 + 90));
            frame->idle();
        }
        EXPECT_EQ(host.Pixel(frame->getPlatformFrame()->getNativeWindow(), 500, 400), kFillPixel);
        EXPECT_EQ(X11Display::References(), 1);
        delete frame;
        EXPECT_EQ(X11Display::References(), 0) << "round " << i;
        XSync(host.dpy(), False);
        EXPECT_EQ(host.ChildCount(parent), 0) << "round " << i;
    }
    XDestroyWindow(host.dpy(), parent);
}

TEST(X11Frames, TwoFramesShareOneConnection) {
    REQUIRE_DISPLAY();
    SetPlatformFrameFactory(nullptr);
    xtest::HostConnection host;
    ASSERT_NE(host.dpy(), nullptr);
    const Window parent = host.MakeParent(0, 0, 320, 240);
    NoEditor editor;
    auto* first = new CFrame(CRect(0, 0, 100, 100), reinterpret_cast<void*>(parent), &editor);
    auto* second = new CFrame(CRect(0, 0, 100, 100), reinterpret_cast<void*>(parent), &editor);
    EXPECT_EQ(X11Display::References(), 2);
    delete first;
    EXPECT_EQ(X11Display::References(), 1);
    second->idle();
    delete second;
    EXPECT_EQ(X11Display::References(), 0);
    XDestroyWindow(host.dpy(), parent);
}

TEST(X11Frames, AParentThatDoesNotExistGivesNoX11Window) {
    REQUIRE_DISPLAY();
    SetPlatformFrameFactory(nullptr);
    NoEditor editor;
    // An id no client has made: the process must not die of the X error.
    auto* frame = new CFrame(CRect(0, 0, 100, 100), reinterpret_cast<void*>(0x3ffffffUL), &editor);
    EXPECT_NE(HeadlessPlatformFrame::Of(frame), nullptr);
    EXPECT_EQ(X11Display::References(), 0);
    delete frame;
}

TEST(X11Frames, HostDestroyingTheParentBeforeCloseIsSurvived) {
    REQUIRE_DISPLAY();
    SetPlatformFrameFactory(nullptr);
    xtest::HostConnection host;
    ASSERT_NE(host.dpy(), nullptr);
    const Window parent = host.MakeParent(0, 0, 320, 240);
    NoEditor editor;
    auto* frame = new CFrame(CRect(0, 0, 300, 200), reinterpret_cast<void*>(parent), &editor);
    frame->idle();
    XDestroyWindow(host.dpy(), parent);
    XSync(host.dpy(), False);
    frame->invalid();
    frame->idle();  // learns that the window is gone; draws nothing there
    delete frame;   // and destroys nothing twice
    EXPECT_EQ(X11Display::References(), 0);
}

}  // namespace
