// AEffGUIEditor's base behaviour: idle pacing on the millisecond clock, the process-wide knob mode,
// gesture brackets reaching the effect, the rectangle, drawing and keys handed to the frame.
#include <gtest/gtest.h>

#include "FrameHarness.h"
#include "RecordingEffect.h"
#include "platform/Bundle.h"
#include "platform/Ticks.h"
#include "toolkit/CVSTGUITimer.h"

namespace {

// 96 ms before the tick counter wraps, so that pacing is seen across the wrap.
constexpr uint32_t kStart = 0xFFFFFFA0u;
uint32_t gNow = 0;
uint32_t FakeTicks() { return gNow; }

class AEffGUIEditorTest : public ::testing::Test, public CBaseObject {
protected:
    void SetUp() override {
        gNow = kStart;
        SetMillisecondTicksForTesting(&FakeTicks);
        SetPlatformFrameFactory(&HeadlessPlatformFrame::Create);
        effect = new toolkittest::RecordingEffect(&host);
        editor = new toolkittest::FrameEditor(effect);
    }
    void TearDown() override {
        editor->close();
        editor->setKnobMode(kCircularMode);
        delete effect;  // deletes the editor too
        SetPlatformFrameFactory(nullptr);
        SetMillisecondTicksForTesting(nullptr);
    }
    CMessageResult notify(CBaseObject*, const char*) override {
        ++timerMessages;
        return kMessageNotified;
    }

    toolkittest::ScriptedHost host;
    toolkittest::RecordingEffect* effect = nullptr;
    toolkittest::FrameEditor* editor = nullptr;
    int parent = 0, timerMessages = 0;
};

TEST_F(AEffGUIEditorTest, HoldsTheBundleHandsOutItsRectangleAndSharesTheKnobMode) {
    const int held = Bundle::References();
    auto* second = new toolkittest::FrameEditor(nullptr);
    EXPECT_EQ(Bundle::References(), held + 1);
    EXPECT_FALSE(editor->getRect(nullptr));
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(CRect(rect->left, rect->top, rect->right, rect->bottom), CRect(0, 0, 400, 300));
    EXPECT_EQ(second->getKnobMode(), kCircularMode);
    EXPECT_TRUE(editor->setKnobMode(kLinearMode));
    EXPECT_EQ(second->getKnobMode(), kLinearMode);
    delete second;
    EXPECT_EQ(Bundle::References(), held);
}

TEST_F(AEffGUIEditorTest, DoIdleStuffRunsAtMostEveryHundredMillisecondsAcrossTheWrap) {
    // A call more than 54 ms early does nothing (4 ms of waiting, then still over 50 ms early); a
    // call at most 54 ms early runs and sets the next time 100 ms on.
    const struct { uint32_t after; int runs; } steps[] = {
        {0, 1},    // due at once: next due at 100
        {45, 1},   // 49 + 50 < 100
        {46, 2},   // 50 + 50 = 100: runs; next due 150
        {100, 3},  // 104 + 50 >= 150: runs; next due 204
        {149, 3},  // 153 + 50 < 204
        {300, 4},  // late: runs at once
    };
    for (const auto& step : steps) {
        gNow = kStart + step.after;
        editor->doIdleStuff();
        EXPECT_EQ(effect->masterIdles, step.runs) << "at " << step.after;
    }
}

TEST_F(AEffGUIEditorTest, IdleFiresTimersButNotWhileTheHostIsBeingToldAboutIdle) {
    CVSTGUITimer timer(this, 10);
    timer.start();
    gNow = kStart + 10;
    // The host answers masterIdle by calling the editor's idle again, 20 ms later.
    effect->onMasterIdle = [&] {
        gNow += 20;
        editor->idle();
    };
    editor->doIdleStuff();
    EXPECT_EQ(effect->masterIdles, 1);
    EXPECT_EQ(timerMessages, 1) << "the inner idle fired nothing";
    effect->onMasterIdle = nullptr;
    editor->idle();
    EXPECT_EQ(timerMessages, 2);
}

TEST_F(AEffGUIEditorTest, OpenMakesTheFrameThatBracketsDrawAndKeysUseAndCloseDeletesIt) {
    VstKeyCode x{'x', 0, 0};
    EXPECT_FALSE(editor->onKeyDown(x)) << "no window, no use";
    editor->draw(nullptr);
    ASSERT_TRUE(editor->open(&parent));
    editor->beginEdit(17);
    editor->getFrame()->beginEdit(3);
    editor->getFrame()->endEdit(3);
    editor->endEdit(17);
    EXPECT_EQ(effect->brackets, (std::vector<std::string>{"begin 17", "begin 3", "end 3", "end 17"}));
    toolkittest::FrameEditor(nullptr).beginEdit(1);  // no effect: nothing to tell, nothing to crash

    HeadlessPlatformFrame* headless = editor->headless();
    editor->getFrame()->updateNow();
    headless->resetPresented();
    ERect area{10, 20, 40, 60};  // top, left, bottom, right
    editor->draw(&area);
    EXPECT_EQ(headless->presentCount(), 1);
    EXPECT_EQ(headless->presentedArea(), CRect(20, 10, 60, 40));
    EXPECT_FALSE(editor->onKeyDown(x)) << "no focus view: the host's";
    Log keys;
    auto* view = new Probe(CRect(0, 0, 10, 10), kBlackCColor, &keys);
    editor->getFrame()->addView(view);
    editor->getFrame()->setFocusView(view);
    EXPECT_TRUE(editor->onKeyDown(x));
    EXPECT_EQ(keys, Log{"probe key 120,0"});
    editor->close();
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(editor->getFrame(), nullptr);
}

}  // namespace
