// The editor object and its window: the views of open with their places, tags, bitmaps and first
// values, the menus, close, and the paced idle.
#include <string>
#include <tuple>
#include <vector>

#include "EditorHarness.h"
#include "editor/CGlowLamp.h"

using namespace edtest;

namespace {

// The window's views in adding order: 27 of open, the five preset controls, then the help switch.
// bitmap 0: a menu or a view sized by hand.
const struct { const char* type; long tag; CCoord left, top; long bitmap; } kViews[] = {
    {"PanelCrowd", 737, 2, 2, 211},     {"COptionMenu", 0, 13, 297, 0},     {"CKickButton", 738, 37, 297, 202},
    {"CKickButton", 739, 61, 297, 203}, {"CAnimKnob", 2, 120, 298, 207},   {"CAnimKnob", 3, 160, 298, 207},
    {"CGlowLamp", 0, 96, 308, 225},     {"CAnimKnob", 4, 266, 298, 207},   {"CAnimKnob", 5, 306, 298, 207},
    {"CKickButton", 742, 204, 310, 208}, {"COnOffButton", 744, 204, 331, 209}, {"COptionMenu", 743, 206, 350, 0},
    {"COptionMenu", 745, 44, 350, 0},   {"COptionMenu", 1, 424, 38, 0},     {"CKickButton", 740, 448, 39, 202},
    {"CKickButton", 741, 472, 39, 203}, {"CAnimKnob", 17, 365, 84, 201},   {"CAnimKnob", 18, 421, 84, 201},
    {"CAnimKnob", 19, 463, 84, 201},   {"CAnimKnob", 20, 365, 152, 201},  {"CAnimKnob", 21, 421, 152, 201},
    {"CAnimKnob", 22, 463, 152, 201},  {"CAnimKnob", 23, 361, 220, 201},  {"CAnimKnob", 24, 425, 220, 201},
    {"CAnimKnob", 12, 361, 318, 201},  {"CAnimKnob", 13, 425, 318, 201},  {"COnOffButton", 6, 385, 41, 206},
    {"CKickButton", 9, 76, 383, 213},   {"CKickButton", 10, 96, 383, 214},  {"COptionMenu", 8, 8, 383, 0},
    {"COptionMenu", 7, 8, 383, 0},      {"CTextEdit", 11, 118, 384, 0},     {"COnOffButton", 747, 280, 383, 222},
};

using EditorWindowTest = EditorTest;

TEST_F(EditorWindowTest, BeforeTheFirstOpenTheRectIsTheBackgroundsAndTheKeptBitmapsAreLoaded) {
    ERect* rect = nullptr;
    ASSERT_EQ(Call(effEditGetRect, 0, 0, &rect), 1);
    const CBitmap* background = editor->GetBitmap(200);
    ASSERT_GT(background->getWidth(), 0) << "the window art is missing";
    EXPECT_EQ((std::vector<long>{rect->top, rect->left, rect->bottom, rect->right}),
              (std::vector<long>{0, 0, background->getHeight(), background->getWidth()}));
    for (long id : {200, 211, 210, 212, 215, 216, 217, 218, 223, 224})
        EXPECT_TRUE(editor->GetBitmap(id) != nullptr && editor->GetBitmap(id)->isLoaded()) << id;
}

TEST_F(EditorWindowTest, OpenBuildsEveryViewInOrderAtItsPlace) {
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->getKnobMode(), kLinearMode);
    EXPECT_EQ(Frame()->getBackground(), editor->GetBitmap(200));
    EXPECT_EQ(Frame()->getViewSize().width(), editor->GetBitmap(200)->getWidth());
    ASSERT_EQ(Frame()->getNbViews(), static_cast<long>(std::size(kViews)));
    for (long i = 0; i < Frame()->getNbViews(); ++i) {
        const auto& row = kViews[i];
        auto* control = dynamic_cast<CControl*>(Frame()->getView(i));
        ASSERT_NE(control, nullptr) << i;
        const CRect& r = control->getViewSize();
        EXPECT_EQ(std::make_tuple(control->isTypeOf(row.type), control->getTag(), r.left, r.top, control->getListener()),
                  std::make_tuple(true, row.tag, row.left, row.top, static_cast<CControlListener*>(editor))) << i;
        EXPECT_EQ(row.bitmap == 0 ? 0 : control->getBackground()->getResourceID(), row.bitmap) << i;
    }
    const std::pair<long, CRect> rects[] = {{0, CRect(13, 297, 36, 316)},    {743, CRect(206, 350, 300, 364)},
                                            {745, CRect(44, 350, 192, 364)}, {1, CRect(424, 38, 447, 59)},
                                            {11, CRect(118, 384, 258, 396)}, {7, CRect(8, 383, 73, 396)}};
    for (const auto& [tag, rect] : rects) EXPECT_EQ(Control(tag)->getViewSize(), rect) << tag;
    // The lamp carries tag 0 but is not the population's control; some indices have no control.
    EXPECT_TRUE(editor->GetControlForParameter(0)->isTypeOf("COptionMenu"));
    for (int index : {7, 8, 9, 10, 11, 14, 15, 16, 25, 28, 29, 735})
        EXPECT_EQ(editor->GetControlForParameter(index), nullptr) << index;
}

TEST_F(EditorWindowTest, ControlsOpenOnTheCurrentProgramAndTheSelectedPersonWithinThePopulation) {
    const std::pair<int, float> values[] = {{0, 20 * kStep}, {1, 10 * kStep}, {2, 0.3f}, {3, 0.7f}, {4, 0.2f},
                                            {5, 0.9f},       {6, 1.0f},       {12, 0.4f}, {13, 0.6f}};
    for (const auto& [index, value] : values) Set(index, value);
    for (int k = 0; k < 8; ++k) Set(137 + k, 0.1f * static_cast<float>(k));
    ASSERT_TRUE(Open());
    EXPECT_EQ(PersonShown(), 10);
    ExpectWindowShowsProgram();
    Close();
    Set(0, 4 * kStep);  // with the window closed nothing clamps the stored selection
    ASSERT_TRUE(Open());
    EXPECT_EQ(PersonShown(), 4);
    ExpectWindowShowsProgram();
    host.Clear();
    UserSets(Control(18), 0.5f);
    EXPECT_EQ(host.Automations(), (std::vector<std::pair<int, float>>{{PersonIndex(4, 1), 0.5f}}));
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
    ASSERT_EQ(Panel()->GetScreen(), PanelCrowd::kHelpScreen);
    Close();
    EXPECT_EQ(Frame(), nullptr);
    Set(2, 0.25f);  // with no window, changes are ignored and idle does nothing harmful
    Advance(100);
    Idle();
    ASSERT_TRUE(Open());
    for (long tag : {745, 744, 743, 747, 738, 742})
        EXPECT_EQ(Control(tag)->getValue(), tag == 744 ? 1.0f : 0.0f) << tag;
    EXPECT_EQ(Panel()->GetScreen(), PanelCrowd::kCrowdScreen);
    EXPECT_EQ(Control(2)->getValue(), 0.25f) << "the new window reads the values afresh";
}

TEST_F(EditorWindowTest, WindowShowsTheKnobsValueOnTheOpaqueBackground) {
    ASSERT_TRUE(Open());
    const CRect place = Control(2)->getViewSize();
    auto shownFor = [&](float value) {
        Set(2, value);
        Advance(40);
        Idle();
        std::vector<uint32_t> pixels;
        for (CCoord y = place.top; y < place.bottom; ++y)
            for (CCoord x = place.left; x < place.right; ++x) pixels.push_back(Headless()->pixel(x, y));
        return pixels;
    };
    const auto low = shownFor(0.0f);
    EXPECT_NE(shownFor(1.0f), low);
    EXPECT_EQ(shownFor(0.0f), low) << "the same value shows the same picture";
    ASSERT_EQ(Frame()->getViewAt(CPoint(place.right + 1, 300)), nullptr);
    EXPECT_EQ(Headless()->pixel(place.right + 1, 300) >> 24, 0xFFu);
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

TEST_F(EditorIdleTest, PanelIsRefreshedAtMostEvery40MillisecondsAndPersonKnobsWhenTheSelectionMoved) {
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
}

TEST_F(EditorIdleTest, OverloadLightsTheLampOnlyWhileOpen) {
    engine->iClip.store(1);
    Idle();
    EXPECT_EQ(engine->iClip.load(), 0);
    EXPECT_GT(editor->GetLamp()->getValue(), 0.5f);
    Close();
    engine->iClip.store(1);
    Idle();
    EXPECT_EQ(engine->iClip.load(), 1) << "left standing while the window is closed";
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->GetLamp()->getValue(), 0.0f);
    Idle();
    EXPECT_EQ(engine->iClip.load(), 0);
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
    ASSERT_TRUE(Menu(745)->takeFocus());
    Advance(100);
    EXPECT_TRUE(IdleDrawsPanel()) << "any other menu's pop-up does not hold idle up";
}

}  // namespace
