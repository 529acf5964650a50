// The text field: editing with a caret, commit on Return or focus loss (one report each), cancel on
// Escape, the 255-byte limit.
#include <cstring>

#include "FrameHarness.h"
#include "toolkit/CTextEdit.h"

namespace {

class TextEditTest : public HeadlessFrameTest {
protected:
    void SetUp() override {
        HeadlessFrameTest::SetUp();
        field = add(new CTextEdit(CRect(20, 20, 120, 34), &recorder, 11, "Hello"));
        field->setHoriAlign(kLeftText);
        field->setFont(kNormalFontVerySmall);
    }
    void press(std::initializer_list<unsigned char> keys) {
        for (unsigned char virt : keys) platform->keyDown(VstKeyCode{0, virt, 0});
    }
    CTextEdit* field = nullptr;
    const CPoint end{119, 27};
};

TEST_F(TextEditTest, ReturnFocusLossOrAClickElsewhereCommitsOnceEach) {
    platform->click(end);
    EXPECT_EQ(frame->getFocusView(), field);
    EXPECT_TRUE(platform->hasKeyboardFocus());
    platform->typeText("abc");
    EXPECT_STREQ(field->getText(), "Hello") << "the text changes at the commit";
    press({VKEY_RETURN});
    EXPECT_STREQ(field->getText(), "Helloabc");
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(recorder.log, Recorder::Gesture(11, 1));
    platform->focusLost();
    press({VKEY_RETURN});
    EXPECT_EQ(recorder.reports.size(), 1u) << "one edit, one report";

    platform->click(end);
    platform->typeText("X");
    platform->click(CPoint(150, 100));  // elsewhere in the window
    platform->click(end);
    platform->typeText("Y");
    platform->focusLost();  // the window lost the keyboard
    platform->focusLost();
    auto* other = add(new CTextEdit(CRect(20, 50, 120, 64), &recorder, 12, "Other"));
    platform->click(end);
    platform->typeText("1");
    platform->click(CPoint(119, 57));
    EXPECT_STREQ(field->getText(), "HelloabcXY1");
    EXPECT_TRUE(other->isEditing());
    EXPECT_EQ(recorder.reports.size(), 4u);
}

TEST_F(TextEditTest, EscapeOrATextFromTheHostEndsTheEditWithoutAReport) {
    platform->click(end);
    platform->typeText("zzz");
    press({VKEY_BACK, VKEY_ESCAPE});
    EXPECT_STREQ(field->getText(), "Hello");
    EXPECT_EQ(frame->getFocusView(), nullptr);
    platform->click(end);
    platform->typeText("typed");
    field->setText("From the host");
    platform->focusLost();
    EXPECT_STREQ(field->getText(), "From the host");
    EXPECT_TRUE(recorder.log.empty());
}

TEST_F(TextEditTest, CaretKeysEditWhereTheCaretIsAndOnlyPlainPrintableCharactersAreTyped) {
    VstKeyCode save{'s', 0, MODIFIER_CONTROL};
    EXPECT_EQ(field->onKeyDown(save), -1) << "not editing: keys are not ours";
    platform->click(end);
    EXPECT_EQ(field->getCaretPosition(), 5u);
    press({VKEY_HOME, VKEY_BACK});  // nothing before the caret
    platform->typeText("A");        // AHello
    press({VKEY_END, VKEY_BACK, VKEY_LEFT, VKEY_LEFT});  // AHell
    EXPECT_EQ(field->getCaretPosition(), 3u);
    press({VKEY_DELETE, VKEY_RIGHT, VKEY_RIGHT});  // AHel, stopped at the end
    EXPECT_EQ(field->getCaretPosition(), 4u);
    press({VKEY_DELETE, VKEY_HOME, VKEY_DELETE, VKEY_LEFT, VKEY_SPACE});  // " Hel"
    for (VstKeyCode refused : {save, VstKeyCode{7, 0, 0}, VstKeyCode{233, 0, 0}, VstKeyCode{0, VKEY_F1, 0}})
        EXPECT_EQ(field->onKeyDown(refused), -1) << refused.character;
    VstKeyCode shifted{'Q', 0, MODIFIER_SHIFT};
    EXPECT_EQ(field->onKeyDown(shifted), 1);
    press({VKEY_RETURN});
    EXPECT_STREQ(field->getText(), " QHel");
}

TEST_F(TextEditTest, TextIsAtMost255Bytes) {
    field->setText(std::string(300, 'a').c_str());
    EXPECT_EQ(std::strlen(field->getText()), 255u);
    field->setText(std::string(250, 'a').c_str());
    platform->click(end);
    press({VKEY_END});
    platform->typeText("bcdefghij");
    press({VKEY_RETURN});
    EXPECT_EQ(std::string(field->getText()), std::string(250, 'a') + "bcdef");
    field->setText(nullptr);
    EXPECT_STREQ(field->getText(), "");
    field->getText(nullptr);  // refused quietly
}

}  // namespace
