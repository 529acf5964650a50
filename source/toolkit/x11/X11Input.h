// X11 input in the toolkit's terms: button masks with modifiers, keys as VstKeyCode, and the
// double-click rule (a second press of the same button within 300 ms and 4 pixels).
#pragma once

#include <X11/Xlib.h>

#include "shell/Vst24Abi.h"

namespace X11Input {

// Any thread: kShift, kControl and kAlt from an event's state.
long Modifiers(unsigned int state);
// Any thread: the buttons held in an event's state (kLButton, kMButton, kRButton) with modifiers.
long HeldButtons(unsigned int state);
// Any thread: kLButton, kMButton or kRButton for X buttons 1 to 3, else 0.
long ButtonBit(unsigned int button);
// UI thread: the key of a KeyPress or KeyRelease; false for keys the toolkit has no use for
// (modifier keys alone, dead keys).
bool TranslateKey(XKeyEvent& event, VstKeyCode& key);

}  // namespace X11Input

class DoubleClickDetector {
public:
    static constexpr unsigned long kIntervalMs = 300;
    static constexpr int kDistance = 4;

    // UI thread: a press of button at (x, y) at server time ms; true when it completes a double
    // click. The press after a double click starts afresh.
    bool press(unsigned long time, int x, int y, unsigned int button);

private:
    bool havePrevious = false;
    unsigned long lastTime = 0;
    int lastX = 0;
    int lastY = 0;
    unsigned int lastButton = 0;
};
