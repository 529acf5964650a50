// A control that shows text: font, colours, alignment, style. The base of text fields and menus.
#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"

class CParamDisplay : public CControl {
public:
    // UI thread.
    CParamDisplay(const CRect& size, CBitmap* background = nullptr, long style = 0);
    ~CParamDisplay() override;

    void setFont(CFont fontID) { fontID_ = fontID; setDirty(); }
    CFont getFont() const { return fontID_; }
    void setFontColor(CColor color) { fontColor = color; setDirty(); }
    CColor getFontColor() const { return fontColor; }
    void setBackColor(CColor color) { backColor = color; setDirty(); }
    CColor getBackColor() const { return backColor; }
    void setFrameColor(CColor color) { frameColor = color; setDirty(); }
    CColor getFrameColor() const { return frameColor; }
    void setShadowColor(CColor color) { shadowColor = color; setDirty(); }
    void setHoriAlign(CHoriTxtAlign align) { horiTxtAlign = align; setDirty(); }
    CHoriTxtAlign getHoriAlign() const { return horiTxtAlign; }
    void setStyle(long val) { style = val; setDirty(); }
    long getStyle() const { return style; }
    // Transparent: neither background bitmap nor back colour is drawn, only the text.
    void setTransparency(bool val) override;

    // Draws background (unless transparent), frame (unless kNoFrame) and the value as text.
    void draw(CDrawContext* context) override;

    bool isTypeOf(const char* type) const override;

protected:
    // Gives copy this display's font, colours, alignment, transparency and value (newCopy).
    void copyLookTo(CParamDisplay* copy) const;
    // Draws string in the display's font, colours, alignment and style.
    void drawText(CDrawContext* context, const char* string, const CRect& rect);

    CFont fontID_ = kNormalFontSmall;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CColor shadowColor = kBlackCColor;
    CHoriTxtAlign horiTxtAlign = kCenterText;
    long style;
};
