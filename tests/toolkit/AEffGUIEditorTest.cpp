// AEffGUIEditor's base behaviour: idle pacing on the millisecond clock, the process-wide knob mode,
// gesture brackets reaching the effect, the rectangle, drawing and keys handed to the frame.
#include <gtest/gtest.h>

#include "RecordingEffect.h"
#include "platform/Bundle.h"
#include "platform/Ticks.h"
#include "toolkit/CVSTGUITimer.h"
#include "toolkit/CView.h"

namespace {

using toolkittest::FrameEditor;
using toolkittest::RecordingEffect;
using toolkittest::ScriptedHost;

uint32_t gNow = 0;
uint32_t FakeTicks() { return gNow; }

class CountingTarget : public CBaseObject {
public:
    CMessageResult notify(CBaseObject*, const char* message) override {
        if (message == CVSTGUITimer::kMsgTimer) ++fired;
        return kMessageNotified;
    }
    int fired = 0;
};

class KeyView : public CView {
public:
    explicit KeyView(const CRect& size) : CView(size) {}
    long onKeyDown(VstKeyCode& key) override {
        keys.push_back(key.character);
        return key.character == 'x' ? 1 : -1;
    }
    std::vector<int32_t> keys;
};

class AEffGUIEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        gNow = 1000;
        SetMillisecondTicksForTesting(&FakeTicks);
        SetPlatformFrameFactory(&HeadlessPlatformFrame::Create);
        effect = new RecordingEffect(&host);
        editor = new FrameEditor(effect);
    }
    void TearDown() override {
        editor->close();
        editor->setKnobMode(kCircularMode);
        delete effect;  // deletes the editor too
        SetPlatformFrameFactory(nullptr);
        SetMillisecondTicksForTesting(nullptr);
    }

    ScriptedHost host;
    RecordingEffect* effect = nullptr;
    FrameEditor* editor = nullptr;
};

TEST_F(AEffGUIEditorTest, RegistersWithTheEffectAndHoldsTheBundleWhileItLives) {
    EXPECT_EQ(effect->getEditor(), editor);
    EXPECT_NE(effect->getAeffect()->flags & effFlagsHasEditor, 0);
    const int held = Bundle::References();
    auto* second = new FrameEditor(nullptr);
    EXPECT_EQ(Bundle::References(), held + 1);
    delete second;
    EXPECT_EQ(Bundle::References(), held);
}

TEST_F(AEffGUIEditorTest, HandsOutItsRectangleAndRefusesANullPointer) {
    EXPECT_FALSE(editor->getRect(nullptr));
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 400);
    EXPECT_EQ(rect->bottom - rect->top, 300);
    ERect* again = nullptr;
    editor->getRect(&again);
    EXPECT_EQ(again, rect);  // the same rectangle every time, valid while the editor lives
}

TEST_F(AEffGUIEditorTest, OpenStoresTheParentAndCloseDeletesTheFrame) {
    int parent = 0;
    AEffGUIEditor plain(nullptr);
    EXPECT_FALSE(plain.open(&parent));  // the base builds nothing
    EXPECT_TRUE(plain.isOpen());
    plain.close();
    EXPECT_FALSE(plain.isOpen());

    ASSERT_TRUE(editor->open(&parent));
    EXPECT_TRUE(editor->isOpen());
    EXPECT_NE(editor->getFrame(), nullptr);
    editor->close();
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(editor->getFrame(), nullptr);
}

TEST_F(AEffGUIEditorTest, DoIdleStuffRunsAtMostEveryHundredMilliseconds) {
    struct Step {
        uint32_t now;
        int masterIdles;  // after the call
    };
    // Last ticks start at 1000. A call more than 54 ms early does nothing (4 ms of waiting, then
    // still over 50 ms early); a call at most 54 ms early runs and sets the next time 100 ms on.
    const Step steps[] = {
        {1000, 1},  // due at once: next due 1100
        {1010, 1},  // 1014 + 50 < 1100
        {1045, 1},  // 1049 + 50 < 1100
        {1046, 2},  // 1050 + 50 = 1100: runs; next due 1150
        {1100, 3},  // 1104 + 50 >= 1150: runs; next due 1204
        {1149, 3},  // 1153 + 50 < 1204
        {1300, 4},  // late: runs at once; next due 1400
    };
    for (const Step& step : steps) {
        gNow = step.now;
        editor->doIdleStuff();
        EXPECT_EQ(effect->masterIdles, step.masterIdles) << "at " << step.now;
        EXPECT_EQ(editor->idles, step.masterIdles) << "at " << step.now;
    }
}

TEST_F(AEffGUIEditorTest, DoIdleStuffPacesAcrossTheTickWrap) {
    gNow = 0xffffffc0u;
    FrameEditor nearWrap(nullptr);
    nearWrap.doIdleStuff();  // runs; next due 100 ms on, at 0x24 after the wrap
    EXPECT_EQ(nearWrap.idles, 1);
    gNow = 0xffffffd0u;  // 0xffffffd4 + 50 = 0x06, still before 0x24
    nearWrap.doIdleStuff();
    EXPECT_EQ(nearWrap.idles, 1);
    gNow = 0xffffffeeu;  // 0xfffffff2 + 50 = 0x24: runs
    nearWrap.doIdleStuff();
    EXPECT_EQ(nearWrap.idles, 2);
}

TEST_F(AEffGUIEditorTest, IdleDoesNothingWhileTheHostIsBeingToldAboutIdle) {
    CountingTarget target;
    CVSTGUITimer timer(&target, 10);
    timer.start();  // due at 1010
    gNow = 1010;
    // The host answers masterIdle by calling the editor's idle again, 20 ms later.
    effect->onMasterIdle = [&] {
        gNow += 20;
        editor->idle();
    };
    editor->doIdleStuff();
    EXPECT_EQ(target.fired, 1);  // the inner idle fired nothing
    effect->onMasterIdle = nullptr;
    editor->idle();
    EXPECT_EQ(target.fired, 2);
    timer.stop();
}

TEST_F(AEffGUIEditorTest, KnobModeIsOneValueForTheWholeProcess) {
    FrameEditor other(nullptr);
    EXPECT_EQ(other.getKnobMode(), kCircularMode);
    EXPECT_TRUE(editor->setKnobMode(kLinearMode));
    EXPECT_EQ(other.getKnobMode(), kLinearMode);
    EXPECT_TRUE(other.setKnobMode(kRelativCircularMode));
    EXPECT_EQ(editor->getKnobMode(), kRelativCircularMode);
}

TEST_F(AEffGUIEditorTest, GestureBracketsReachTheEffectDirectlyAndFromTheFrame) {
    int parent = 0;
    editor->open(&parent);
    editor->beginEdit(17);
    editor->getFrame()->beginEdit(3);
    editor->getFrame()->endEdit(3);
    editor->endEdit(17);
    EXPECT_EQ(effect->brackets, (std::vector<std::string>{"begin 17", "begin 3", "end 3", "end 17"}));

    FrameEditor orphan(nullptr);  // no effect: nothing to tell, nothing to crash
    orphan.beginEdit(1);
    orphan.endEdit(1);
}

TEST_F(AEffGUIEditorTest, DrawRedrawsTheAskedAreaNowAndKeysGoToTheFrame) {
    VstKeyCode key{'x', 0, 0};
    EXPECT_FALSE(editor->onKeyDown(key));  // no window, no use
    editor->draw(nullptr);

    int parent = 0;
    editor->open(&parent);
    HeadlessPlatformFrame* headless = editor->headless();
    ASSERT_NE(headless, nullptr);
    editor->getFrame()->updateNow();
    headless->resetPresented();
    ERect area{10, 20, 40, 60};  // top, left, bottom, right
    editor->draw(&area);
    EXPECT_EQ(headless->presentCount(), 1);
    EXPECT_EQ(headless->presentedArea(), CRect(20, 10, 60, 40));
    headless->resetPresented();
    editor->draw(nullptr);
    EXPECT_EQ(headless->presentedArea(), CRect(0, 0, 400, 300));

    auto* view = new KeyView(CRect(0, 0, 10, 10));
    editor->getFrame()->addView(view);
    editor->getFrame()->setFocusView(view);
    EXPECT_TRUE(editor->onKeyDown(key));
    VstKeyCode unused{'y', 0, 0};
    EXPECT_FALSE(editor->onKeyDown(unused));
    EXPECT_EQ(view->keys, (std::vector<int32_t>{'x', 'y'}));
}

TEST_F(AEffGUIEditorTest, WaitRunsTheFrameAndEndsEvenOnAStillClock) {
    int parent = 0;
    editor->open(&parent);
    HeadlessPlatformFrame* headless = editor->headless();
    editor->getFrame()->invalidRect(CRect(0, 0, 5, 5));
    headless->resetPresented();
    editor->wait(4);  // the fake clock never moves
    EXPECT_GE(headless->presentCount(), 1);
}

}  // namespace
