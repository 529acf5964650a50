// The preset controls: the action menu with the program list, the program buttons and the name
// field, their look, and the program list following every rename and load.
#include <cstring>

#include "EditorHarness.h"

using namespace edtest;

namespace {

class PresetMenuTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(Open());
        host.Clear();
    }
    std::string ProgramName(int program) { return engine->bank.programs[program].name; }
};

TEST_F(PresetMenuTest, ActionMenuHoldsTheCommandsAndTheProgramList) {
    COptionMenu* action = Menu(7);
    COptionMenu* programs = Menu(8);
    ASSERT_NE(action, nullptr);
    ASSERT_NE(programs, nullptr);
    for (COptionMenu* menu : {action, programs}) {
        EXPECT_EQ(menu->getStyle(), 21000);
        EXPECT_EQ(menu->getViewSize(), CRect(8, 383, 73, 396));
        EXPECT_EQ(menu->getBackground(), nullptr);
    }
    long actionAt = -1, programsAt = -1;
    for (long i = 0; i < Frame()->getNbViews(); ++i) {
        if (Frame()->getView(i) == action) actionAt = i;
        if (Frame()->getView(i) == programs) programsAt = i;
    }
    EXPECT_GT(actionAt, programsAt) << "the action menu lies on top and takes the clicks";
    EXPECT_EQ(Frame()->getViewAt(CPoint(20, 390)), action);

    ASSERT_EQ(action->getNbEntries(), 5);
    EXPECT_EQ(Title(action, 0), "Load preset");
    EXPECT_EQ(Title(action, 1), "Save preset");
    EXPECT_EQ(Title(action, 2), "Reset current");
    EXPECT_TRUE(action->getEntry(3)->isSeparator());
    EXPECT_EQ(Title(action, 4), "Presets");
    EXPECT_EQ(action->getEntry(4)->getSubmenu(), programs);
    ASSERT_EQ(programs->getNbEntries(), 24);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(Title(programs, i), ProgramName(i)) << i;
    EXPECT_EQ(action->getValue(), 0.0f);
}

TEST_F(PresetMenuTest, ProgramButtonsAndNameFieldLook) {
    auto* previous = Control(9);
    auto* next = Control(10);
    ASSERT_TRUE(previous->isTypeOf("CKickButton"));
    ASSERT_TRUE(next->isTypeOf("CKickButton"));
    CRect expected = previous->getViewSize();
    EXPECT_EQ(expected.getTopLeft(), CPoint(76, 383));
    expected.offset(20, 0);
    EXPECT_EQ(next->getViewSize(), expected);
    EXPECT_EQ(previous->getBackground()->getResourceID(), 213);
    EXPECT_EQ(next->getBackground()->getResourceID(), 214);
    EXPECT_EQ(previous->getValue(), 0.0f);

    auto* field = dynamic_cast<CTextEdit*>(Control(11));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->getViewSize(), CRect(118, 384, 258, 396));
    EXPECT_EQ(field->getStyle(), 0);
    EXPECT_TRUE(field->getTransparency());
    EXPECT_EQ(field->getFont(), kNormalFontVerySmall);
    EXPECT_EQ(field->getFontColor(), MakeCColor(0, 0, 0, 255));
    EXPECT_EQ(field->getBackColor(), MakeCColor(199, 213, 231, 0));
    EXPECT_EQ(field->getFrameColor(), MakeCColor(199, 213, 231, 0));
    EXPECT_EQ(field->getHoriAlign(), kLeftText);
    EXPECT_EQ(std::string(field->getText()), ProgramName(0));
    EXPECT_EQ(field->getBackground(), nullptr);
}

TEST_F(PresetMenuTest, PickingAProgramSelectsIt) {
    COptionMenu* programs = Menu(8);
    programs->setCurrent(5);
    editor->valueChanged(programs);
    EXPECT_EQ(Program(), 5);
    EXPECT_EQ(std::string(static_cast<CTextEdit*>(Control(11))->getText()), ProgramName(5));
    const auto automations = host.Automations();
    ASSERT_FALSE(automations.empty());
    EXPECT_EQ(automations.back(), (std::pair<int, float>{8, programs->getValue()}));
}

TEST_F(PresetMenuTest, SteppingWrapsAtBothEnds) {
    Click(Control(9));
    EXPECT_EQ(Program(), 23);
    EXPECT_EQ(std::string(static_cast<CTextEdit*>(Control(11))->getText()), ProgramName(23));
    Click(Control(10));
    EXPECT_EQ(Program(), 0);
    for (int i = 0; i < 24; ++i) Click(Control(10));
    EXPECT_EQ(Program(), 0) << "24 single steps go round once";
}

TEST_F(PresetMenuTest, RenamesShowInTheProgramListAtOnce) {
    SetProgram(2);
    auto* field = static_cast<CTextEdit*>(Control(11));
    field->setText("Town Square");
    editor->valueChanged(field);
    EXPECT_EQ(Title(Menu(8), 2), "Town Square");
    EXPECT_EQ(ProgramName(2), "Town Square");

    // A host's rename shows at the next program display update.
    char hostName[] = "Chapel";
    Call(effSetProgramName, 0, 0, hostName);
    Set(11, 0.0f);
    EXPECT_EQ(Title(Menu(8), 2), "Chapel");
    EXPECT_EQ(std::string(field->getText()), "Chapel");
}

TEST_F(PresetMenuTest, ProgramListOmitsNothingOfAFullName) {
    char longName[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    Call(effSetProgramName, 0, 0, longName);
    editor->setParameter(11, 0.0f);
    EXPECT_EQ(Title(Menu(8), 0), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0") << "27 characters, the field's room";
}

}  // namespace
