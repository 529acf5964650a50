// Kick button, on/off switch and animated knob, driven through a headless frame
// the way a window system would drive them.
#include <limits>

#include "FrameHarness.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CKickButton.h"
#include "toolkit/COnOffButton.h"

namespace {

using Values = std::vector<float>;
using ControlTest = HeadlessFrameTest;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST_F(ControlTest, KickButtonReportsOneThenZeroOnAReleaseOverItAndOnlyZeroOffIt) {
    CBitmap* pictures = MakeStrip({kRed, kGreen}, 20, 10);
    add(new CKickButton(CRect(40, 40, 60, 50), &recorder, 9, 10, pictures));
    pictures->forget();
    platform->click(CPoint(45, 45), kRButton);
    EXPECT_TRUE(recorder.log.empty());
    platform->click(CPoint(45, 45));
    EXPECT_EQ(recorder.values(), (Values{1.f, 0.f}));
    EXPECT_EQ(recorder.log, Recorder::Gesture(9, 2));

    // The picture follows whether the pointer is on the button; nothing is said while it is held.
    recorder.log.clear();
    const struct { CPoint where; uint32_t colour; } path[] = {{CPoint(80, 45), kRed}, {CPoint(59, 49), kGreen}, {CPoint(120, 100), kRed}};
    platform->mouseDown(CPoint(45, 45));
    for (const auto& step : path) {
        platform->mouseMoved(step.where);
        EXPECT_EQ(platform->pixel(50, 45), step.colour) << step.where.h;
    }
    EXPECT_EQ(recorder.reports.size(), 2u);
    platform->mouseUp(CPoint(120, 100));
    EXPECT_EQ(recorder.values(), (Values{1.f, 0.f, 0.f}));
    EXPECT_EQ(recorder.log, Recorder::Gesture(9, 1));
}

TEST_F(ControlTest, OnOffButtonFlipsOnEachLeftClickAndShowsItsValue) {
    CBitmap* pictures = MakeStrip({kRed, kBlue}, 30, 12);
    auto* toggle = add(new COnOffButton(CRect(10, 10, 40, 22), &recorder, 6, pictures));
    pictures->forget();
    platform->click(CPoint(20, 15), kRButton);
    EXPECT_TRUE(recorder.log.empty());
    for (float expected : {1.f, 0.f}) {
        recorder.log.clear();
        platform->click(CPoint(20, 15));
        EXPECT_EQ(toggle->getValue(), expected);
        EXPECT_EQ(platform->pixel(20, 15), expected == 1.f ? kBlue : kRed);
        EXPECT_EQ(recorder.log, Recorder::Gesture(6, 1));
    }
}

class KnobTest : public HeadlessFrameTest {
protected:
    void SetUp() override {
        HeadlessFrameTest::SetUp();
        knob = add(new CAnimKnob(CRect(60, 40, 100, 80), &recorder, 17, 65, 40, nullptr));  // centre (80, 60)
        knob->setValue(0.2f);
    }
    CAnimKnob* knob = nullptr;
};

TEST_F(KnobTest, LinearDragTakesTwoHundredPixelsForTheRangeClampsAndReportsOnlyChanges) {
    platform->mouseDown(CPoint(80, 60));
    const struct { CPoint where; float value; } path[] = {{CPoint(80, 60), 0.2f}, {CPoint(80, -40), 0.7f}, {CPoint(80, -200), 1.f},
                {CPoint(100, -300), 1.f} /* rightwards raises too */, {CPoint(80, 150), 0.f}};
    for (const auto& step : path) {
        platform->mouseMoved(step.where);
        EXPECT_FLOAT_EQ(knob->getValue(), step.value) << step.where.h << "," << step.where.v;
    }
    platform->mouseUp(CPoint(80, 150));
    EXPECT_EQ(recorder.log, Recorder::Gesture(17, 3));
}

TEST_F(KnobTest, ShiftDragsTenTimesFinerAndTogglingShiftDoesNotJump) {
    const struct {
        CCoord y;
        long buttons;
        float value;
    } path[] = {{-40, kLButton | kShift, 0.25f}, {-40, kLButton, 0.25f}, {-60, kLButton, 0.35f},
                {-60, kLButton | kShift, 0.35f}, {-160, kLButton | kShift, 0.4f}};
    platform->mouseDown(CPoint(80, 60), kLButton | kShift);
    for (const auto& step : path) {
        platform->mouseMoved(CPoint(80, step.y), step.buttons);
        EXPECT_FLOAT_EQ(knob->getValue(), step.value) << step.y;
    }
}

TEST_F(KnobTest, CircularModesTakeTheAngleFromSevenToFiveOClockOrAddTheTurn) {
    recorder.knobMode = kCircularMode;
    const struct { CPoint where; float value; } cases[] = {{CPoint(80, 40), 0.5f}, {CPoint(99, 60), 0.8f}, {CPoint(60, 60), 0.2f},
                 {CPoint(79, 79), 0.f} /* just left of 6 o'clock */, {CPoint(81, 79), 1.f}};
    for (const auto& c : cases) {
        platform->click(c.where);
        EXPECT_NEAR(knob->getValue(), c.value, 0.01f) << c.where.h << "," << c.where.v;
    }
    recorder.knobMode = kRelativCircularMode;
    knob->setValue(0.2f);
    platform->mouseDown(CPoint(80, 40));  // 12 o'clock, far from where 0.2 sits: no jump
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
    platform->mouseMoved(CPoint(100, 60));  // a quarter turn clockwise
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5f);

    // A frame without an editor has no knob mode to ask: circular.
    CFrame bare(CRect(0, 0, 120, 120), nullptr, nullptr);
    auto* lone = new CAnimKnob(CRect(60, 40, 100, 80), nullptr, 1, 65, 40, nullptr);
    bare.addView(lone);
    CPoint threeOClock(99, 60);
    bare.onMouseDown(threeOClock, kLButton);
    EXPECT_NEAR(lone->getValue(), 0.8f, 0.01f);
}

TEST_F(KnobTest, RightClicksAreTheListenersAndDoubleClickRestoresTheDefault) {
    platform->click(CPoint(80, 40), kRButton);
    EXPECT_EQ(recorder.log, Log{"modifier " + std::to_string(kRButton)}) << "no gesture";
    recorder.log.clear();
    knob->setDefaultValue(0.25f);
    platform->click(CPoint(80, 40), kLButton | kDoubleClick);
    EXPECT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(recorder.log, Recorder::Gesture(17, 1));
}

TEST_F(KnobTest, WheelAndArrowKeysStepInsideOneBracketEach) {
    knob->setValue(0.5f);
    EXPECT_TRUE(frame->onWheel(CPoint(80, 60), 1.f, 0));
    EXPECT_TRUE(frame->onWheel(CPoint(80, 60), -2.f, kShift));
    EXPECT_FALSE(frame->onWheel(CPoint(80, 60), kNaN, 0));
    VstKeyCode up{0, VKEY_UP, 0};
    EXPECT_EQ(knob->onKeyDown(up), 1);
    EXPECT_EQ(recorder.log.size(), 3 * Recorder::Gesture(17, 1).size());
    EXPECT_FLOAT_EQ(knob->getValue(), 0.68f);  // 0.5 + 0.1 - 0.02 + 0.1
}

TEST_F(ControlTest, KnobPictureIsTheRoundedShareOfTheRange) {
    CBitmap* strip = MakeStrip({kRed, kGreen, kBlue}, 20, 20);
    auto* knob = add(new CAnimKnob(CRect(10, 10, 30, 30), nullptr, 2, 3, 20, strip));
    strip->forget();
    const struct {
        float value;
        uint32_t colour;
    } cases[] = {{0.24f, kRed}, {0.26f, kGreen}, {0.74f, kGreen}, {0.76f, kBlue}, {7.f, kBlue}, {kNaN, kRed}};
    for (const auto& c : cases) {
        knob->setValue(c.value);
        EXPECT_EQ(platform->pixel(20, 20), c.colour) << "value " << c.value;
    }
    knob->setMin(0.5f);
    knob->setMax(0.5f);  // an empty range shows the first picture
    knob->setValue(0.3f);
    EXPECT_EQ(platform->pixel(20, 20), kRed);
}

}  // namespace
