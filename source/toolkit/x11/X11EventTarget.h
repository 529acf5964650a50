// Something that owns windows on the shared X11 connection and is handed their events.
#pragma once

typedef union _XEvent XEvent;

class X11EventTarget {
public:
    virtual ~X11EventTarget() = default;
    // UI thread: one event for a window registered to this target.
    virtual void handleEvent(XEvent& event) = 0;
};
