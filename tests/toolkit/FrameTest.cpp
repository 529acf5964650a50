// The frame: batching of invalid areas, redraw of dirty views on idle, ownership of views, mouse
// routing and capture, and the scale factor between device pixels and frame pixels.
#include <gtest/gtest.h>

#include <cairo.h>

#include <limits>
#include <string>
#include <vector>

#include "FrameHarness.h"

namespace {

// A view painting one colour, recording the mouse events it gets and its own end.
class Probe : public CView {
public:
    Probe(const CRect& size, CColor colour, std::vector<std::string>* events = nullptr, int* deaths = nullptr,
          CMouseEventResult downResult = kMouseEventHandled)
        : CView(size), colour(colour), events(events), deaths(deaths), downResult(downResult) {}
    ~Probe() override {
        if (deaths != nullptr) ++*deaths;
    }
    void draw(CDrawContext* context) override {
        ++draws;
        context->setFillColor(colour);
        context->fillRect(size);
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override {
        record("down", where, buttons);
        return downResult;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override {
        record("move", where, buttons);
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override {
        record("up", where, buttons);
        return kMouseEventHandled;
    }
    long onKeyDown(VstKeyCode& key) override {
        if (events != nullptr) events->push_back(name + " key " + std::to_string(key.character));
        return 1;
    }

    std::string name = "probe";
    int draws = 0;

private:
    void record(const char* what, const CPoint& where, long buttons) {
        if (events == nullptr) return;
        events->push_back(name + " " + what + " " + std::to_string(where.h) + "," + std::to_string(where.v) +
                          (buttons != 0 ? " b" + std::to_string(buttons) : ""));
    }
    CColor colour;
    std::vector<std::string>* events;
    int* deaths;
    CMouseEventResult downResult;
};

// A control painting its value as a grey level.
class Level : public CControl {
public:
    explicit Level(const CRect& size) : CControl(size) {}
    void draw(CDrawContext* context) override {
        const auto grey = static_cast<unsigned char>(value * 255.f);
        context->setFillColor(MakeCColor(grey, grey, grey));
        context->fillRect(size);
        setDirty(false);
    }
};

using Events = std::vector<std::string>;

class FrameTest : public HeadlessFrameTest {};

TEST_F(FrameTest, DirtyControlIsRedrawnOnIdleAndNotAgainOnceClean) {
    auto* level = add(new Level(CRect(10, 10, 30, 30)));
    frame->idle();
    platform->resetPresented();
    frame->idle();
    EXPECT_EQ(platform->presentCount(), 0) << "nothing changed, nothing shown";

    level->setValue(1.f);
    EXPECT_TRUE(level->isDirty());
    frame->idle();
    EXPECT_EQ(platform->presentCount(), 1);
    EXPECT_EQ(platform->presentedArea(), CRect(10, 10, 30, 30));
    EXPECT_FALSE(level->isDirty());
    EXPECT_EQ(platform->pixel(15, 15), kOpaqueWhite);

    frame->idle();
    EXPECT_EQ(platform->presentCount(), 1);

    level->setDirty(true);  // raised by hand, same value
    frame->idle();
    EXPECT_EQ(platform->presentCount(), 2);
}

TEST_F(FrameTest, InvalidRectanglesAreDrawnOnceAsOneArea) {
    auto* left = add(new Probe(CRect(10, 10, 20, 20), kRedCColor));
    auto* right = add(new Probe(CRect(50, 30, 70, 40), kBlueCColor));
    auto* apart = add(new Probe(CRect(150, 100, 160, 110), kGreenCColor));
    frame->idle();
    platform->resetPresented();
    const int leftDraws = left->draws;
    const int apartDraws = apart->draws;

    left->invalid();
    right->invalid();
    frame->idle();
    EXPECT_EQ(platform->presentCount(), 1);
    EXPECT_EQ(platform->presentedArea(), CRect(10, 10, 70, 40));
    EXPECT_EQ(left->draws, leftDraws + 1);
    EXPECT_EQ(apart->draws, apartDraws) << "a view outside the area is not drawn";

    frame->invalidRect(CRect(-50, -50, 5000, 5));  // clipped to the frame
    frame->idle();
    EXPECT_EQ(platform->presentedArea(), CRect(0, 0, kWidth, 40));
}

TEST_F(FrameTest, LaterViewsLieOnTopOfEarlierOnesAndOfTheBackground) {
    CBitmap* back = MakeStrip({kOpaqueRed}, kWidth, kHeight);
    frame->setBackground(back);
    back->forget();
    add(new Probe(CRect(10, 10, 50, 50), kGreenCColor));
    add(new Probe(CRect(30, 30, 70, 70), kBlueCColor));
    auto* hidden = add(new Probe(CRect(0, 0, 200, 150), kWhiteCColor));
    hidden->setVisible(false);

    EXPECT_EQ(platform->pixel(5, 5), kOpaqueRed);
    EXPECT_EQ(platform->pixel(15, 15), kOpaqueGreen);
    EXPECT_EQ(platform->pixel(40, 40), kOpaqueBlue);
    EXPECT_EQ(platform->pixel(60, 60), kOpaqueBlue);
    EXPECT_EQ(hidden->draws, 0);
    hidden->setVisible(true);
    EXPECT_EQ(platform->pixel(5, 5), kOpaqueWhite);
}

TEST_F(FrameTest, ViewsDieWithTheFrameAndRemoveViewForgetsUnlessAskedNot) {
    int deaths = 0;
    auto* own = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    auto* kept = new Probe(CRect(0, 0, 10, 10), kRedCColor, nullptr, &deaths);
    auto* loose = new Probe(CRect(0, 0, 10, 10), kRedCColor, nullptr, &deaths);
    auto* dropped = new Probe(CRect(0, 0, 10, 10), kRedCColor, nullptr, &deaths);
    own->addView(kept);
    own->addView(loose);
    own->addView(dropped);
    own->addView(new Probe(CRect(0, 0, 10, 10), kRedCColor, nullptr, &deaths));
    EXPECT_FALSE(own->addView(kept)) << "a view is added once";
    EXPECT_EQ(own->getNbViews(), 4);

    kept->remember();  // someone else holds it too
    EXPECT_TRUE(own->removeView(loose, false));
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(loose->getFrame(), nullptr);
    EXPECT_TRUE(own->removeView(dropped));
    EXPECT_EQ(deaths, 1);
    EXPECT_FALSE(own->removeView(dropped)) << "not a child any more";

    delete own;
    EXPECT_EQ(deaths, 2) << "the frame's views but the one held elsewhere";
    EXPECT_EQ(kept->getFrame(), nullptr);
    kept->forget();
    loose->forget();
    EXPECT_EQ(deaths, 4);
}

TEST_F(FrameTest, TheViewTakingTheDownKeepsTheMouseUntilTheUp) {
    Events events;
    auto* a = add(new Probe(CRect(10, 10, 50, 50), kRedCColor, &events));
    auto* b = add(new Probe(CRect(60, 10, 100, 50), kBlueCColor, &events));
    a->name = "a";
    b->name = "b";

    platform->mouseDown(CPoint(20, 20));
    platform->mouseMoved(CPoint(70, 20));
    platform->mouseUp(CPoint(80, 30));
    platform->mouseMoved(CPoint(80, 30), 0);
    platform->mouseMoved(CPoint(150, 120), 0);  // over nothing
    EXPECT_EQ(events, (Events{"a down 20,20 b2", "a move 70,20 b2", "a up 80,30", "b move 80,30"}));
}

TEST_F(FrameTest, AViewThatNeedsNoMovesIsNotCapturedAndDragsFromNowhereReachNobody) {
    Events events;
    auto* a = add(new Probe(CRect(10, 10, 50, 50), kRedCColor, &events, nullptr,
                            kMouseDownEventHandledButDontNeedMovedOrUpEvents));
    a->name = "a";
    platform->mouseDown(CPoint(20, 20));
    platform->mouseMoved(CPoint(25, 25));
    platform->mouseUp(CPoint(25, 25));
    platform->mouseDown(CPoint(150, 120));
    platform->mouseMoved(CPoint(20, 20));
    platform->mouseUp(CPoint(20, 20));
    EXPECT_EQ(events, (Events{"a down 20,20 b2"}));
}

TEST_F(FrameTest, ClicksPassViewsThatDoNotWantThemAndSkipHiddenOrDisabledOnes) {
    Events events;
    auto* below = add(new Probe(CRect(0, 0, 100, 100), kRedCColor, &events, nullptr, kMouseEventNotHandled));
    auto* middle = add(new Probe(CRect(0, 0, 100, 100), kRedCColor, &events));
    add(new CView(CRect(0, 0, 100, 100)));  // decoration on top: not implemented, lets it through
    auto* hidden = add(new Probe(CRect(0, 0, 100, 100), kRedCColor, &events));
    auto* disabled = add(new Probe(CRect(0, 0, 100, 100), kRedCColor, &events));
    below->name = "below";
    middle->name = "middle";
    hidden->name = "hidden";
    disabled->name = "disabled";
    hidden->setVisible(false);
    disabled->setMouseEnabled(false);

    platform->click(CPoint(5, 5));
    EXPECT_EQ(events, (Events{"middle down 5,5 b2", "middle up 5,5"}));
    EXPECT_EQ(frame->getViewAt(CPoint(5, 5)), disabled) << "getViewAt ignores mouse enabling, not visibility";
}

TEST_F(FrameTest, KeysGoToTheFocusViewOnly) {
    Events events;
    auto* a = add(new Probe(CRect(10, 10, 50, 50), kRedCColor, &events));
    VstKeyCode key{'x', 0, 0};
    EXPECT_FALSE(platform->keyDown(key)) << "no focus view: the host may have the key";
    frame->setFocusView(a);
    EXPECT_TRUE(platform->keyDown(key));
    auto* stranger = new Probe(CRect(0, 0, 1, 1), kRedCColor);
    frame->setFocusView(stranger);  // not a child: refused
    EXPECT_EQ(frame->getFocusView(), a);
    stranger->forget();
    EXPECT_EQ(events, (Events{"probe key 120"}));
}

TEST_F(FrameTest, ScaleFactorTwoDoublesTheBufferAndHalvesDeviceCoordinates) {
    Events events;
    auto* probe = add(new Probe(CRect(10, 10, 30, 30), kBlueCColor, &events));
    frame->setScaleFactor(2.0);
    EXPECT_EQ(cairo_image_surface_get_width(frame->getBackBuffer()), 2 * kWidth);
    EXPECT_EQ(cairo_image_surface_get_height(frame->getBackBuffer()), 2 * kHeight);
    EXPECT_EQ(platform->pixel(29, 29), kOpaqueBlue);
    EXPECT_EQ(platform->pixel(30, 30), kOpaqueBlack);

    frame->platformOnMouseDown(41.0, 41.0, kLButton);
    frame->platformOnMouseUp(41.0, 41.0, 0);
    frame->platformOnMouseDown(60.0, 60.0, kLButton);  // frame (30, 30): just outside
    frame->platformOnMouseUp(60.0, 60.0, 0);
    EXPECT_EQ(events, (Events{"probe down 20,20 b2", "probe up 20,20"}));
    EXPECT_EQ(probe->getFrame(), frame);

    // Densities no screen has, and coordinates that are not numbers, change nothing.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double bad : {0.0, -1.0, 100.0, nan}) frame->setScaleFactor(bad);
    EXPECT_EQ(frame->getScaleFactor(), 2.0);
    frame->platformOnMouseDown(nan, 20.0, kLButton);
    frame->platformOnMouseDown(std::numeric_limits<double>::infinity(), 20.0, kLButton);
    EXPECT_EQ(events.size(), 2u);
}

}  // namespace
