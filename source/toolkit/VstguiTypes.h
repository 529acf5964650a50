// The enumerations and result codes of the toolkit, with the values the editor code relies on.
#pragma once

#include <cstdint>

// Standard fonts. Every one is drawn with the same sans-serif face, so text widths are the same on
// every machine; only the size differs (see FontSize).
enum CFont {
    kSystemFont = 0,
    kNormalFontVeryBig,
    kNormalFontBig,
    kNormalFont,
    kNormalFontSmall,
    kNormalFontSmaller,
    kNormalFontVerySmall,
    kSymbolFont,
    kNumStandardFonts
};

// Pixel size of a standard font: 12, 18, 14, 12, 11, 10, 9, 13 in the order above.
int FontSize(CFont font);

// Font styles (may be combined).
enum CTxtFace { kNormalFace = 0, kBoldFace = 1, kItalicFace = 2, kUnderlineFace = 4 };

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };

enum CDrawMode { kCopyMode = 0, kOrMode, kXorMode, kAntialias };

enum CDrawStyle { kDrawStroked = 0, kDrawFilled, kDrawFilledAndStroked };

enum CLineStyle { kLineSolid = 0, kLineOnOffDash };

// Mouse buttons and modifier keys, as bits of one button state.
enum CButton {
    kDoubleClick = 1 << 0,
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7,
    kButton4 = 1 << 8,
    kButton5 = 1 << 9
};

enum CMouseEventResult {
    kMouseEventNotImplemented = 0,
    kMouseEventHandled = 1,
    kMouseEventNotHandled = 2,
    kMouseDownEventHandledButDontNeedMovedOrUpEvents = 3
};

enum CMessageResult { kMessageUnknown = 0, kMessageNotified = 1 };

// Knob handling, process-wide (AEffGUIEditor::setKnobMode).
enum { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

// View styles (COptionMenu, CTextEdit, COnOffButton). kNoFrame | kCheckStyle is 0x4400.
enum {
    kShadowText = 1 << 0,
    k3DIn = 1 << 1,
    k3DOut = 1 << 2,
    kPopupStyle = 1 << 3,
    kMultipleCheckStyle = 1 << 5,
    kCheckStyle = 1 << 10,
    kNoTextStyle = 1 << 11,
    kNoDrawStyle = 1 << 12,
    kDoubleClickStyle = 1 << 13,
    kNoFrame = 1 << 14
};

// COnOffButton styles: tell the listener before or after the picture changes.
enum { kPreListenerUpdate = 0, kPostListenerUpdate = 1 << 0 };
