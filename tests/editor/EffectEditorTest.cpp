// The editor object and its window: construction, the views of open with their places, tags,
// bitmaps and first values, the menus, close, and the paced idle.
#include <cstring>
#include <string>
#include <vector>

#include "EditorHarness.h"
#include "editor/CGlowLamp.h"

using namespace edtest;

namespace {

struct ViewRow {
    const char* type;
    long tag;
    CCoord left, top;
    long bitmap;  // 0: a menu or a view sized by hand
    int frames;
};

// The window's views in adding order: 27 of open, the five preset controls, then the help switch.
const ViewRow kViews[] = {
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

class EditorWindowTest : public EditorTest {};

TEST_F(EditorWindowTest, RectBeforeTheFirstOpenIsTheBackgroundBitmapsSize) {
    ERect* rect = nullptr;
    ASSERT_EQ(Call(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    const CBitmap* background = editor->GetBitmap(200);
    ASSERT_NE(background, nullptr);
    EXPECT_GT(background->getWidth(), 0) << "the window art is missing";
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, background->getHeight());
    EXPECT_EQ(rect->right, background->getWidth());
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(Frame(), nullptr);
}

TEST_F(EditorWindowTest, KeptBitmapsLiveAsLongAsTheEditorObject) {
    for (long id : {200, 211, 210, 212, 215, 216, 217, 218, 223, 224}) {
        const CBitmap* bitmap = editor->GetBitmap(id);
        ASSERT_NE(bitmap, nullptr) << id;
        EXPECT_EQ(bitmap->getResourceID(), id);
        EXPECT_TRUE(bitmap->isLoaded()) << id;
    }
    EXPECT_EQ(editor->GetBitmap(201), nullptr) << "per-window bitmaps are not kept";
    EXPECT_EQ(shell->engine, editor->GetEngine());
    ASSERT_TRUE(Open());
    Close();
    EXPECT_EQ(editor->GetBitmap(211)->getNbReference(), 1) << "the closed window released its references";
}

TEST_F(EditorWindowTest, OpenBuildsEveryViewInOrderAtItsPlace) {
    ASSERT_TRUE(Open());
    ASSERT_NE(Frame(), nullptr);
    EXPECT_TRUE(editor->IsEditorOpen());
    EXPECT_EQ(editor->getKnobMode(), kLinearMode);
    EXPECT_EQ(Frame()->getBackground(), editor->GetBitmap(200));
    const CRect frameSize = Frame()->getViewSize();
    EXPECT_EQ(frameSize.width(), editor->GetBitmap(200)->getWidth());
    EXPECT_EQ(frameSize.height(), editor->GetBitmap(200)->getHeight());

    const long count = static_cast<long>(std::size(kViews));
    ASSERT_EQ(Frame()->getNbViews(), count);
    for (long i = 0; i < count; ++i) {
        const ViewRow& row = kViews[i];
        SCOPED_TRACE(std::to_string(i) + " " + row.type);
        auto* control = dynamic_cast<CControl*>(Frame()->getView(i));
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->isTypeOf(row.type));
        EXPECT_EQ(control->getTag(), row.tag);
        const CRect& r = control->getViewSize();
        EXPECT_EQ(r.left, row.left);
        EXPECT_EQ(r.top, row.top);
        EXPECT_EQ(control->getListener(), static_cast<CControlListener*>(editor));
        if (row.bitmap == 0) continue;
        ASSERT_NE(control->getBackground(), nullptr);
        EXPECT_EQ(control->getBackground()->getResourceID(), row.bitmap);
        const CBitmap* own = control->getBackground();
        // The next program button takes the previous one's rectangle, moved 20 pixels right.
        CBitmap* sizing = new CBitmap(row.tag == 10 ? 213 : row.bitmap);
        EXPECT_EQ(r.width(), sizing->getWidth());
        EXPECT_EQ(r.height(), sizing->getHeight() / row.frames);
        sizing->forget();
        if (auto* knob = dynamic_cast<CAnimKnob*>(control)) {
            EXPECT_EQ(knob->getNumSubPixmaps(), 65);
            EXPECT_EQ(knob->getHeightOfOneImage(), own->getHeight() / 65);
            EXPECT_FALSE(knob->getTransparency());
        }
        if (auto* onOff = dynamic_cast<COnOffButton*>(control)) {
            EXPECT_EQ(onOff->getStyle(), 0);
        }
    }
    // The remaining rectangles that no bitmap decides.
    const std::pair<long, CRect> rects[] = {{0, CRect(13, 297, 36, 316)},    {743, CRect(206, 350, 300, 364)},
                                            {745, CRect(44, 350, 192, 364)}, {1, CRect(424, 38, 447, 59)},
                                            {11, CRect(118, 384, 258, 396)}, {7, CRect(8, 383, 73, 396)}};
    for (const auto& [tag, rect] : rects) EXPECT_EQ(Control(tag)->getViewSize(), rect) << tag;
    EXPECT_EQ(Panel()->getViewSize().width(), editor->GetBitmap(211)->getWidth());
    EXPECT_EQ(Panel()->getViewSize().height(), editor->GetBitmap(211)->getHeight());
}

TEST_F(EditorWindowTest, ControlsStartOnTheCurrentProgramAndTheFixedFirstValues) {
    const std::pair<int, float> values[] = {{0, 20 * kStep}, {1, 4 * kStep}, {2, 0.3f},   {3, 0.7f},
                                            {4, 0.2f},       {5, 0.9f},      {6, 1.0f},   {12, 0.4f},
                                            {13, 0.6f}};
    for (const auto& [index, value] : values) Set(index, value);
    for (int k = 0; k < 8; ++k) Set(PersonIndex(4, k), 0.05f * static_cast<float>(k + 1));
    ASSERT_TRUE(Open());
    for (const auto& [index, value] : values) {
        ASSERT_NE(editor->GetControlForParameter(index), nullptr) << index;
        EXPECT_FLOAT_EQ(editor->GetControlForParameter(index)->getValue(), Get(index)) << index;
    }
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(editor->GetControlForParameter(17 + k), editor->GetPersonKnob(k));
        EXPECT_EQ(editor->GetPersonKnob(k)->getValue(), Get(PersonIndex(4, k))) << k;
    }
    EXPECT_EQ(Panel()->getValue(), 1.0f);
    EXPECT_EQ(editor->GetLamp()->getValue(), 0.0f);
    EXPECT_EQ(Control(738)->getValue(), 0.0f);
    EXPECT_EQ(Control(742)->getValue(), 0.0f);
    EXPECT_EQ(Control(744)->getValue(), 1.0f);
    EXPECT_EQ(Control(743)->getValue(), 0.0f);
    EXPECT_EQ(Control(745)->getValue(), 0.0f);
    EXPECT_EQ(Control(747)->getValue(), 0.0f);
    // The lamp carries tag 0 but is not the population's control.
    EXPECT_EQ(editor->GetControlForParameter(0), Control(0));
    EXPECT_TRUE(Control(0)->isTypeOf("COptionMenu"));
    for (int index : {7, 8, 9, 10, 11, 14, 15, 16, 25, 28, 29, 735}) EXPECT_EQ(editor->GetControlForParameter(index), nullptr);
}

TEST_F(EditorWindowTest, PersonKnobsOpenOnTheSelectedPerson) {
    Set(1, 10 * kStep);
    for (int k = 0; k < 8; ++k) Set(137 + k, 0.1f * static_cast<float>(k));
    ASSERT_TRUE(Open());
    for (int k = 0; k < 8; ++k) EXPECT_EQ(editor->GetPersonKnob(k)->getValue(), Get(137 + k)) << k;
}

TEST_F(EditorWindowTest, StoredSelectionBeyondThePopulationOpensOnTheLastPerson) {
    Set(1, 9 * kStep);
    Set(0, 4 * kStep);  // with the window closed nothing clamps the stored selection
    for (int k = 0; k < 8; ++k) Set(PersonIndex(4, k), 0.0625f * static_cast<float>(k + 1));
    ASSERT_TRUE(Open());
    EXPECT_EQ(Menu(1)->getCurrentIndex(), 4);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(editor->GetPersonKnob(k)->getValue(), Get(PersonIndex(4, k))) << k;
    host.Clear();
    UserSets(Control(18), 0.5f);
    EXPECT_EQ(host.Automations(), (std::vector<std::pair<int, float>>{{PersonIndex(4, 1), 0.5f}}))
        << "the knob edits the person it shows";
}

TEST_F(EditorWindowTest, MenusHaveTheirEntriesStyleAndText) {
    Set(0, 0.5f);  // 31 people
    ASSERT_TRUE(Open());
    COptionMenu* population = Menu(0);
    COptionMenu* person = Menu(1);
    COptionMenu* target = Menu(743);
    COptionMenu* display = Menu(745);
    for (COptionMenu* menu : {population, person, target, display}) {
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->getStyle(), 0x4400);
        EXPECT_EQ(menu->getFontColor(), MakeCColor(0, 0, 0, 255));
        EXPECT_EQ(menu->getBackColor(), MakeCColor(0, 0, 0, 0));
        EXPECT_TRUE(menu->getTransparency());
        EXPECT_EQ(menu->getBackground(), nullptr);
    }
    EXPECT_EQ(population->getFont(), kNormalFontSmall);
    EXPECT_EQ(person->getFont(), kNormalFontSmall);
    EXPECT_EQ(target->getFont(), kNormalFontVerySmall);
    EXPECT_EQ(display->getFont(), kNormalFontVerySmall);

    ASSERT_EQ(population->getNbEntries(), 60);
    EXPECT_EQ(Title(population, 0), "1");
    EXPECT_EQ(Title(population, 59), "60");
    EXPECT_EQ(population->getCurrentIndex(), 30);
    ASSERT_EQ(person->getNbEntries(), 60);
    EXPECT_EQ(Title(person, 0), "1");
    EXPECT_EQ(Title(person, 30), "31");
    EXPECT_EQ(Title(person, 31), "--");
    EXPECT_EQ(Title(person, 59), "--");

    const char* targets[] = {"all",        "all - not gain", "spectra shift", "spectra mod gain", "spectra mod speed",
                             "time delay", "time mod gain",  "time mod speed", "pan",             "gain"};
    ASSERT_EQ(target->getNbEntries(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Title(target, i), targets[i]);
    ASSERT_EQ(display->getNbEntries(), 3);
    EXPECT_EQ(Title(display, 0), "display  X: pan    Y: spectra");
    EXPECT_EQ(Title(display, 1), "display  X: pan    Y: time");
    EXPECT_EQ(Title(display, 2), "display  X: time   Y: spectra");
    EXPECT_EQ(editor->GetDisplayMenu(), display);
}

TEST_F(EditorWindowTest, PersonMenuWithPopulationZeroShowsOneEntry) {
    Set(0, 0.0f);
    ASSERT_TRUE(Open());
    COptionMenu* person = Menu(1);
    EXPECT_EQ(Title(person, 0), "1");
    for (int i = 1; i < 60; ++i) EXPECT_EQ(Title(person, i), "--") << i;
}

TEST_F(EditorWindowTest, EveryOpenStartsAfreshAndCloseRemovesTheWindow) {
    ASSERT_TRUE(Open());
    UserSets(Control(745), 2.0f / 3.0f);
    UserSets(Control(744), 0.0f);
    UserSets(Control(743), 0.9f);
    UserSets(Control(747), 1.0f);
    EXPECT_EQ(Panel()->GetScreen(), PanelCrowd::kHelpScreen);
    Close();
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_FALSE(editor->isOpen());
    EXPECT_FALSE(editor->IsEditorOpen());
    EXPECT_EQ(editor->GetControlForParameter(2), nullptr);
    EXPECT_EQ(editor->GetPersonKnob(0), nullptr);
    EXPECT_EQ(editor->GetPanel(), nullptr);
    // With no window, changes are ignored and idle does nothing harmful.
    Set(2, 0.25f);
    Advance(100);
    Idle();

    ASSERT_TRUE(Open());
    EXPECT_EQ(Control(745)->getValue(), 0.0f);
    EXPECT_EQ(Control(744)->getValue(), 1.0f);
    EXPECT_EQ(Control(743)->getValue(), 0.0f);
    EXPECT_EQ(Control(747)->getValue(), 0.0f);
    EXPECT_EQ(Panel()->GetScreen(), PanelCrowd::kCrowdScreen);
    EXPECT_EQ(Control(2)->getValue(), 0.25f) << "the new window reads the values afresh";
}

TEST_F(EditorWindowTest, ClosingThePlugInWithTheWindowOpenReleasesEverything) {
    ASSERT_TRUE(Open());
    Idle();
    Call(effClose);
    effect = nullptr;  // gone; the sanitizer builds see any view left behind
}

// The pixels of a view's rectangle as the window shows them after the next idle.
std::vector<uint32_t> Pixels(HeadlessPlatformFrame* headless, const CRect& r) {
    std::vector<uint32_t> out;
    for (CCoord y = r.top; y < r.bottom; ++y)
        for (CCoord x = r.left; x < r.right; ++x) out.push_back(headless->pixel(x, y));
    return out;
}

TEST_F(EditorWindowTest, WindowShowsEachKnobsValueAndTheBackground) {
    ASSERT_TRUE(Open());
    CControl* wet = Control(2);
    const CRect place = wet->getViewSize();
    std::vector<uint32_t> shown[3];
    const float values[3] = {0.0f, 0.5f, 1.0f};
    for (int i = 0; i < 3; ++i) {
        Set(2, values[i]);
        Advance(40);
        Idle();
        shown[i] = Pixels(Headless(), place);
    }
    EXPECT_NE(shown[0], shown[1]);
    EXPECT_NE(shown[1], shown[2]);
    EXPECT_NE(shown[0], shown[2]);
    Set(2, 0.0f);
    Advance(40);
    Idle();
    EXPECT_EQ(Pixels(Headless(), place), shown[0]) << "the same value shows the same picture";
    // Where no view lies, the window shows its opaque background.
    const CPoint bare(wet->getViewSize().right + 1, 300);
    ASSERT_EQ(Frame()->getViewAt(bare), nullptr);
    EXPECT_EQ(Headless()->pixel(bare.h, bare.v) >> 24, 0xFFu);
}

class EditorIdleTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(Open());
    }
    // Runs one idle and tells whether the crowd panel was drawn by it.
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
    Advance(1000);
    EXPECT_TRUE(IdleDrawsPanel());
}

TEST_F(EditorIdleTest, PersonKnobsRedrawWhenTheSelectionMoved) {
    Advance(40);
    Idle();
    Set(1, 3 * kStep);
    Headless()->resetPresented();
    Advance(40);
    Idle();
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(Headless()->presentedArea().rectOverlap(editor->GetPersonKnob(k)->getViewSize())) << k;
}

TEST_F(EditorIdleTest, OverloadLightsTheLampOnlyWhileOpen) {
    Idle();
    EXPECT_EQ(editor->GetLamp()->getValue(), 0.0f);
    engine->iClip.store(1);
    Advance(10);
    Idle();
    EXPECT_EQ(engine->iClip.load(), 0);
    EXPECT_GT(editor->GetLamp()->getValue(), 0.5f) << "lit (and then fading by itself)";

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
        if (message == CVSTGUITimer::kMsgTimer) ++ticks;
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
        COptionMenu* menu = Menu(tag);
        ASSERT_TRUE(menu->takeFocus());
        ASSERT_TRUE(menu->isPopupShowing());
        engine->iClip.store(1);
        ASSERT_TRUE(timer.start());
        const int ticksBefore = counter.ticks;
        Advance(100);
        EXPECT_FALSE(IdleDrawsPanel());
        EXPECT_EQ(engine->iClip.load(), 1) << "the lamp waits for the pop-up";
        EXPECT_GT(counter.ticks, ticksBefore) << "the frame's idle (events, timers) still runs";
        timer.stop();
        menu->closePopup();
        EXPECT_TRUE(IdleDrawsPanel());
        EXPECT_EQ(engine->iClip.load(), 0);
    }
    // Any other menu's pop-up does not hold idle up.
    ASSERT_TRUE(Menu(745)->takeFocus());
    Advance(100);
    EXPECT_TRUE(IdleDrawsPanel());
    Menu(745)->closePopup();
}

}  // namespace
