#include "toolkit/CParamDisplay.h"

#include <cstdio>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, long style)
    : CControl(size, nullptr, 0, background), style(style) {}

CParamDisplay::~CParamDisplay() = default;

void CParamDisplay::setTransparency(bool val) {
    CControl::setTransparency(val);
    setDirty();
}

void CParamDisplay::draw(CDrawContext* context) {
    if ((style & kNoDrawStyle) == 0 && context != nullptr) {
        char text[32];
        std::snprintf(text, sizeof text, "%2.2f", static_cast<double>(value));
        drawText(context, text, size);
    }
    setDirty(false);
}

void CParamDisplay::drawText(CDrawContext* context, const char* string, const CRect& rect) {
    if ((style & kNoDrawStyle) != 0 || context == nullptr) return;

    if (!bTransparencyEnabled) {
        if (pBackground != nullptr) {
            pBackground->draw(context, rect);
        } else {
            context->setFillColor(backColor);
            context->fillRect(rect);
        }
    }
    if ((style & (k3DIn | k3DOut)) != 0) {
        // Light from the top left: raised is light there, sunken dark.
        const CColor light = kWhiteCColor;
        const CColor dark = MakeCColor(64, 64, 64, 255);
        const CPoint topLeft(rect.left, rect.top);
        const CPoint topRight(rect.right - 1, rect.top);
        const CPoint bottomLeft(rect.left, rect.bottom - 1);
        const CPoint bottomRight(rect.right - 1, rect.bottom - 1);
        context->setFrameColor((style & k3DIn) != 0 ? dark : light);
        context->drawLine(bottomLeft, topLeft);
        context->drawLine(topLeft, topRight);
        context->setFrameColor((style & k3DIn) != 0 ? light : dark);
        context->drawLine(topRight, bottomRight);
        context->drawLine(bottomRight, bottomLeft);
    } else if ((style & kNoFrame) == 0) {
        context->setFrameColor(frameColor);
        context->drawRect(rect);
    }

    if ((style & kNoTextStyle) != 0 || string == nullptr || string[0] == '\0') return;
    // The text never spills out of the view, whatever clip the caller had.
    CRect oldClip;
    context->getClipRect(oldClip);
    CRect clip = rect;
    clip.bound(oldClip);
    context->setClipRect(clip);
    context->setFont(fontID_);
    if ((style & kShadowText) != 0) {
        CRect shadowRect = rect;
        shadowRect.offset(1, 1);
        context->setFontColor(shadowColor);
        context->drawString(string, shadowRect, false, horiTxtAlign);
    }
    context->setFontColor(fontColor);
    context->drawString(string, rect, false, horiTxtAlign);
    context->setClipRect(oldClip);
}

bool CParamDisplay::isTypeOf(const char* type) const {
    return (type != nullptr && std::strcmp(type, "CParamDisplay") == 0) || CControl::isTypeOf(type);
}

void CParamDisplay::copyLookTo(CParamDisplay* copy) const {
    copy->setFont(fontID_);
    copy->setFontColor(fontColor);
    copy->setBackColor(backColor);
    copy->setFrameColor(frameColor);
    copy->setHoriAlign(horiTxtAlign);
    copy->setTransparency(bTransparencyEnabled);
    copy->setValue(value);
}
