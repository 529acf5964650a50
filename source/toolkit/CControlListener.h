// Who hears a control's changes and gesture brackets (the editor).
#pragma once

#include "toolkit/VstguiTypes.h"

class CControl;
struct CPoint;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    // UI thread: the control's value changed by the user.
    virtual void valueChanged(CControl* control) = 0;
    // UI thread: a click with modifiers; non-zero when the listener used it.
    virtual long controlModifierClicked(CControl* /*control*/, long /*button*/) { return 0; }
    // UI thread: a user gesture on the control begins / ends.
    virtual void controlBeginEdit(CControl* /*control*/) {}
    virtual void controlEndEdit(CControl* /*control*/) {}
};
