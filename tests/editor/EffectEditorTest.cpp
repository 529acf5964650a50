// The editor object and its window: the views of open with their places, tags, bitmaps and first
// values, the menus, close, and the paced idle.
#include <string>
#include <vector>

#include "EditorHarness.h"
#include "editor/CGlowLamp.h"

using namespace edtest;

namespace {

// The window's views in adding order: 27 of open, the five preset controls, then the help switch.
// bitmap 0: a menu or a view sized by hand.
const struct { const char* type; long tag; CCoord left, top; long bitmap; int frames; } kViews[] = {
    {"PanelCrowd", 737, 2, 2, 211, 1},      {"COptionMenu", 0, 13, 297, 0, 0},
    {"CKickButton", 738, 37, 297, 202, 2},  {"CKickButton", 739, 61, 297, 203, 2},
    {"CAnimKnob", 2, 120, 298, 207, 65},    {"CAnimKnob", 3, 160, 298, 207, 65},
    {"CGlowLamp", 0, 96, 308, 225, 1},      {"CAnimKnob", 4, 266, 298, 207, 65},
    {"CAnimKnob", 5, 306, 298, 207, 65},    {"CKickButton", 742, 204, 310, 208, 2},
    {"COnOffButton", 744, 204, 331, 209, 2}, {"COptionMenu", 743, 206, 350, 0, 0},
    {"COptionMenu", 745, 44, 350, 0, 0},    {"COptionMenu", 1, 424, 38, 0, 0},
    {"CKickButton", 740, 448, 39, 202, 2},  {"CKickButton", 741, 472, 39, 203, 2},
    {"CAnimKnob", 17, 365, 84, 201, 65},    {"CAnimKnob", 18, 421, 84, 201, 65},
    {"CAnimKnob", 19, 463, 84, 201, 65},    {"CAnimKnob", 20, 365, 152, 201, 65},
    {"CAnimKnob", 21, 421, 152, 201, 65},   {"CAnimKnob", 22, 463, 152, 201, 65},
    {"CAnimKnob", 23, 361, 220, 201, 65},   {"CAnimKnob", 24, 425, 220, 201, 65},
    {"CAnimKnob", 12, 361, 318, 201, 65},   {"CAnimKnob", 13, 425, 318, 201, 65},
    {"COnOffButton", 6, 385, 41, 206, 2},   {"CKickButton", 9, 76, 383, 213, 2},
    {"CKickButton", 10, 96, 383, 214, 2},   {"COptionMenu", 8, 8, 383, 0, 0},
    {"COptionMenu", 7, 8, 383, 0, 0},       {"CTextEdit", 11, 118, 384, 0, 0},
    {"COnOffButton", 747, 280, 383, 222, 2},
};

using EditorWindowTest = EditorTest;

TEST_F(EditorWindowTest, BeforeTheFirstOpenTheRectIsTheBackgroundsAndTheKeptBitmapsAreLoaded) {
    ERect* rect = nullptr;
    ASSERT_EQ(Call(effEditGetRect, 0, 0, &rect), 1);
    const CBitmap* background = editor->GetBitmap(200);
    ASSERT_GT(background->getWidth(), 0) << "the window art is missing";
    EXPECT_EQ((std::vector<long>{rect->top, rect->left, rect->bottom, rect->right}),
              (std::vector<long>{0, 0, background->getHeight(), background->getWidth()}));
    EXPECT_EQ(Frame(), nullptr);
    for (long id : {200, 211, 210, 212, 215, 216, 217, 218, 223, 224}) {
        ASSERT_NE(editor->GetBitmap(id), nullptr) << id;
        EXPECT_TRUE(editor->GetBitmap(id)->isLoaded()) << id;
    }
    ASSERT_TRUE(Open());
    Close();
    EXPECT_EQ(editor->GetBitmap(211)->getNbReference(), 1) << "the closed window released its references";
}

TEST_F(EditorWindowTest, OpenBuildsEveryViewInOrderAtItsPlace) {
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->getKnobMode(), kLinearMode);
    EXPECT_EQ(Frame()->getBackground(), editor->GetBitmap(200));
    EXPECT_EQ(Frame()->getViewSize().width(), editor->GetBitmap(200)->getWidth());
    EXPECT_EQ(Frame()->getViewSize().height(), editor->GetBitmap(200)->getHeight());
    ASSERT_EQ(Frame()->getNbViews(), static_cast<long>(std::size(kViews)));
    for (long i = 0; i < Frame()->getNbViews(); ++i) {
        const auto& row = kViews[i];
        SCOPED_TRACE(std::to_string(i) + " " + row.type);
        auto* control = dynamic_cast<CControl*>(Frame()->getView(i));
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->isTypeOf(row.type));
        EXPECT_EQ(control->getTag(), row.tag);
        const CRect& r = control->getViewSize();
        EXPECT_EQ(r.getTopLeft(), CPoint(row.left, row.top));
        EXPECT_EQ(control->getListener(), static_cast<CControlListener*>(editor));
        if (row.bitmap == 0) continue;
        ASSERT_NE(control->getBackground(), nullptr);
        EXPECT_EQ(control->getBackground()->getResourceID(), row.bitmap);
        // The next program button takes the previous one's rectangle, moved 20 pixels right.
        CBitmap* sizing = new CBitmap(row.tag == 10 ? 213 : row.bitmap);
        EXPECT_EQ(r.width(), sizing->getWidth());
        EXPECT_EQ(r.height(), sizing->getHeight() / row.frames);
        sizing->forget();
        if (auto* knob = dynamic_cast<CAnimKnob*>(control)) {
            EXPECT_EQ(knob->getNumSubPixmaps(), 65);
            EXPECT_EQ(knob->getHeightOfOneImage(), r.height());
            EXPECT_FALSE(knob->getTransparency());
        }
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

TEST_F(EditorWindowTest, ControlsOpenOnTheCurrentProgramAndTheSelectedPerson) {
    const std::pair<int, float> values[] = {{0, 20 * kStep}, {1, 10 * kStep}, {2, 0.3f}, {3, 0.7f}, {4, 0.2f},
                                            {5, 0.9f},       {6, 1.0f},       {12, 0.4f}, {13, 0.6f}};
    for (const auto& [index, value] : values) Set(index, value);
    for (int k = 0; k < 8; ++k) Set(137 + k, 0.1f * static_cast<float>(k));
    ASSERT_TRUE(Open());
    EXPECT_EQ(PersonShown(), 10);
    ExpectWindowShowsProgram();
    EXPECT_EQ(editor->GetPersonKnob(7)->getValue(), Get(144));
}

TEST_F(EditorWindowTest, StoredSelectionBeyondThePopulationOpensOnTheLastPerson) {
    Set(1, 9 * kStep);
    Set(0, 4 * kStep);  // with the window closed nothing clamps the stored selection
    for (int k = 0; k < 8; ++k) Set(PersonIndex(4, k), 0.0625f * static_cast<float>(k + 1));
    ASSERT_TRUE(Open());
    EXPECT_EQ(PersonShown(), 4);
    EXPECT_EQ(editor->GetPersonKnob(1)->getValue(), 0.125f);
    host.Clear();
    UserSets(Control(18), 0.5f);
    EXPECT_EQ(host.Automations(), (std::vector<std::pair<int, float>>{{PersonIndex(4, 1), 0.5f}}));
}

TEST_F(EditorWindowTest, MenusHaveTheirStyleAndEntries) {
    Set(0, 0.5f);  // 31 people
    ASSERT_TRUE(Open());
    for (long tag : {0, 1, 743, 745}) {
        COptionMenu* menu = Menu(tag);
        EXPECT_EQ(menu->getStyle(), 0x4400) << tag;
        EXPECT_EQ(menu->getFontColor(), MakeCColor(0, 0, 0, 255)) << tag;
        EXPECT_EQ(menu->getBackColor(), MakeCColor(0, 0, 0, 0)) << tag;
        EXPECT_TRUE(menu->getTransparency()) << tag;
        EXPECT_EQ(menu->getFont(), tag < 2 ? kNormalFontSmall : kNormalFontVerySmall) << tag;
    }
    auto titles = [this](long tag) {
        std::string all;
        for (long i = 0; i < Menu(tag)->getNbEntries(); ++i) all += Title(Menu(tag), i) + "|";
        return all;
    };
    auto people = [](int shown) {
        std::string all;
        for (int i = 1; i <= 60; ++i) all += (i <= shown ? std::to_string(i) : "--") + "|";
        return all;
    };
    EXPECT_EQ(titles(0), people(60));
    EXPECT_EQ(Menu(0)->getCurrentIndex(), 30);
    EXPECT_EQ(titles(1), people(31));
    EXPECT_EQ(titles(743), "all|all - not gain|spectra shift|spectra mod gain|spectra mod speed|time delay|"
                           "time mod gain|time mod speed|pan|gain|");
    EXPECT_EQ(titles(745), "display  X: pan    Y: spectra|display  X: pan    Y: time|display  X: time   Y: spectra|");
    EXPECT_EQ(editor->GetDisplayMenu(), Menu(745));

    Close();
    Set(0, 0.0f);
    ASSERT_TRUE(Open());
    EXPECT_EQ(titles(1), people(1));
}

TEST_F(EditorWindowTest, EveryOpenStartsAfreshAndCloseRemovesTheWindow) {
    ASSERT_TRUE(Open());
    UserSets(Control(745), 2.0f / 3.0f);
    UserSets(Control(744), 0.0f);
    UserSets(Control(743), 0.9f);
    UserSets(Control(747), 1.0f);
    ASSERT_EQ(Panel()->GetScreen(), PanelCrowd::kHelpScreen);
    Close();
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_FALSE(editor->IsEditorOpen());
    EXPECT_EQ(editor->GetControlForParameter(2), nullptr);
    EXPECT_EQ(editor->GetPersonKnob(0), nullptr);
    EXPECT_EQ(Panel(), nullptr);
    // With no window, changes are ignored and idle does nothing harmful.
    Set(2, 0.25f);
    Advance(100);
    Idle();

    ASSERT_TRUE(Open());
    for (long tag : {745, 744, 743, 747, 738, 742})
        EXPECT_EQ(Control(tag)->getValue(), tag == 744 ? 1.0f : 0.0f) << tag;
    EXPECT_EQ(editor->GetLamp()->getValue(), 0.0f);
    EXPECT_EQ(Panel()->GetScreen(), PanelCrowd::kCrowdScreen);
    EXPECT_EQ(Control(2)->getValue(), 0.25f) << "the new window reads the values afresh";
}

TEST_F(EditorWindowTest, ClosingThePlugInWithTheWindowOpenReleasesEverything) {
    ASSERT_TRUE(Open());
    Idle();
    Call(effClose);
    effect = nullptr;  // the sanitizer builds see any view left behind
}

TEST_F(EditorWindowTest, WindowShowsEachKnobsValueOnTheOpaqueBackground) {
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
    const auto low = shownFor(0.0f), middle = shownFor(0.5f), high = shownFor(1.0f);
    EXPECT_NE(low, middle);
    EXPECT_NE(middle, high);
    EXPECT_NE(low, high);
    EXPECT_EQ(shownFor(0.0f), low) << "the same value shows the same picture";
    const CPoint bare(place.right + 1, 300);
    ASSERT_EQ(Frame()->getViewAt(bare), nullptr);
    EXPECT_EQ(Headless()->pixel(bare.h, bare.v) >> 24, 0xFFu);
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

TEST_F(EditorIdleTest, PanelIsRefreshedAtMostEvery40Milliseconds) {
    EXPECT_TRUE(IdleDrawsPanel()) << "the first idle refreshes";
    Advance(39);
    EXPECT_FALSE(IdleDrawsPanel());
    Advance(1);
    EXPECT_TRUE(IdleDrawsPanel());
    EXPECT_FALSE(IdleDrawsPanel()) << "no time passed";
    // A moved selection redraws every person knob.
    Set(1, 3 * kStep);
    Advance(40);
    Headless()->resetPresented();
    Idle();
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(Headless()->presentedArea().rectOverlap(editor->GetPersonKnob(k)->getViewSize())) << k;
}

TEST_F(EditorIdleTest, OverloadLightsTheLampOnlyWhileOpen) {
    Idle();
    engine->iClip.store(1);
    Advance(10);
    Idle();
    EXPECT_EQ(engine->iClip.load(), 0);
    EXPECT_GT(editor->GetLamp()->getValue(), 0.5f);

    Close();
    engine->iClip.store(1);
    Advance(100);
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
    for (long tag : {0L, 7L}) {
        SCOPED_TRACE(tag);
        ASSERT_TRUE(Menu(tag)->takeFocus());
        ASSERT_TRUE(Menu(tag)->isPopupShowing());
        engine->iClip.store(1);
        ASSERT_TRUE(timer.start());
        const int ticksBefore = counter.ticks;
        Advance(100);
        EXPECT_FALSE(IdleDrawsPanel());
        EXPECT_EQ(engine->iClip.load(), 1) << "the lamp waits for the pop-up";
        EXPECT_GT(counter.ticks, ticksBefore) << "the frame's idle (events, timers) still runs";
        timer.stop();
        Menu(tag)->closePopup();
        EXPECT_TRUE(IdleDrawsPanel());
        EXPECT_EQ(engine->iClip.load(), 0);
    }
    ASSERT_TRUE(Menu(745)->takeFocus());
    Advance(100);
    EXPECT_TRUE(IdleDrawsPanel()) << "any other menu's pop-up does not hold idle up";
    Menu(745)->closePopup();
}

}  // namespace
