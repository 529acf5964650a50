#include "toolkit/CPathField.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CDrawContext.h"

namespace {

constexpr CCoord kMaxWidth = 440;
constexpr CCoord kHeight = 76;
constexpr CCoord kMargin = 8;
constexpr CCoord kButtonWidth = 64;

const CColor kBoxColor = MakeCColor(40, 44, 52);
const CColor kEdgeColor = MakeCColor(170, 176, 190);
const CColor kTextBackColor = MakeCColor(250, 250, 250);
const CColor kButtonColor = MakeCColor(74, 80, 94);

}  // namespace

CPathField::CPathField(const CRect& size, const char* titleText, const char* initialText)
    : CTextEdit(size, nullptr, 0, initialText), title(titleText != nullptr ? titleText : "") {
    setListener(&commit);
    setFont(kNormalFontSmall);
    setFontColor(kBlackCColor);
    setBackColor(kTextBackColor);
    setFrameColor(kEdgeColor);
    setHoriAlign(kLeftText);
}

CPathField::~CPathField() {
    if (goneHandler) goneHandler();
}

CRect CPathField::PlaceIn(const CRect& frameSize) {
    const CCoord width = std::min(kMaxWidth, frameSize.width() - 2 * kMargin);
    const CCoord left = frameSize.left + (frameSize.width() - width) / 2;
    const CCoord top = frameSize.top + std::max<CCoord>(0, (frameSize.height() - kHeight) / 2);
    return CRect(left, top, left + width, top + kHeight);
}

CRect CPathField::textRect() const {
    return CRect(size.left + kMargin, size.top + 26, size.right - kMargin, size.top + 46);
}

CRect CPathField::cancelRect() const {
    return CRect(size.right - kMargin - kButtonWidth, size.top + 52, size.right - kMargin, size.top + 70);
}

CRect CPathField::okRect() const {
    const CRect cancel = cancelRect();
    return CRect(cancel.left - kMargin - kButtonWidth, cancel.top, cancel.left - kMargin, cancel.bottom);
}

template <typename Call>
auto CPathField::asTextArea(Call call) {
    const CRect whole = size;
    size = textRect();
    struct Restore {
        CRect& size;
        const CRect whole;
        ~Restore() { size = whole; }
    } restore{size, whole};
    return call();
}

void CPathField::startEditing() {
    const CRect text = textRect();
    CPoint end(text.right - 1, (text.top + text.bottom) / 2);
    asTextArea([&] { return CTextEdit::onMouseDown(end, kLButton); });
}

void CPathField::draw(CDrawContext* context) {
    context->setDrawMode(kAntialias);
    context->setFillColor(kBoxColor);
    context->fillRect(size);
    context->setFrameColor(kEdgeColor);
    context->setLineWidth(1);
    context->drawRect(size, kDrawStroked);

    context->setFont(kNormalFontSmall);
    context->setFontColor(kWhiteCColor);
    context->drawString(title.c_str(), CRect(size.left + kMargin, size.top + 6, size.right - kMargin, size.top + 22),
                        false, kLeftText);

    asTextArea([&] { CTextEdit::draw(context); });

    for (const auto& [rect, label] : {std::pair{okRect(), "OK"}, std::pair{cancelRect(), "Cancel"}}) {
        context->setFillColor(kButtonColor);
        context->fillRect(rect);
        context->setFrameColor(kEdgeColor);
        context->drawRect(rect, kDrawStroked);
        context->setFontColor(kWhiteCColor);
        context->drawString(label, rect, false, kCenterText);
    }
    setDirty(false);
}

CMouseEventResult CPathField::onMouseDown(CPoint& where, const long& buttons) {
    if (answered || !(buttons & kLButton)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (okRect().pointInside(where)) {
        if (isEditing()) {
            VstKeyCode enter{0, VKEY_RETURN, 0};
            CTextEdit::onKeyDown(enter);  // commits; the commit listener answers
        }
        if (!answered) answer(getText());
    } else if (cancelRect().pointInside(where)) {
        answer(nullptr);
    } else if (textRect().pointInside(where)) {
        return asTextArea([&] { return CTextEdit::onMouseDown(where, buttons); });
    }
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

long CPathField::onKeyDown(VstKeyCode& keyCode) {
    if (answered) return -1;
    if (keyCode.virt == VKEY_ESCAPE) {
        answer(nullptr);
        return 1;
    }
    return CTextEdit::onKeyDown(keyCode);
}

void CPathField::looseFocus() {
    // The base commits the text on focus loss; for us that is no answer.
    losingFocus = true;
    CTextEdit::looseFocus();
    losingFocus = false;
}

void CPathField::Commit::valueChanged(CControl* /*control*/) {
    if (!field->losingFocus) field->answer(field->getText());
}

void CPathField::answer(const char* path) {
    if (answered) return;
    answered = true;
    setVisible(false);
    if (answerHandler) answerHandler(path != nullptr && path[0] != '\0' ? path : nullptr);
}

bool CPathField::isTypeOf(const char* type) const {
    return std::strcmp(type, "CPathField") == 0 || CTextEdit::isTypeOf(type);
}
