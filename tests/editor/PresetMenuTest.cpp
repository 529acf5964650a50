// The preset controls: the action menu with the program list, the program buttons and the name
// field, and the program list following every rename.
#include "EditorHarness.h"

using namespace edtest;

namespace {

using PresetMenuTest = OpenEditorTest;

TEST_F(PresetMenuTest, ActionMenuLiesOnTopAndHoldsTheCommandsAndTheProgramList) {
    COptionMenu* action = Menu(7);
    COptionMenu* programs = Menu(8);
    EXPECT_EQ(action->getStyle(), 21000);
    EXPECT_EQ(Frame()->getViewAt(CPoint(20, 390)), action) << "the action menu takes the clicks";
    ASSERT_EQ(action->getNbEntries(), 5);
    EXPECT_TRUE(action->getEntry(3)->isSeparator());
    EXPECT_EQ(Titles(7, 0, 4), "Load preset|Save preset|Reset current|-|Presets|");
    EXPECT_EQ(action->getEntry(4)->getSubmenu(), programs);
    ASSERT_EQ(programs->getNbEntries(), 24);
    std::string names;
    for (const auto& program : engine->bank.programs) names += program.name + std::string("|");
    EXPECT_EQ(Titles(8, 0, 23), names);

    programs->setCurrent(5);
    editor->valueChanged(programs);
    EXPECT_EQ(Program(), 5);
    EXPECT_EQ(NameField(), ProgramName());
    ASSERT_FALSE(host.Automations().empty());
    EXPECT_EQ(host.Automations().back(), (std::pair<int, float>{8, programs->getValue()}));
}

TEST_F(PresetMenuTest, ProgramButtonsStepOncePerReleaseOnOrOffTheButtonAndWrap) {
    UserSets(Control(9), 1.0f);
    EXPECT_EQ(Program(), 0) << "the report with 1 does nothing";
    Click(Control(9));
    EXPECT_EQ(Program(), 23);
    EXPECT_EQ(host.Automations(), (std::vector<std::pair<int, float>>{{9, 0.0f}}));
    EXPECT_EQ(NameField(), ProgramName());
    Click(Control(10));
    EXPECT_EQ(Program(), 0);
    Click(Control(10), true);
    EXPECT_EQ(Program(), 1);
    EXPECT_EQ(NameField(), ProgramName());
}

TEST_F(PresetMenuTest, RenamesAreCutTo25CharactersAndShowInTheProgramListAtOnce) {
    SetProgram(2);
    auto* field = static_cast<CTextEdit*>(Control(11));
    field->setText("An evening hall, very full of murmurs");
    host.Clear();
    editor->valueChanged(field);
    EXPECT_STREQ(engine->CurrentProgram().name, "An evening hall, very ful");
    EXPECT_EQ(NameField(), "An evening hall, very ful");
    EXPECT_EQ(Titles(8, 2, 2), "An evening hall, very ful|");
    ASSERT_EQ(host.Automations().size(), 1u);
    EXPECT_EQ(host.Automations()[0].first, 11);

    // A host's rename shows at the next program display update, with the field's 27 characters.
    char hostName[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    Call(effSetProgramName, 0, 0, hostName);
    Set(11, 0.0f);
    EXPECT_EQ(Titles(8, 2, 2), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0|");
    EXPECT_EQ(NameField(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0");
}

}  // namespace
