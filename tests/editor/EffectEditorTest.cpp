// The editor's window: its size, what open shows, the population and person menus, close and a
// fresh reopen, and the paced idle.
#include "EditorHarness.h"

#include <cairo.h>

#include <cstring>

#include "editor/CGlowLamp.h"

using namespace edtest;

namespace {

using EditorWindowTest = EditorTest;

TEST_F(EditorWindowTest, TheWindowIsTheBackgroundsSizeAndControlsOpenOnTheProgramAndTheSelectedPerson) {
    ERect* rect = nullptr;
    ASSERT_EQ(Call(effEditGetRect, 0, 0, &rect), 1);
    const CBitmap* background = editor->GetBitmap(200);
    ASSERT_GT(background->getWidth(), 0) << "the window art is missing";
    EXPECT_EQ((std::vector<long>{rect->top, rect->left, rect->bottom, rect->right}),
              (std::vector<long>{0, 0, background->getHeight(), background->getWidth()}));
    const std::pair<int, float> values[] = {{0, 20 * kStep}, {1, 10 * kStep}, {2, 0.3f}, {3, 0.7f}, {4, 0.2f},
                                            {5, 0.9f},       {6, 1.0f},       {12, 0.4f}, {13, 0.6f}};
    for (const auto& [index, value] : values) Set(index, value);
    for (int k = 0; k < 8; ++k) Set(137 + k, 0.1f * static_cast<float>(k));
    ASSERT_TRUE(Open());
    // The lamp carries tag 0 but is not the population's control; some indices have no control.
    EXPECT_TRUE(editor->GetControlForParameter(0)->isTypeOf("COptionMenu"));
    for (int index : {7, 8, 9, 10, 11, 14, 15, 16, 25, 28, 29, 735})
        EXPECT_EQ(editor->GetControlForParameter(index), nullptr) << index;
    EXPECT_EQ(PersonShown(), 10);
    ExpectWindowShowsProgram();
    Close();
    Set(0, 4 * kStep);  // with the window closed nothing clamps the stored selection
    ASSERT_TRUE(Open());
    EXPECT_EQ(PersonShown(), 4);
    ExpectWindowShowsProgram();
    host.Clear();
    UserSets(Control(18), 0.5f);
    EXPECT_EQ(host.Automations(), (Calls{{PersonIndex(4, 1), 0.5f}}));
}

TEST_F(EditorWindowTest, PopulationAndPersonMenusOpenWithTheirEntries) {
    auto people = [](int shown) {
        std::string all;
        for (int i = 1; i <= 60; ++i) all += (i <= shown ? std::to_string(i) : "--") + "|";
        return all;
    };
    Set(0, 0.5f);  // 31 people
    ASSERT_TRUE(Open());
    EXPECT_EQ(Titles(0, 0, 59), people(60));
    EXPECT_EQ(Menu(0)->getCurrentIndex(), 30);
    EXPECT_EQ(Titles(1, 0, 59), people(31));
    Close();
    Set(0, 0.0f);
    ASSERT_TRUE(Open());
    EXPECT_EQ(Titles(1, 0, 59), people(1));
}

TEST_F(EditorWindowTest, EveryOpenStartsAfreshAndCloseRemovesTheWindow) {
    ASSERT_TRUE(Open());
    for (const auto& [tag, value] : {std::pair{745L, 2.0f / 3}, {744L, 0.0f}, {743L, 0.9f}, {747L, 1.0f}})
        UserSets(Control(tag), value);
    Close();
    EXPECT_EQ(Frame(), nullptr);
    Set(2, 0.25f);  // with no window, changes are ignored and idle does nothing harmful
    Idle();
    ASSERT_TRUE(Open());
    for (long tag : {745, 744, 743, 747, 738, 742})
        EXPECT_EQ(Control(tag)->getValue(), tag == 744 ? 1.0f : 0.0f) << tag;
    EXPECT_EQ(Panel()->GetScreen(), PanelCrowd::kCrowdScreen);
    EXPECT_EQ(Control(2)->getValue(), 0.25f) << "the new window reads the values afresh";
}

class EditorIdleTest : public OpenEditorTest {
protected:
    // Runs one idle and tells whether it drew the crowd panel.
    bool IdleDrawsPanel() {
        Headless()->resetPresented();
        Idle();
        return Headless()->presentedArea().rectOverlap(Panel()->getViewSize());
    }
};

TEST_F(EditorIdleTest, PanelIsRefreshedAtMostEvery40MillisecondsAndTheLampLitOnlyWhileOpen) {
    EXPECT_TRUE(IdleDrawsPanel()) << "the first idle refreshes";
    Advance(39);
    EXPECT_FALSE(IdleDrawsPanel());
    Advance(1);
    EXPECT_TRUE(IdleDrawsPanel());
    EXPECT_FALSE(IdleDrawsPanel()) << "no time passed";
    Set(1, 3 * kStep);
    Advance(40);
    IdleDrawsPanel();
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(Headless()->presentedArea().rectOverlap(editor->GetPersonKnob(k)->getViewSize())) << k;
    Close();
    engine->iClip.store(1);
    Idle();
    EXPECT_EQ(engine->iClip.load(), 1) << "left standing while the window is closed";
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->GetLamp()->getValue(), 0.0f);
    Idle();
    EXPECT_EQ(engine->iClip.load(), 0) << "taken by the next idle";
    EXPECT_GT(editor->GetLamp()->getValue(), 0.5f);
}

struct TickCounter : CBaseObject {
    CMessageResult notify(CBaseObject*, const char* message) override {
        ticks += message == CVSTGUITimer::kMsgTimer;
        return kMessageNotified;
    }
    int ticks = 0;
};

TEST_F(EditorIdleTest, OnlyTheFrameRunsWhileThePopulationOrPresetPopupShows) {
    Idle();
    TickCounter counter;
    CVSTGUITimer timer(&counter, 25);
    ASSERT_TRUE(timer.start());
    for (long tag : {0L, 7L}) {
        ASSERT_TRUE(Menu(tag)->takeFocus());
        ASSERT_TRUE(Menu(tag)->isPopupShowing());
        engine->iClip.store(1);
        const int ticksBefore = counter.ticks;
        Advance(100);
        EXPECT_FALSE(IdleDrawsPanel()) << tag;
        EXPECT_EQ(engine->iClip.load(), 1) << "the lamp waits for the pop-up " << tag;
        EXPECT_GT(counter.ticks, ticksBefore) << "the frame's idle (events, timers) still runs " << tag;
        Menu(tag)->closePopup();
        EXPECT_TRUE(IdleDrawsPanel()) << tag;
        EXPECT_EQ(engine->iClip.load(), 0) << tag;
    }
}

}  // namespace

namespace {

TEST_F(EditorWindowTest, AKnobShowsTheStripFrameOfItsValueInTheRenderedWindow) {
    ASSERT_TRUE(Open());
    CControl* wet = Control(2);
    const CRect place = wet->getViewSize();
    CBitmap strip(207);
    ASSERT_TRUE(strip.isLoaded());
    cairo_surface_t* art = strip.getSurface();
    cairo_surface_flush(art);
    const auto* pixels = cairo_image_surface_get_data(art);
    const int stride = cairo_image_surface_get_stride(art);
    const CCoord frameHeight = strip.getHeight() / 65;
    for (const auto& [value, frame] : {std::pair{0.0f, 0}, {0.5f, 32}, {1.0f, 64}}) {
        SCOPED_TRACE(value);
        Set(2, value);
        Idle();
        int differing = 0;
        for (CCoord y = 0; y < place.height(); ++y)
            for (CCoord x = 0; x < place.width(); ++x) {
                uint32_t expected;
                std::memcpy(&expected, pixels + (frame * frameHeight + y) * stride + 4 * x, 4);
                differing += Headless()->pixel(place.left + x, place.top + y) != expected;
            }
        EXPECT_EQ(differing, 0);
    }
}

}  // namespace
