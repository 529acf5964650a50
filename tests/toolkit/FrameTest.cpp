// The frame: batching of invalid areas, redraw of dirty views on idle, ownership of views, mouse
// routing and capture, and the scale factor between device pixels and frame pixels.
#include <cmath>

#include "FrameHarness.h"
#include "toolkit/COnOffButton.h"

namespace {

// Counts its own end, to see who deletes views.
struct Mortal : CView {
    explicit Mortal(int* deaths) : CView(CRect(0, 0, 10, 10)), deaths(deaths) {}
    ~Mortal() override { ++*deaths; }
    int* deaths;
};

using FrameTest = HeadlessFrameTest;

TEST_F(FrameTest, IdleDrawsDirtyViewsAndInvalidAreasOnceAsOneClippedArea) {
    CBitmap* pictures = MakeStrip({kBlack, kWhite}, 20, 20);
    auto* control = add(new COnOffButton(CRect(10, 10, 30, 30), nullptr, 1, pictures));
    pictures->forget();
    auto* right = add(new Probe(CRect(50, 30, 70, 40), kBlueCColor));
    auto* apart = add(new Probe(CRect(150, 100, 160, 110), kGreenCColor));
    frame->idle();
    platform->resetPresented();
    frame->idle();
    EXPECT_EQ(platform->presentCount(), 0) << "nothing changed, nothing shown";
    control->setValue(1.f);
    frame->idle();
    frame->idle();
    EXPECT_EQ(platform->presentCount(), 1);
    EXPECT_EQ(platform->presentedArea(), CRect(10, 10, 30, 30));
    EXPECT_EQ(platform->pixel(15, 15), kWhite);

    platform->resetPresented();
    const int apartDraws = apart->draws;
    control->invalid();
    right->invalid();
    frame->idle();
    EXPECT_EQ(platform->presentCount(), 1);
    EXPECT_EQ(platform->presentedArea(), CRect(10, 10, 70, 40));
    EXPECT_EQ(apart->draws, apartDraws) << "a view outside the area is not drawn";
    frame->invalidRect(CRect(-50, -50, 5000, 5));
    frame->idle();
    EXPECT_EQ(platform->presentedArea(), CRect(0, 0, kWidth, 40));
}

TEST_F(FrameTest, LaterViewsLieOnTopOfEarlierOnesAndOfTheBackground) {
    CBitmap* back = MakeStrip({kRed}, kWidth, kHeight);
    frame->setBackground(back);
    back->forget();
    add(new Probe(CRect(10, 10, 50, 50), kGreenCColor));
    add(new Probe(CRect(30, 30, 70, 70), kBlueCColor));
    auto* hidden = add(new Probe(CRect(0, 0, 200, 150), kWhiteCColor));
    hidden->setVisible(false);
    EXPECT_EQ(platform->pixel(5, 5), kRed);
    EXPECT_EQ(platform->pixel(15, 15), kGreen);
    EXPECT_EQ(platform->pixel(40, 40), kBlue);
    EXPECT_EQ(hidden->draws, 0);
    hidden->setVisible(true);
    EXPECT_EQ(platform->pixel(5, 5), kWhite);
}

TEST(FrameViews, DieWithTheFrameAndRemoveViewForgetsUnlessAskedNot) {
    int deaths = 0;
    auto* own = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    auto *kept = new Mortal(&deaths), *loose = new Mortal(&deaths), *dropped = new Mortal(&deaths);
    for (CView* view : {kept, loose, dropped, new Mortal(&deaths)}) own->addView(view);
    EXPECT_FALSE(own->addView(kept)) << "a view is added once";
    kept->remember();  // someone else holds it too
    EXPECT_TRUE(own->removeView(loose, false));
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

TEST_F(FrameTest, TheViewTakingTheDownKeepsTheMouseUntilTheUpUnlessItWantsNoMoves) {
    add(new Probe(CRect(10, 10, 50, 50), kRedCColor, &events, "a"));
    add(new Probe(CRect(60, 10, 100, 50), kBlueCColor, &events, "b"));
    add(new Probe(CRect(120, 10, 160, 50), kBlueCColor, &events, "c", kMouseDownEventHandledButDontNeedMovedOrUpEvents));
    platform->mouseDown(CPoint(20, 20));
    platform->mouseMoved(CPoint(70, 20));
    platform->mouseUp(CPoint(80, 30));
    platform->mouseMoved(CPoint(80, 30), 0);
    platform->mouseMoved(CPoint(150, 120), 0);  // over nothing
    platform->mouseDown(CPoint(130, 20));
    platform->mouseMoved(CPoint(135, 25));
    platform->mouseUp(CPoint(135, 25));
    platform->mouseDown(CPoint(150, 120));  // a drag from nowhere reaches nobody
    platform->mouseMoved(CPoint(20, 20));
    platform->mouseUp(CPoint(20, 20));
    EXPECT_EQ(events, (Log{"a down 20,20 b2", "a move 70,20 b2", "a up 80,30", "b move 80,30", "c down 130,20 b2"}));
}

TEST_F(FrameTest, ClicksPassViewsThatDoNotWantThemAndSkipHiddenOrDisabledOnesKeysGoToTheFocusView) {
    const CRect all(0, 0, 100, 100);
    add(new Probe(all, kRedCColor, &events, "below", kMouseEventNotHandled));
    auto* middle = add(new Probe(all, kRedCColor, &events, "middle"));
    add(new CView(all));  // decoration on top: not implemented, lets it through
    add(new Probe(all, kRedCColor, &events, "hidden"))->setVisible(false);
    auto* disabled = add(new Probe(all, kRedCColor, &events, "disabled"));
    disabled->setMouseEnabled(false);
    platform->click(CPoint(5, 5));
    EXPECT_EQ(frame->getViewAt(CPoint(5, 5)), disabled) << "getViewAt ignores mouse enabling, not visibility";

    VstKeyCode key{'x', 0, 0};
    EXPECT_FALSE(platform->keyDown(key)) << "no focus view: the host may have the key";
    frame->setFocusView(middle);
    auto* stranger = new Probe(CRect(0, 0, 1, 1), kRedCColor);
    frame->setFocusView(stranger);  // not a child: refused
    stranger->forget();
    EXPECT_TRUE(platform->keyDown(key));
    EXPECT_EQ(events, (Log{"middle down 5,5 b2", "middle up 5,5", "middle key 120,0"}));
}

TEST_F(FrameTest, ScaleFactorTwoDoublesTheBufferAndHalvesDeviceCoordinates) {
    add(new Probe(CRect(10, 10, 30, 30), kBlueCColor, &events));
    frame->setScaleFactor(2.0);
    EXPECT_EQ(cairo_image_surface_get_width(frame->getBackBuffer()), 2 * kWidth);
    EXPECT_EQ(platform->pixel(29, 29), kBlue);
    EXPECT_EQ(platform->pixel(30, 30), kBlack);
    frame->platformOnMouseDown(41.0, 41.0, kLButton);
    frame->platformOnMouseDown(60.0, 60.0, kLButton);  // frame (30, 30): just outside
    // Densities no screen has, and coordinates that are not numbers, change nothing.
    for (double bad : {0.0, -1.0, 100.0, std::nan("")}) frame->setScaleFactor(bad);
    EXPECT_EQ(frame->getScaleFactor(), 2.0);
    frame->platformOnMouseDown(std::nan(""), 20.0, kLButton);
    EXPECT_EQ(events, (Log{"probe down 20,20 b2"}));
}

}  // namespace
