// A one-line text field edited in place: a click takes the keyboard and shows a caret; typing,
// Backspace, Delete, arrows, Home and End edit; Return or losing the focus commits and reports the
// change to the listener; Escape cancels and restores the text. Text is at most 255 bytes.
#pragma once

#include <string>

#include "toolkit/CParamDisplay.h"

class CTextEdit : public CParamDisplay {
public:
    // UI thread: txt may be null (empty).
    CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* txt = nullptr,
              CBitmap* background = nullptr, long style = 0);
    ~CTextEdit() override;

    // UI thread: replaces the shown text (ends an edit in progress without reporting). Null = "".
    void setText(const char* txt);
    // UI thread: copies the text (with its terminator) into txt, which holds at least 256 bytes.
    void getText(char* txt) const;
    const char* getText() const { return text.c_str(); }
    // UI thread: true while the caret shows.
    bool isEditing() const { return editing; }
    // UI thread: the caret's byte position in the text being edited.
    size_t getCaretPosition() const { return caret; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    long onKeyDown(VstKeyCode& keyCode) override;
    void takeFocus() override;
    void looseFocus() override;

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override;

    static constexpr size_t kMaxLength = 255;

private:
    void commit();
    void cancel();

    std::string text;
    std::string editText;
    size_t caret = 0;
    bool editing = false;
};
