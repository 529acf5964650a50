#include "toolkit/x11/X11Input.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdlib>

#include "toolkit/VstguiTypes.h"

namespace X11Input {

long Modifiers(unsigned int state) {
    long bits = 0;
    if (state & ShiftMask) bits |= kShift;
    if (state & ControlMask) bits |= kControl;
    if (state & Mod1Mask) bits |= kAlt;
    return bits;
}

long HeldButtons(unsigned int state) {
    long bits = Modifiers(state);
    if (state & Button1Mask) bits |= kLButton;
    if (state & Button2Mask) bits |= kMButton;
    if (state & Button3Mask) bits |= kRButton;
    return bits;
}

long ButtonBit(unsigned int button) {
    switch (button) {
        case Button1: return kLButton;
        case Button2: return kMButton;
        case Button3: return kRButton;
        default: return 0;
    }
}

namespace {

unsigned char VirtualKey(KeySym sym) {
    switch (sym) {
        case XK_BackSpace: return VKEY_BACK;
        case XK_Tab:
        case XK_ISO_Left_Tab: return VKEY_TAB;
        case XK_Return: return VKEY_RETURN;
        case XK_KP_Enter: return VKEY_ENTER;
        case XK_Escape: return VKEY_ESCAPE;
        case XK_Delete:
        case XK_KP_Delete: return VKEY_DELETE;
        case XK_Left:
        case XK_KP_Left: return VKEY_LEFT;
        case XK_Right:
        case XK_KP_Right: return VKEY_RIGHT;
        case XK_Up:
        case XK_KP_Up: return VKEY_UP;
        case XK_Down:
        case XK_KP_Down: return VKEY_DOWN;
        case XK_Home:
        case XK_KP_Home: return VKEY_HOME;
        case XK_End:
        case XK_KP_End: return VKEY_END;
        case XK_Page_Up:
        case XK_KP_Page_Up: return VKEY_PAGEUP;
        case XK_Page_Down:
        case XK_KP_Page_Down: return VKEY_PAGEDOWN;
        case XK_Insert:
        case XK_KP_Insert: return VKEY_INSERT;
        default: break;
    }
    if (sym >= XK_F1 && sym <= XK_F12) return static_cast<unsigned char>(VKEY_F1 + (sym - XK_F1));
    return 0;
}

}  // namespace

bool TranslateKey(XKeyEvent& event, VstKeyCode& key) {
    key = VstKeyCode{};
    char text[8] = {};
    KeySym sym = NoSymbol;
    const int length = XLookupString(&event, text, sizeof text, &sym, nullptr);
    if (event.state & ShiftMask) key.modifier |= MODIFIER_SHIFT;
    if (event.state & Mod1Mask) key.modifier |= MODIFIER_ALTERNATE;
    if (event.state & ControlMask) key.modifier |= MODIFIER_CONTROL;
    key.virt = VirtualKey(sym);
    if (key.virt != 0) return true;
    const unsigned char first = static_cast<unsigned char>(text[0]);
    // One 8-bit character (ASCII or Latin-1), as the toolkit's text is 8-bit.
    if (length == 1 && (first >= 0x20 && first != 0x7f)) {
        key.character = first;
        return true;
    }
    // With Control held XLookupString gives a control code; the key itself is more useful.
    if ((event.state & ControlMask) && sym >= 0x20 && sym <= 0xff) {
        key.character = static_cast<int32_t>(sym);
        return true;
    }
    return false;
}

}  // namespace X11Input

bool DoubleClickDetector::press(unsigned long time, int x, int y, unsigned int button) {
    // Server times are 32-bit milliseconds that wrap.
    const unsigned long elapsed = (time - lastTime) & 0xffffffffUL;
    const bool isDouble = havePrevious && button == lastButton && elapsed <= kIntervalMs &&
                          std::abs(x - lastX) <= kDistance && std::abs(y - lastY) <= kDistance;
    havePrevious = !isDouble;
    lastTime = time;
    lastX = x;
    lastY = y;
    lastButton = button;
    return isDouble;
}
