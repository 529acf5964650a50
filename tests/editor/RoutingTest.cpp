// Control routing both ways: what a control's change writes (plainly or as automation), how host
// changes move the controls, the person re-targeting and clamps, and changes from other threads.
#include <limits>
#include <thread>
#include <tuple>

#include "EditorHarness.h"

using namespace edtest;

namespace {

using RoutingTest = OpenEditorTest;

// --- control to parameter ---

TEST_F(RoutingTest, ControlsAutomateTheirParameterWithoutAJumpAndEditorActionsStayInside) {
    Set(1, 3 * kStep);
    const struct { long tag; float value; int index; float written; } cases[] = {
        {2, 0.7f, 2, 0.7f},     {3, 0.7f, 3, 0.7f}, {12, 0.7f, 12, 0.7f},        {13, 0.7f, 13, 0.7f},
        {6, 1.0f, 6, 1.0f},     {23, 0.25f, 59, 0.25f},  // person 3's pan
        {0, 5.0f / 60, 0, 5.0f / 60}, {1, 9.0f / 60, 1, 5 * kStep}};  // six people: the pick is clamped
    for (const auto& c : cases) {
        host.Clear();
        UserSets(Control(c.tag), c.value);
        EXPECT_EQ(host.Automations(), (Calls{{c.index, c.written}})) << c.tag;
        EXPECT_EQ(Get(c.index), c.written) << c.tag;
        EXPECT_EQ(Control(c.tag)->getValue(), c.written) << "no jump when the change comes back: " << c.tag;
    }
    host.Clear();
    Panel()->SetRedraw(0.0f);
    for (const auto& [tag, value] : Calls{{747, 1.0f}, {745, 1.0f / 3}, {743, 0.5f}, {744, 0.0f}})
        UserSets(Control(tag), value);
    EXPECT_TRUE(host.Automations().empty()) << "editor actions never reach the host";
    EXPECT_EQ(Panel()->GetScreen(), PanelCrowd::kHelpScreen);
    EXPECT_EQ(Panel()->GetRedraw(), 1.0f) << "a display mode change redraws";
}

TEST_F(RoutingTest, StepButtonsStepOncePerClickWithinTheirEndsWithoutTellingTheHost) {
    const struct { int population, person; long tag; int wantPopulation, wantPerson; } cases[] = {
        {10, 4, 739, 11, 4}, {10, 4, 738, 9, 4}, {10, 4, 741, 10, 5}, {10, 4, 740, 10, 3}, {0, 0, 738, 0, 0},
        {0, 0, 740, 0, 0},   {0, 0, 741, 0, 0},  {59, 0, 739, 59, 0},
        {6, 6, 741, 6, 6},  // the next person stops at the population menu's entry
    };
    for (const auto& c : cases) {
        Set(0, c.population * kStep);
        Set(1, c.person * kStep);
        Click(Control(c.tag));
        EXPECT_EQ(std::make_tuple(Get(0), Get(1), PersonShown()),
                  std::make_tuple(c.wantPopulation * kStep, c.wantPerson * kStep, c.wantPerson)) << &c - cases;
    }
    EXPECT_TRUE(host.Automations().empty()) << "step buttons write plainly";
    Click(Control(739), true);  // the report is 0 only: no step
    EXPECT_EQ(Get(0), 6 * kStep);
}

TEST_F(RoutingTest, EachBoundKnobPushesTheOtherOnlyOnScreen) {
    Set(4, 0.2f);
    Set(5, 0.6f);
    UserSets(Control(4), 0.8f);
    EXPECT_EQ(std::make_tuple(Control(5)->getValue(), Get(4), Get(5)), std::make_tuple(0.8f, 0.8f, 0.6f));
    UserSets(Control(5), 0.1f);
    EXPECT_EQ(std::make_tuple(Control(4)->getValue(), Get(4), Get(5)), std::make_tuple(0.1f, 0.8f, 0.1f));
    EXPECT_EQ(host.Automations(), (Calls{{4, 0.8f}, {5, 0.1f}}));
    UserSets(Control(5), 0.9f);
    EXPECT_EQ(Control(4)->getValue(), 0.1f) << "inside the bounds nothing is pushed";
}

// --- parameter to control ---

TEST_F(RoutingTest, HostChangesMoveOnlyTheSelectedPersonsKnobClampTheSelectionOnScreenAndOddValuesStayDrawable) {
    Set(1, 7 * kStep);
    Set(PersonIndex(7, 3), 0.375f);
    EXPECT_EQ(Control(20)->getValue(), 0.375f);
    Set(1, 2 * kStep);
    EXPECT_EQ(Control(20)->getValue(), Get(PersonIndex(2, 3)));
    Set(PersonIndex(7, 3), 0.125f);
    EXPECT_EQ(Control(20)->getValue(), Get(PersonIndex(2, 3)));
    // The selected person's values 8 to 11 have no knob but raise the panel's redraw flag.
    Panel()->SetRedraw(0.0f);
    Set(PersonIndex(5, 0), 0.5f);
    EXPECT_EQ(Panel()->GetRedraw(), 0.0f);
    Set(PersonIndex(2, 9), 0.5f);
    EXPECT_EQ(Panel()->GetRedraw(), 1.0f);
    Set(0, 20 * kStep);
    Set(1, 15 * kStep);
    Set(0, 10 * kStep);
    EXPECT_EQ(Titles(1, 9, 11), "10|11|--|");
    EXPECT_EQ(Get(1), 10 * kStep);
    ExpectWindowShowsProgram();
    Set(0, 4 * kStep);
    Set(1, 9 * kStep);
    EXPECT_EQ(Get(1), 9 * kStep) << "the stored value stays as the host wrote it";
    EXPECT_EQ(PersonShown(), 4);
    ExpectWindowShowsProgram();
    Set(0, 30 * kStep);
    EXPECT_EQ(Titles(1, 30, 31), "31|--|");
    EXPECT_EQ(Get(1), 9 * kStep) << "raising keeps the selection";
    Set(2, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(Control(2)->getValue(), 0.0f);
    Set(1, std::numeric_limits<float>::infinity());
    Set(1, -3.0f);
    EXPECT_EQ(PersonShown(), 0);
    Set(0, 1e30f);
    EXPECT_EQ(Titles(1, 59, 59), "60|");
    Set(0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(Titles(1, 0, 1), "1|--|");
    Set(736, 0.5f);
    Set(-1, 0.5f);
}

// --- changes from other threads ---

TEST_F(RoutingTest, OtherThreadsOnlyMarkAndIdleAppliesTheMarksAsIfTheyHadArrivedHere) {
    Set(0, 20 * kStep);
    Set(1, 5 * kStep);
    const float dry = Control(3)->getValue();
    std::thread([this] {
        Set(1, 15 * kStep);
        Set(0, 10 * kStep);  // clamps the selection, on the UI thread as here
        Set(PersonIndex(10, 0), 0.3125f);
        Set(3, 0.4375f);
    }).join();
    EXPECT_EQ(Get(3), 0.4375f);
    EXPECT_EQ(Control(3)->getValue(), dry) << "views are touched only on the UI thread";
    Idle();
    EXPECT_EQ(Get(1), 10 * kStep);
    EXPECT_EQ(Titles(1, 10, 11), "11|--|");
    ExpectWindowShowsProgram();
}

TEST_F(RoutingTest, ProgramChangeFromAnotherThreadShowsAtIdleAndMarksLeftFromAClosedWindowAreNot) {
    std::thread([this] { SetProgram(7); }).join();
    Idle();
    ExpectWindowShowsProgram();
    EXPECT_EQ(Titles(8, 7, 7), ProgramName() + "|");
    Close();
    std::thread([this] { Set(2, 0.625f); }).join();
    ASSERT_TRUE(Open());
    EXPECT_EQ(Control(2)->getValue(), 0.625f) << "open reads the value itself";
    UserSets(Control(2), 0.25f);
    Idle();
    EXPECT_EQ(Control(2)->getValue(), 0.25f);
}

}  // namespace
