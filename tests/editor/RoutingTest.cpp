// Control routing both ways: what a control's change writes (plainly or as automation), how host
// changes move the controls, the person re-targeting and clamps, and changes from other threads.
#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "EditorHarness.h"

using namespace edtest;

namespace {

class RoutingTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(Open());
        host.Clear();
    }
    std::vector<std::pair<int, float>> Automations() { return host.Automations(); }
    // The same thread runs everything here, so an index of the window is the person menu's entry.
    int PersonShown() { return static_cast<int>(Menu(1)->getCurrentIndex()); }
};

// --- control to parameter ---

TEST_F(RoutingTest, GlobalKnobsAndSwitchesAutomateTheirParameter) {
    Set(1, 3 * kStep);
    for (long tag : {2L, 3L, 12L, 13L}) {
        host.Clear();
        UserSets(Control(tag), 0.7f);
        EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{static_cast<int>(tag), 0.7f}})) << tag;
        EXPECT_EQ(Get(static_cast<int>(tag)), 0.7f);
        EXPECT_EQ(Control(tag)->getValue(), 0.7f) << "no jump when the change comes back";
    }
    host.Clear();
    UserSets(Control(6), 1.0f);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{6, 1.0f}}));
    host.Clear();
    UserSets(Control(0), 7.0f / 60.0f);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{0, 7.0f / 60.0f}}));
}

TEST_F(RoutingTest, PersonKnobsWriteTheSelectedPersonsValue) {
    Set(1, 3 * kStep);
    UserSets(Control(23), 0.25f);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{59, 0.25f}}));
    EXPECT_EQ(Get(59), 0.25f);
    EXPECT_TRUE(Control(23)->isDirty());
    Set(1, 0.0f);
    host.Clear();
    UserSets(Control(17), 0.5f);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{17, 0.5f}}));
}

TEST_F(RoutingTest, GestureBracketsCarryTheTagAndNeverThePanels) {
    Set(1, 3 * kStep);
    Control(23)->beginEdit();
    Control(23)->endEdit();
    EXPECT_EQ(host.Indices(audioMasterBeginEdit), std::vector<int>{23});
    EXPECT_EQ(host.Indices(audioMasterEndEdit), std::vector<int>{23});
    host.Clear();
    Panel()->beginEdit();
    Panel()->endEdit();
    editor->beginEdit(736);
    editor->endEdit(-1);
    EXPECT_EQ(host.Count(audioMasterBeginEdit), 0);
    EXPECT_EQ(host.Count(audioMasterEndEdit), 0);
    editor->beginEdit(735);
    EXPECT_EQ(host.Indices(audioMasterBeginEdit), std::vector<int>{735});
}

TEST_F(RoutingTest, PersonMenuPickBeyondThePopulationIsClamped) {
    Set(0, 5 * kStep);
    UserSets(Control(1), 9.0f / 60.0f);
    EXPECT_EQ(Get(1), 5 * kStep);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{1, 5 * kStep}}));
    EXPECT_EQ(Title(Menu(1), Menu(1)->getCurrentIndex()), "6");
    host.Clear();
    UserSets(Control(1), 2.0f / 60.0f);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{1, 2.0f / 60.0f}}));
    EXPECT_EQ(PersonShown(), 2);
}

TEST_F(RoutingTest, StepButtonsStepOncePerClickWithoutTellingTheHost) {
    Set(0, 10 * kStep);
    Set(1, 4 * kStep);
    host.Clear();
    Click(Control(739));
    EXPECT_EQ(Get(0), 11 * kStep);
    Click(Control(738));
    Click(Control(738));
    EXPECT_EQ(Get(0), 9 * kStep);
    Click(Control(741));
    EXPECT_EQ(Get(1), 5 * kStep);
    Click(Control(740));
    Click(Control(740));
    EXPECT_EQ(Get(1), 3 * kStep);
    EXPECT_EQ(PersonShown(), 3);
    EXPECT_TRUE(Automations().empty()) << "step buttons write plainly";

    // Released off the button, the report is 0 only: no step.
    Headless()->mouseDown(Centre(Control(739)));
    Headless()->mouseUp(CPoint(250, 200));
    EXPECT_EQ(Get(0), 9 * kStep);
}

TEST_F(RoutingTest, StepButtonsStopAtTheEnds) {
    Set(0, 0.0f);
    Set(1, 0.0f);
    Click(Control(738));
    EXPECT_EQ(Get(0), 0.0f);
    Click(Control(740));
    EXPECT_EQ(Get(1), 0.0f);
    Click(Control(741));
    EXPECT_EQ(Get(1), 0.0f) << "person 0 is the whole population";

    Set(0, 59 * kStep);
    Click(Control(739));
    EXPECT_EQ(Get(0), 59 * kStep);
    Set(0, 6 * kStep);
    Set(1, 6 * kStep);
    Click(Control(741));
    EXPECT_EQ(Get(1), 6 * kStep) << "the next person stops at the population menu's entry";
    EXPECT_TRUE(Automations().empty());
}

TEST_F(RoutingTest, LowerBoundKnobPushesTheUpperOneAndBack) {
    Set(4, 0.2f);
    Set(5, 0.6f);
    UserSets(Control(4), 0.8f);
    EXPECT_EQ(Control(5)->getValue(), 0.8f);
    EXPECT_EQ(Get(5), 0.6f);
    EXPECT_EQ(Get(4), 0.8f);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{4, 0.8f}}));

    Set(4, 0.5f);
    Set(5, 0.6f);
    host.Clear();
    UserSets(Control(5), 0.1f);
    EXPECT_EQ(Control(4)->getValue(), 0.1f);
    EXPECT_EQ(Get(4), 0.5f);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{5, 0.1f}}));
    // Inside the bounds nothing is pushed.
    UserSets(Control(5), 0.9f);
    EXPECT_EQ(Control(4)->getValue(), 0.1f);
}

TEST_F(RoutingTest, ProgramButtonsStepOncePerReleaseOnOrOffTheButton) {
    ASSERT_EQ(Program(), 0);
    UserSets(Control(9), 1.0f);
    EXPECT_EQ(Program(), 0) << "the report with 1 does nothing";
    Click(Control(9));
    EXPECT_EQ(Program(), 23);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{9, 0.0f}}));
    Click(Control(10));
    EXPECT_EQ(Program(), 0);
    Headless()->mouseDown(Centre(Control(10)));
    Headless()->mouseUp(CPoint(250, 200));
    EXPECT_EQ(Program(), 1);
    char name[32] = {};
    Call(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(static_cast<CTextEdit*>(Control(11))->getText(), name);
}

TEST_F(RoutingTest, NameFieldRenamesTheCurrentProgramCutTo25Characters) {
    auto* field = static_cast<CTextEdit*>(Control(11));
    field->setText("An evening hall, very full of murmurs");
    editor->valueChanged(field);
    EXPECT_STREQ(engine->CurrentProgram().name, "An evening hall, very ful");
    EXPECT_STREQ(field->getText(), "An evening hall, very ful");
    EXPECT_EQ(Title(Menu(8), 0), "An evening hall, very ful") << "the program menu was rescanned";
    const auto automations = Automations();
    ASSERT_EQ(automations.size(), 1u);
    EXPECT_EQ(automations[0].first, 11);
}

TEST_F(RoutingTest, HelpSwitchAndDisplayMenuDriveThePanel) {
    UserSets(Control(747), 1.0f);
    EXPECT_EQ(Panel()->GetScreen(), PanelCrowd::kHelpScreen);
    UserSets(Control(747), 0.0f);
    EXPECT_EQ(Panel()->GetScreen(), PanelCrowd::kCrowdScreen);
    Panel()->SetRedraw(0.0f);
    UserSets(Control(745), 1.0f / 3.0f);
    EXPECT_EQ(Panel()->GetRedraw(), 1.0f);
    UserSets(Control(743), 0.5f);
    UserSets(Control(744), 0.0f);
    EXPECT_TRUE(Automations().empty()) << "editor actions never reach the host";
}

// --- parameter to control ---

TEST_F(RoutingTest, HostAutomationMovesOnlyTheSelectedPersonsKnob) {
    Set(1, 7 * kStep);
    Set(PersonIndex(7, 3), 0.375f);
    EXPECT_EQ(Control(20)->getValue(), 0.375f);
    Set(1, 2 * kStep);
    const float shown = Control(20)->getValue();
    EXPECT_EQ(shown, Get(PersonIndex(2, 3)));
    Set(PersonIndex(7, 3), 0.125f);
    EXPECT_EQ(Control(20)->getValue(), shown);
    // A selected person's values 8 to 11 have no knob but raise the panel's redraw flag.
    Panel()->SetRedraw(0.0f);
    Set(PersonIndex(2, 9), 0.5f);
    EXPECT_EQ(Panel()->GetRedraw(), 1.0f);
    Panel()->SetRedraw(0.0f);
    Set(PersonIndex(5, 0), 0.5f);
    EXPECT_EQ(Panel()->GetRedraw(), 0.0f);
}

TEST_F(RoutingTest, LoweringThePopulationRelabelsAndClampsTheSelection) {
    Set(0, 20 * kStep);
    Set(1, 15 * kStep);
    Set(0, 10 * kStep);
    COptionMenu* person = Menu(1);
    EXPECT_EQ(Title(person, 10), "11");
    EXPECT_EQ(Title(person, 11), "--");
    EXPECT_EQ(Title(person, 59), "--");
    EXPECT_EQ(Get(1), 10 * kStep);
    EXPECT_EQ(PersonShown(), 10);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(editor->GetPersonKnob(k)->getValue(), Get(PersonIndex(10, k))) << k;
    EXPECT_EQ(Menu(0)->getCurrentIndex(), 10);
    Set(0, 30 * kStep);
    EXPECT_EQ(Title(person, 30), "31");
    EXPECT_EQ(Get(1), 10 * kStep) << "raising keeps the selection";
}

TEST_F(RoutingTest, HostSelectionBeyondThePopulationIsClampedInTheControlsOnly) {
    Set(0, 4 * kStep);
    Set(PersonIndex(4, 6), 0.625f);
    Set(1, 9 * kStep);
    EXPECT_EQ(Get(1), 9 * kStep) << "the stored value stays as the host wrote it";
    EXPECT_EQ(PersonShown(), 4);
    EXPECT_EQ(Control(23)->getValue(), 0.625f);
    // The knobs edit the person they show.
    host.Clear();
    UserSets(Control(23), 0.75f);
    EXPECT_EQ(Automations(), (std::vector<std::pair<int, float>>{{PersonIndex(4, 6), 0.75f}}));
}

TEST_F(RoutingTest, OddHostValuesGiveDrawableControls) {
    Set(2, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(Control(2)->getValue(), 0.0f);
    Set(1, std::numeric_limits<float>::infinity());
    Set(1, -3.0f);
    EXPECT_EQ(PersonShown(), 0);
    Set(0, 1e30f);
    EXPECT_EQ(Title(Menu(1), 59), "60");
    Set(0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(Title(Menu(1), 1), "--");
    Set(736, 0.5f);
    Set(-1, 0.5f);
    editor->setParameter(736, 0.5f);
    editor->setParameter(-5, 0.5f);
    Advance(40);
    Idle();
}

TEST_F(RoutingTest, ProgramChangeBringsEveryControlToTheNewProgram) {
    SetProgram(5);
    for (int index : {0, 2, 3, 4, 5, 6, 12, 13})
        EXPECT_EQ(editor->GetControlForParameter(index)->getValue(), Get(index)) << index;
    const int p = PersonShown();
    for (int k = 0; k < 8; ++k) EXPECT_EQ(editor->GetPersonKnob(k)->getValue(), Get(PersonIndex(p, k))) << k;
    char name[32] = {};
    Call(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(static_cast<CTextEdit*>(Control(11))->getText(), name);
}

// --- changes from other threads ---

TEST_F(RoutingTest, OtherThreadsOnlyMarkAndIdleAppliesTheMarks) {
    const float wetBefore = Control(2)->getValue();
    std::thread automation([this] {
        Set(2, 0.125f);
        Set(PersonIndex(0, 6), 0.875f);
    });
    automation.join();
    EXPECT_EQ(Get(2), 0.125f);
    EXPECT_EQ(Control(2)->getValue(), wetBefore) << "views are touched only on the UI thread";
    Idle();
    EXPECT_EQ(Control(2)->getValue(), 0.125f);
    EXPECT_EQ(Control(23)->getValue(), 0.875f);
}

TEST_F(RoutingTest, MarkedChangesEndAsIfTheyHadArrivedOnTheUIThread) {
    Set(0, 20 * kStep);
    Set(1, 5 * kStep);
    // The same sequence, first applied here, then from another thread.
    auto sequence = [this] {
        Set(1, 15 * kStep);
        Set(0, 10 * kStep);
        Set(PersonIndex(10, 0), 0.3125f);
        Set(3, 0.4375f);
    };
    sequence();
    const float selection = Get(1);
    const long shown = Menu(1)->getCurrentIndex();
    const float knob = Control(17)->getValue();
    const std::string label10 = Title(Menu(1), 10), label11 = Title(Menu(1), 11);

    Set(0, 20 * kStep);
    Set(1, 5 * kStep);
    Set(PersonIndex(10, 0), 0.0f);
    std::thread automation(sequence);
    automation.join();
    Idle();
    EXPECT_EQ(Get(1), selection);
    EXPECT_EQ(Get(1), 10 * kStep);
    EXPECT_EQ(Menu(1)->getCurrentIndex(), shown);
    EXPECT_EQ(Control(17)->getValue(), knob);
    EXPECT_EQ(Control(17)->getValue(), 0.3125f);
    EXPECT_EQ(Control(3)->getValue(), 0.4375f);
    EXPECT_EQ(Title(Menu(1), 10), label10);
    EXPECT_EQ(Title(Menu(1), 11), label11);
}

TEST_F(RoutingTest, ProgramChangeFromAnotherThreadShowsAtIdle) {
    std::thread automation([this] { SetProgram(7); });
    automation.join();
    Idle();
    for (int index : {0, 2, 3, 4, 5, 6, 12, 13})
        EXPECT_EQ(editor->GetControlForParameter(index)->getValue(), Get(index)) << index;
    char name[32] = {};
    Call(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(static_cast<CTextEdit*>(Control(11))->getText(), name);
    EXPECT_EQ(Title(static_cast<COptionMenu*>(Control(8)), 7), name);
}

TEST_F(RoutingTest, MarksLeftFromAClosedWindowAreNotAppliedToTheNextOne) {
    Close();
    std::thread automation([this] { Set(2, 0.625f); });
    automation.join();
    ASSERT_TRUE(Open());
    EXPECT_EQ(Control(2)->getValue(), 0.625f) << "open reads the value itself";
    UserSets(Control(2), 0.25f);
    Idle();
    EXPECT_EQ(Control(2)->getValue(), 0.25f);
}

}  // namespace
