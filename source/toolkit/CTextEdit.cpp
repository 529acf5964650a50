#include "toolkit/CTextEdit.h"

#include <cairo.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

namespace {

std::string Limited(const char* txt) {
    std::string s = txt != nullptr ? txt : "";
    if (s.size() > CTextEdit::kMaxLength) s.resize(CTextEdit::kMaxLength);
    return s;
}

// Width of every prefix of text in font: prefix[i] is the width of the first i bytes.
std::vector<CCoord> PrefixWidths(const std::string& text, CFont font) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    auto* context = new CDrawContext(surface, CRect(0, 0, 1, 1), 1.0);
    context->setFont(font);
    std::vector<CCoord> widths(text.size() + 1, 0);
    for (size_t i = 1; i <= text.size(); ++i) widths[i] = context->getStringWidth(text.substr(0, i).c_str());
    context->forget();
    cairo_surface_destroy(surface);
    return widths;
}

CCoord TextLeft(const CRect& r, CCoord textWidth, CHoriTxtAlign align) {
    if (align == kLeftText) return r.left;
    if (align == kRightText) return r.right - textWidth;
    return r.left + (r.width() - textWidth) / 2;
}

// Where the text starts as drawn: while editing, text too long for the field scrolls left so the
// caret stays inside.
CCoord VisibleLeft(const CRect& r, const std::vector<CCoord>& widths, size_t caret, bool editing,
                   CHoriTxtAlign align) {
    CCoord left = TextLeft(r, widths.back(), align);
    if (editing) {
        const CCoord caretX = left + widths[caret];
        if (caretX > r.right - 2) left -= caretX - (r.right - 2);
    }
    return left;
}

}  // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* txt, CBitmap* background,
                     long style)
    : CParamDisplay(size, background, style), text(Limited(txt)) {
    setListener(listener);
    setTag(tag);
}

CTextEdit::~CTextEdit() = default;

void CTextEdit::setText(const char* txt) {
    text = Limited(txt);
    if (editing) {
        editing = false;  // the new text wins over the edit; nothing is reported
        editText.clear();
        caret = 0;
        CFrame* frame = getFrame();
        if (frame != nullptr && frame->getFocusView() == this) frame->setFocusView(nullptr);
    }
    setDirty();
}

void CTextEdit::getText(char* txt) const {
    if (txt == nullptr) return;
    std::memcpy(txt, text.c_str(), text.size() + 1);
}

void CTextEdit::draw(CDrawContext* context) {
    if ((style & kNoDrawStyle) != 0 || context == nullptr) {
        setDirty(false);
        return;
    }
    drawText(context, "", size);  // background and frame
    const std::string& shown = editing ? editText : text;
    const std::vector<CCoord> widths = PrefixWidths(shown, fontID_);
    const CCoord left = VisibleLeft(size, widths, caret, editing, horiTxtAlign);

    CRect oldClip;
    context->getClipRect(oldClip);
    CRect clip = size;
    clip.bound(oldClip);
    context->setClipRect(clip);
    if (!shown.empty() && (style & kNoTextStyle) == 0) {
        const CRect textRect(left, size.top, left + widths.back() + 1, size.bottom);
        context->setFont(fontID_);
        if ((style & kShadowText) != 0) {
            CRect shadowRect = textRect;
            shadowRect.offset(1, 1);
            context->setFontColor(shadowColor);
            context->drawString(shown.c_str(), shadowRect, false, kLeftText);
        }
        context->setFontColor(fontColor);
        context->drawString(shown.c_str(), textRect, false, kLeftText);
    }
    if (editing) {
        const CCoord x = left + widths[caret];
        context->setFrameColor(fontColor);
        context->setLineWidth(1);
        context->drawLine(CPoint(x, size.top + 1), CPoint(x, size.bottom - 1));
    }
    context->setClipRect(oldClip);
    setDirty(false);
}

CMouseEventResult CTextEdit::onMouseDown(CPoint& where, const long& buttons) {
    if (!mouseEnabled || (buttons & kLButton) == 0) return kMouseEventNotHandled;
    CFrame* frame = getFrame();
    if (frame == nullptr) return kMouseEventNotHandled;
    // The click lands on the text as it is drawn now, scrolled or not.
    const bool wasEditing = editing;
    const size_t drawnCaret = caret;
    frame->setFocusView(this);  // starts the edit with the caret at the end
    if (frame->getPlatformFrame() != nullptr) frame->getPlatformFrame()->takeKeyboardFocus();
    if (!editing) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;

    // The caret goes to the character boundary nearest to the click.
    const std::vector<CCoord> widths = PrefixWidths(editText, fontID_);
    const CCoord left = VisibleLeft(size, widths, wasEditing ? drawnCaret : 0, wasEditing, horiTxtAlign);
    size_t best = editText.size();
    CCoord bestDistance = -1;
    for (size_t i = 0; i < widths.size(); ++i) {
        const CCoord d = std::abs(left + widths[i] - where.h);
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    caret = best;
    setDirty();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

long CTextEdit::onKeyDown(VstKeyCode& keyCode) {
    if (!editing) return -1;
    switch (keyCode.virt) {
        case VKEY_RETURN:
        case VKEY_ENTER:
            commit();
            return 1;
        case VKEY_ESCAPE:
            cancel();
            return 1;
        case VKEY_BACK:
            if (caret > 0) {
                editText.erase(caret - 1, 1);
                --caret;
            }
            break;
        case VKEY_DELETE:
            if (caret < editText.size()) editText.erase(caret, 1);
            break;
        case VKEY_LEFT:
            if (caret > 0) --caret;
            break;
        case VKEY_RIGHT:
            if (caret < editText.size()) ++caret;
            break;
        case VKEY_HOME:
            caret = 0;
            break;
        case VKEY_END:
            caret = editText.size();
            break;
        default: {
            // Shortcuts with Control or Command belong to the host.
            if ((keyCode.modifier & (MODIFIER_CONTROL | MODIFIER_COMMAND)) != 0) return -1;
            VstInt32 c = keyCode.character;
            if (keyCode.virt == VKEY_SPACE && c == 0) c = ' ';
            if (keyCode.virt != 0 && keyCode.virt != VKEY_SPACE) return -1;
            // Program names are 8-bit text of unknown encoding: plain ASCII only.
            if (c < 0x20 || c > 0x7e) return -1;
            if (editText.size() < kMaxLength) {
                editText.insert(caret, 1, static_cast<char>(c));
                ++caret;
            }
            break;
        }
    }
    setDirty();
    return 1;
}

void CTextEdit::takeFocus() {
    if (editing) return;
    editing = true;
    editText = text;
    caret = editText.size();
    setDirty();
}

void CTextEdit::looseFocus() { commit(); }

void CTextEdit::commit() {
    if (!editing) return;
    editing = false;
    text = editText;
    editText.clear();
    caret = 0;
    setDirty();
    CFrame* frame = getFrame();
    if (frame != nullptr && frame->getFocusView() == this) frame->setFocusView(nullptr);
    // Reported even when unchanged: Return on a proposed text is an answer too.
    beginEdit();
    if (listener != nullptr) listener->valueChanged(this);
    endEdit();
}

void CTextEdit::cancel() {
    if (!editing) return;
    editing = false;
    editText.clear();
    caret = 0;
    setDirty();
    CFrame* frame = getFrame();
    if (frame != nullptr && frame->getFocusView() == this) frame->setFocusView(nullptr);
}

bool CTextEdit::isTypeOf(const char* type) const {
    return (type != nullptr && std::strcmp(type, "CTextEdit") == 0) || CParamDisplay::isTypeOf(type);
}

CView* CTextEdit::newCopy() const {
    auto* copy = new CTextEdit(size, listener, tag, text.c_str(), pBackground, style);
    copyLookTo(copy);
    return copy;
}
