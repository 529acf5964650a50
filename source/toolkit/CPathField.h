// The last resort for asking a path, where neither the host nor a dialog program can: a text field
// drawn inside the editor's frame, with a title line and OK and Cancel areas. Return or OK answers
// the typed path; Escape or Cancel answers null. Losing the focus answers nothing: the field stays.
// The text is at most CTextEdit::kMaxLength bytes.
#pragma once

#include <functional>
#include <string>

#include "toolkit/CControlListener.h"
#include "toolkit/CTextEdit.h"

class CPathField : public CTextEdit {
public:
    // Called once, on the UI thread, from the field's event handling: the path, or null.
    using Answer = std::function<void(const char* path)>;

    // UI thread: size is the whole box; title may be null.
    CPathField(const CRect& size, const char* title, const char* initialText);
    // UI thread: tells the gone handler (the frame deleted the field before it answered).
    ~CPathField() override;

    // UI thread.
    void setAnswerHandler(Answer handler) { answerHandler = std::move(handler); }
    void setGoneHandler(std::function<void()> handler) { goneHandler = std::move(handler); }
    // UI thread: starts editing with the caret after the text (the field must be in a frame).
    void startEditing();
    bool isAnswered() const { return answered; }

    // UI thread: the box for a frame of frameSize: centred, at most 440 by 76 pixels.
    static CRect PlaceIn(const CRect& frameSize);
    // The parts of the box, in frame coordinates.
    CRect textRect() const;
    CRect okRect() const;
    CRect cancelRect() const;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    long onKeyDown(VstKeyCode& keyCode) override;
    void looseFocus() override;
    // A path field edits no parameter: no gesture reaches the host.
    void beginEdit() override {}
    void endEdit() override {}

    bool isTypeOf(const char* type) const override;

private:
    class Commit : public CControlListener {
    public:
        explicit Commit(CPathField* field) : field(field) {}
        void valueChanged(CControl* control) override;

    private:
        CPathField* field;
    };

    void answer(const char* path);
    // Runs call with the view's size narrowed to the text area, where CTextEdit draws and edits.
    template <typename Call>
    auto asTextArea(Call call);

    std::string title;
    Commit commit{this};
    Answer answerHandler;
    std::function<void()> goneHandler;
    bool answered = false;
    bool losingFocus = false;
};
