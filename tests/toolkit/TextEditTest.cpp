// The text field: editing with a caret, commit on Return or focus loss (one report each), cancel on
// Escape, the 255-byte limit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FrameHarness.h"
#include "toolkit/CTextEdit.h"

namespace {

using Log = std::vector<std::string>;

VstKeyCode Key(unsigned char virt) { return VstKeyCode{0, virt, 0}; }

class TextEditTest : public HeadlessFrameTest {
protected:
    void SetUp() override {
        HeadlessFrameTest::SetUp();
        field = add(new CTextEdit(CRect(20, 20, 120, 34), &recorder, 11, "Hello"));
        field->setHoriAlign(kLeftText);
        field->setFont(kNormalFontVerySmall);
    }
    void press(unsigned char virt) { platform->keyDown(Key(virt)); }
    CTextEdit* field = nullptr;
    const CPoint end{119, 27};
};

TEST_F(TextEditTest, AClickTakesTheKeyboardAndReturnCommitsOnce) {
    platform->click(end);
    EXPECT_EQ(frame->getFocusView(), field);
    EXPECT_TRUE(platform->hasKeyboardFocus());
    EXPECT_TRUE(field->isEditing());
    EXPECT_EQ(field->getCaretPosition(), 5u);

    platform->typeText("abc");
    EXPECT_STREQ(field->getText(), "Hello") << "the text changes at the commit";
    EXPECT_TRUE(recorder.log.empty());
    press(VKEY_RETURN);
    EXPECT_STREQ(field->getText(), "Helloabc");
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(recorder.log, (Log{"listener begin 11", "editor begin 11", "change 11", "editor end 11",
                                 "listener end 11"}));

    platform->focusLost();
    press(VKEY_RETURN);
    EXPECT_EQ(recorder.reports.size(), 1u) << "one edit, one report";
}

TEST_F(TextEditTest, LosingTheFocusCommitsOnce) {
    platform->click(end);
    platform->typeText("X");
    platform->click(CPoint(150, 100));  // elsewhere in the window
    EXPECT_STREQ(field->getText(), "HelloX");
    EXPECT_EQ(recorder.reports.size(), 1u);

    platform->click(end);
    platform->typeText("Y");
    platform->focusLost();  // the window lost the keyboard
    platform->focusLost();
    EXPECT_STREQ(field->getText(), "HelloXY");
    EXPECT_EQ(recorder.reports.size(), 2u);
}

TEST_F(TextEditTest, ClickingAnotherFieldCommitsTheFirst) {
    auto* other = add(new CTextEdit(CRect(20, 50, 120, 64), &recorder, 12, "Other"));
    platform->click(end);
    platform->typeText("1");
    platform->click(CPoint(119, 57));
    EXPECT_STREQ(field->getText(), "Hello1");
    EXPECT_TRUE(other->isEditing());
    EXPECT_FALSE(field->isEditing());
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].tag, 11);
}

TEST_F(TextEditTest, EscapeCancelsAndRestores) {
    platform->click(end);
    platform->typeText("zzz");
    press(VKEY_BACK);
    press(VKEY_ESCAPE);
    EXPECT_STREQ(field->getText(), "Hello");
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(frame->getFocusView(), nullptr);
    platform->focusLost();
    EXPECT_TRUE(recorder.log.empty());
}

TEST_F(TextEditTest, CaretKeysEditWhereTheCaretIs) {
    platform->click(end);
    press(VKEY_HOME);
    EXPECT_EQ(field->getCaretPosition(), 0u);
    press(VKEY_BACK);  // nothing before the caret
    platform->typeText("A");  // AHello
    EXPECT_EQ(field->getCaretPosition(), 1u);
    press(VKEY_END);
    EXPECT_EQ(field->getCaretPosition(), 6u);
    press(VKEY_BACK);  // AHell
    press(VKEY_LEFT);
    press(VKEY_LEFT);
    EXPECT_EQ(field->getCaretPosition(), 3u);
    press(VKEY_DELETE);  // AHel
    press(VKEY_RIGHT);
    press(VKEY_RIGHT);  // stops at the end
    EXPECT_EQ(field->getCaretPosition(), 4u);
    press(VKEY_DELETE);  // nothing after the caret
    press(VKEY_HOME);
    press(VKEY_DELETE);  // Hel
    press(VKEY_LEFT);    // stops at the start
    platform->keyDown(VstKeyCode{0, VKEY_SPACE, 0});
    press(VKEY_RETURN);
    EXPECT_STREQ(field->getText(), " Hel");
}

TEST_F(TextEditTest, OnlyPlainPrintableCharactersAreTyped) {
    VstKeyCode copy{'s', 0, MODIFIER_CONTROL};
    EXPECT_EQ(field->onKeyDown(copy), -1) << "not editing: keys are not ours";
    platform->click(end);
    EXPECT_EQ(field->onKeyDown(copy), -1) << "shortcuts stay the host's";
    VstKeyCode bell{7, 0, 0};
    VstKeyCode accented{233, 0, 0};
    VstKeyCode f1{0, VKEY_F1, 0};
    EXPECT_EQ(field->onKeyDown(bell), -1);
    EXPECT_EQ(field->onKeyDown(accented), -1);
    EXPECT_EQ(field->onKeyDown(f1), -1);
    VstKeyCode shifted{'Q', 0, MODIFIER_SHIFT};
    EXPECT_EQ(field->onKeyDown(shifted), 1);
    press(VKEY_RETURN);
    EXPECT_STREQ(field->getText(), "HelloQ");
}

TEST_F(TextEditTest, TextIsAtMost255Bytes) {
    field->setText(std::string(300, 'a').c_str());
    char buffer[256];
    field->getText(buffer);
    EXPECT_EQ(std::strlen(buffer), 255u);

    field->setText(std::string(250, 'a').c_str());
    platform->click(end);
    press(VKEY_END);
    platform->typeText("bcdefghij");
    press(VKEY_RETURN);
    EXPECT_EQ(std::string(field->getText()), std::string(250, 'a') + "bcdef");

    field->setText(nullptr);
    EXPECT_STREQ(field->getText(), "");
    field->getText(nullptr);  // refused quietly
}

TEST_F(TextEditTest, SetTextEndsAnEditWithoutAReport) {
    platform->click(end);
    platform->typeText("typed");
    field->setText("From the host");
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(frame->getFocusView(), nullptr);
    platform->focusLost();
    EXPECT_STREQ(field->getText(), "From the host");
    EXPECT_TRUE(recorder.log.empty());
}

TEST_F(TextEditTest, TheCaretGoesWhereTheClickWas) {
    platform->click(CPoint(20, 27));
    EXPECT_EQ(field->getCaretPosition(), 0u);
    platform->click(CPoint(27, 27));
    EXPECT_GT(field->getCaretPosition(), 0u);
    EXPECT_LT(field->getCaretPosition(), 5u);
    platform->click(end);
    EXPECT_EQ(field->getCaretPosition(), 5u);

    // A text longer than the field scrolls while edited: a click at the right edge stays at the end.
    field->setText(std::string(60, 'm').c_str());
    platform->click(CPoint(22, 27));
    EXPECT_LE(field->getCaretPosition(), 1u) << "not yet edited: the start is what shows";
    press(VKEY_END);
    platform->click(end);
    EXPECT_EQ(field->getCaretPosition(), 60u);
}

TEST_F(TextEditTest, TheCaretIsDrawnWhileEditing) {
    field->setText("");
    field->setStyle(kNoFrame);
    field->setBackColor(MakeCColor(0, 0, 255));
    field->setFontColor(kWhiteCColor);
    const auto litInColumn = [this](CCoord x) {
        long n = 0;
        for (CCoord y = 20; y < 34; ++y) n += platform->pixel(x, y) != kOpaqueBlue ? 1 : 0;
        return n;
    };
    EXPECT_EQ(litInColumn(20), 0);
    platform->click(end);
    EXPECT_GE(litInColumn(20), 10);
    press(VKEY_ESCAPE);
    EXPECT_EQ(litInColumn(20), 0);
}

}  // namespace
