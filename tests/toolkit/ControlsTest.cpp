// Kick button, on/off switch, animated knob and parameter display, driven through a headless frame
// the way a window system would drive them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "FrameHarness.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CKickButton.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CParamDisplay.h"

namespace {

using Log = std::vector<std::string>;

// ---- kick button --------------------------------------------------------------------------------

class KickButtonTest : public HeadlessFrameTest {
protected:
    void SetUp() override {
        HeadlessFrameTest::SetUp();
        CBitmap* pictures = MakeStrip({kOpaqueRed, kOpaqueGreen}, 20, 10);
        button = add(new CKickButton(CRect(40, 40, 60, 50), &recorder, 9, 10, pictures));
        pictures->forget();
    }
    CKickButton* button = nullptr;
};

TEST_F(KickButtonTest, ReleaseOnTheButtonReportsOneThenZeroInsideOneGesture) {
    platform->click(CPoint(45, 45));
    EXPECT_EQ(recorder.values(), (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(recorder.log, (Log{"listener begin 9", "editor begin 9", "change 9", "change 9", "editor end 9",
                                 "listener end 9"}));
    EXPECT_EQ(button->getValue(), 0.f);
}

TEST_F(KickButtonTest, ReleaseOffTheButtonReportsOnlyZero) {
    platform->mouseDown(CPoint(45, 45));
    EXPECT_TRUE(recorder.reports.empty()) << "nothing is reported while the button is held";
    platform->mouseMoved(CPoint(120, 100));
    platform->mouseUp(CPoint(120, 100));
    EXPECT_EQ(recorder.values(), (std::vector<float>{0.f}));
    EXPECT_EQ(recorder.log, (Log{"listener begin 9", "editor begin 9", "change 9", "editor end 9", "listener end 9"}));
}

TEST_F(KickButtonTest, PictureFollowsWhetherThePointerIsOnTheButton) {
    EXPECT_EQ(platform->pixel(50, 45), kOpaqueRed);
    platform->mouseDown(CPoint(45, 45));
    EXPECT_EQ(platform->pixel(50, 45), kOpaqueGreen);
    platform->mouseMoved(CPoint(80, 45));
    EXPECT_EQ(platform->pixel(50, 45), kOpaqueRed);
    platform->mouseMoved(CPoint(59, 49));
    EXPECT_EQ(platform->pixel(50, 45), kOpaqueGreen);
    platform->mouseUp(CPoint(59, 49));
    EXPECT_EQ(platform->pixel(50, 45), kOpaqueRed);
    EXPECT_EQ(recorder.values(), (std::vector<float>{1.f, 0.f}));
}

TEST_F(KickButtonTest, RightButtonAndKeysOtherThanReturnDoNothing) {
    platform->click(CPoint(45, 45), kRButton);
    VstKeyCode letter{'a', 0, 0};
    EXPECT_EQ(button->onKeyDown(letter), -1);
    EXPECT_TRUE(recorder.log.empty());

    VstKeyCode enter{0, VKEY_RETURN, 0};
    EXPECT_EQ(button->onKeyDown(enter), 1);
    EXPECT_EQ(recorder.values(), (std::vector<float>{1.f, 0.f}));
}

// ---- on/off switch --------------------------------------------------------------------------------

class OnOffButtonTest : public HeadlessFrameTest {};

TEST_F(OnOffButtonTest, EachClickFlipsReportsAndShowsTheValue) {
    CBitmap* pictures = MakeStrip({kOpaqueRed, kOpaqueBlue}, 30, 12);
    auto* toggle = add(new COnOffButton(CRect(10, 10, 40, 22), &recorder, 6, pictures));
    pictures->forget();

    EXPECT_EQ(platform->pixel(20, 15), kOpaqueRed);
    platform->click(CPoint(20, 15));
    EXPECT_EQ(toggle->getValue(), 1.f);
    EXPECT_EQ(platform->pixel(20, 15), kOpaqueBlue);
    platform->click(CPoint(20, 15));
    EXPECT_EQ(toggle->getValue(), 0.f);
    EXPECT_EQ(platform->pixel(20, 15), kOpaqueRed);

    EXPECT_EQ(recorder.values(), (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(recorder.log, (Log{"listener begin 6", "editor begin 6", "change 6", "editor end 6", "listener end 6",
                                 "listener begin 6", "editor begin 6", "change 6", "editor end 6", "listener end 6"}));
}

TEST_F(OnOffButtonTest, RightClickLeavesItAlone) {
    auto* toggle = add(new COnOffButton(CRect(10, 10, 40, 22), &recorder, 6, nullptr));
    platform->click(CPoint(20, 15), kRButton);
    EXPECT_EQ(toggle->getValue(), 0.f);
    EXPECT_TRUE(recorder.log.empty());
}

// ---- knob -------------------------------------------------------------------------------------------

class KnobTest : public HeadlessFrameTest {
protected:
    const CRect kPlace{60, 40, 100, 80};  // centre (80, 60)

    void SetUp() override {
        HeadlessFrameTest::SetUp();
        knob = add(new CAnimKnob(kPlace, &recorder, 17, 65, 40, nullptr));
    }
    void drag(std::initializer_list<std::pair<CPoint, long>> moves) {
        for (const auto& [where, buttons] : moves) platform->mouseMoved(where, buttons);
    }
    CAnimKnob* knob = nullptr;
};

TEST_F(KnobTest, LinearDragUpHalfOfTwoHundredPixelsAddsHalfTheRange) {
    knob->setValue(0.2f);
    platform->mouseDown(CPoint(80, 60));
    platform->mouseMoved(CPoint(80, -40));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.7f);
    platform->mouseUp(CPoint(80, -40));

    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_FLOAT_EQ(recorder.reports[0].value, 0.7f);
    EXPECT_EQ(recorder.log, (Log{"listener begin 17", "editor begin 17", "change 17", "editor end 17",
                                 "listener end 17"}));
}

TEST_F(KnobTest, LinearDragClampsAndReportsOnlyChanges) {
    knob->setValue(0.2f);
    platform->mouseDown(CPoint(80, 60));
    drag({{CPoint(80, 60), kLButton},     // no movement: nothing to say
          {CPoint(80, 40), kLButton},     // 0.3
          {CPoint(80, -200), kLButton},   // past the top: 1
          {CPoint(80, -300), kLButton},   // still 1
          {CPoint(100, -300), kLButton},  // rightwards raises too, but 1 is the top
          {CPoint(80, 150), kLButton}});  // 0.2 - 0.45 clamps to 0
    platform->mouseUp(CPoint(80, 150));
    const std::vector<float> values = recorder.values();
    ASSERT_EQ(values.size(), 3u);
    EXPECT_FLOAT_EQ(values[0], 0.3f);
    EXPECT_EQ(values[1], 1.f);
    EXPECT_EQ(values[2], 0.f);
}

TEST_F(KnobTest, ShiftDragsTenTimesFinerAndTogglingShiftDoesNotJump) {
    knob->setValue(0.2f);
    platform->mouseDown(CPoint(80, 60), kLButton | kShift);
    platform->mouseMoved(CPoint(80, -40), kLButton | kShift);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);

    // Shift released where the pointer stands: the value stays, coarse steps go on from there.
    platform->mouseMoved(CPoint(80, -40), kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    platform->mouseMoved(CPoint(80, -60), kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.35f);

    // And pressed again: fine from here.
    platform->mouseMoved(CPoint(80, -60), kLButton | kShift);
    platform->mouseMoved(CPoint(80, -160), kLButton | kShift);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.4f);
    platform->mouseUp(CPoint(80, -160));
    EXPECT_EQ(recorder.reports.size(), 3u);
}

TEST_F(KnobTest, CircularModeTakesTheAngleFromSevenToFiveOClock) {
    recorder.knobMode = kCircularMode;
    struct Case {
        CPoint where;
        float value;
    };
    const Case cases[] = {
        {CPoint(80, 40), 0.5f},    // 12 o'clock
        {CPoint(99, 60), 0.8f},    // 3 o'clock: 90 of 300 degrees past the middle
        {CPoint(60, 60), 0.2f},    // 9 o'clock
        {CPoint(79, 79), 0.f},     // just left of 6 o'clock: the start
        {CPoint(81, 79), 1.f},     // just right of it: the end
    };
    for (const Case& c : cases) {
        knob->setValue(0.5f);
        platform->mouseDown(c.where);
        platform->mouseUp(c.where);
        EXPECT_NEAR(knob->getValue(), c.value, 0.01f) << c.where.h << "," << c.where.v;
    }
}

TEST_F(KnobTest, RelativeCircularModeAddsTheTurnWithoutJumpingAtTheClick) {
    recorder.knobMode = kRelativCircularMode;
    knob->setValue(0.3f);
    platform->mouseDown(CPoint(80, 40));  // 12 o'clock, far from where 0.3 sits
    EXPECT_FLOAT_EQ(knob->getValue(), 0.3f);
    platform->mouseMoved(CPoint(100, 60), kLButton);  // a quarter turn clockwise
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-5f);
    platform->mouseMoved(CPoint(80, 40), kLButton);  // and back
    EXPECT_NEAR(knob->getValue(), 0.3f, 1e-5f);
    platform->mouseUp(CPoint(80, 40));
}

TEST_F(KnobTest, TheKnobModeComesFromTheEditorAndIsCircularWithoutOne) {
    // A knob in a frame without an editor: a click at 3 o'clock sets the circular value.
    SetPlatformFrameFactory(&HeadlessPlatformFrame::Create);
    auto* bare = new CFrame(CRect(0, 0, 120, 120), nullptr, nullptr);
    auto* lone = new CAnimKnob(kPlace, nullptr, 1, 65, 40, nullptr);
    bare->addView(lone);
    CPoint threeOClock(99, 60);
    bare->onMouseDown(threeOClock, kLButton);
    bare->onMouseUp(threeOClock, 0);
    EXPECT_NEAR(lone->getValue(), 0.8f, 0.01f);
    delete bare;
}

TEST_F(KnobTest, ModifierClickGoesToTheListenerFirst) {
    knob->setValue(0.4f);
    recorder.modifierAnswer = 1;
    platform->click(CPoint(80, 40), kLButton | kControl);
    EXPECT_EQ(recorder.modifierButtons, (std::vector<long>{kLButton | kControl}));
    EXPECT_TRUE(recorder.log.empty()) << "the listener took it: no gesture, no change";
    EXPECT_EQ(knob->getValue(), 0.4f);

    recorder.modifierAnswer = 0;
    platform->click(CPoint(80, 40), kRButton);
    EXPECT_EQ(recorder.modifierButtons.size(), 2u);
    EXPECT_TRUE(recorder.log.empty()) << "a right click that nobody takes does not turn the knob";
}

TEST_F(KnobTest, DoubleClickRestoresTheDefault) {
    knob->setDefaultValue(0.25f);
    knob->setValue(0.9f);
    platform->click(CPoint(80, 40), kLButton | kDoubleClick);
    EXPECT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(recorder.values(), (std::vector<float>{0.25f}));
    EXPECT_EQ(recorder.log.front(), "listener begin 17");
    EXPECT_EQ(recorder.log.back(), "listener end 17");
}

TEST_F(KnobTest, WheelAndArrowKeysStepInsideOneBracketEach) {
    knob->setValue(0.5f);
    EXPECT_TRUE(frame->onWheel(CPoint(80, 60), 1.f, 0));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);
    EXPECT_TRUE(frame->onWheel(CPoint(80, 60), -2.f, kShift));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.58f);
    VstKeyCode up{0, VKEY_UP, 0};
    EXPECT_EQ(knob->onKeyDown(up), 1);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.68f);
    EXPECT_EQ(recorder.reports.size(), 3u);
    EXPECT_EQ(recorder.log.size(), 15u);

    knob->setValue(1.f);
    recorder.clear();
    EXPECT_TRUE(frame->onWheel(CPoint(80, 60), 1.f, 0));
    EXPECT_TRUE(recorder.log.empty()) << "at the top a further step changes nothing";
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(frame->onWheel(CPoint(80, 60), nan, 0));
    EXPECT_EQ(knob->getValue(), 1.f);
}

TEST_F(KnobTest, PictureIsTheRoundedShareOfTheRange) {
    CBitmap* strip = MakeStrip({kOpaqueRed, kOpaqueGreen, kOpaqueBlue}, 20, 20);
    auto* three = add(new CAnimKnob(CRect(10, 10, 30, 30), nullptr, 2, 3, 20, strip));
    strip->forget();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float value;
        uint32_t colour;
    };
    const Case cases[] = {{0.f, kOpaqueRed},   {0.24f, kOpaqueRed},  {0.26f, kOpaqueGreen}, {0.74f, kOpaqueGreen},
                          {0.76f, kOpaqueBlue}, {1.f, kOpaqueBlue},  {7.f, kOpaqueBlue},    {-3.f, kOpaqueRed},
                          {nan, kOpaqueRed}};
    for (const Case& c : cases) {
        three->setValue(c.value);
        EXPECT_EQ(platform->pixel(20, 20), c.colour) << "value " << c.value;
    }
    three->setInverseBitmap(true);
    three->setValue(0.f);
    EXPECT_EQ(platform->pixel(20, 20), kOpaqueBlue);
    three->setMin(0.5f);
    three->setMax(0.5f);  // an empty range shows the first picture (inverted: the last)
    three->setValue(0.3f);
    EXPECT_EQ(platform->pixel(20, 20), kOpaqueBlue);
}

// ---- parameter display ------------------------------------------------------------------------------

class ParamDisplayTest : public HeadlessFrameTest {};

TEST_F(ParamDisplayTest, BackColourFrameAndClippedText) {
    auto* display = add(new CParamDisplay(CRect(20, 20, 60, 40)));
    display->setBackColor(MakeCColor(0, 0, 255));
    display->setFrameColor(MakeCColor(255, 0, 0));
    display->setFontColor(kWhiteCColor);
    display->setValue(0.25f);
    EXPECT_EQ(platform->pixel(20, 20), kOpaqueRed) << "frame";
    EXPECT_EQ(platform->pixel(59, 39), kOpaqueRed) << "frame";
    EXPECT_EQ(platform->pixel(22, 22), kOpaqueBlue) << "back colour";
    EXPECT_EQ(platform->pixel(60, 30), kOpaqueBlack) << "outside";

    display->setStyle(kNoFrame);
    EXPECT_EQ(platform->pixel(20, 20), kOpaqueBlue);
    display->setStyle(kNoDrawStyle);
    EXPECT_EQ(platform->pixel(22, 22), kOpaqueBlack);
}

TEST_F(ParamDisplayTest, TransparentDisplayDrawsOnlyItsText) {
    auto* display = add(new CParamDisplay(CRect(20, 20, 60, 40), nullptr, kNoFrame));
    display->setBackColor(MakeCColor(0, 0, 255));
    display->setTransparency(true);
    display->setValue(0.5f);
    long lit = 0;
    long blue = 0;
    for (CCoord y = 20; y < 40; ++y) {
        for (CCoord x = 20; x < 60; ++x) {
            const uint32_t p = platform->pixel(x, y);
            if (p == kOpaqueBlue) ++blue;
            if (p != kOpaqueBlack) ++lit;
        }
    }
    EXPECT_EQ(blue, 0);
    EXPECT_GT(lit, 10) << "the text \"0.50\" in white";
}

TEST_F(ParamDisplayTest, TextNeverLeavesTheView) {
    // A long left-aligned text in a narrow display over a green band: the band beside it stays green.
    auto* band = add(new CParamDisplay(CRect(0, 60, 200, 80), nullptr, kNoFrame | kNoTextStyle));
    band->setBackColor(MakeCColor(0, 255, 0));
    auto* display = add(new CParamDisplay(CRect(20, 60, 40, 80), nullptr, kNoFrame));
    display->setBackColor(MakeCColor(0, 0, 255));
    display->setFontColor(kWhiteCColor);
    display->setHoriAlign(kLeftText);
    display->setValue(12345678.f);
    long whiteInside = 0;
    for (CCoord y = 60; y < 80; ++y) {
        for (CCoord x = 20; x < 40; ++x) whiteInside += platform->pixel(x, y) != kOpaqueBlue ? 1 : 0;
        for (CCoord x = 40; x < 200; ++x) ASSERT_EQ(platform->pixel(x, y), kOpaqueGreen) << x << "," << y;
    }
    EXPECT_GT(whiteInside, 10);
}

}  // namespace
