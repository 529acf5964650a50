// Reference counting and messages shared by every toolkit object. A new object holds one
// reference; forget() drops one and deletes the object with the last.
#pragma once

#include "toolkit/VstguiTypes.h"

class CBaseObject {
public:
    CBaseObject() = default;
    virtual ~CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    // UI thread.
    virtual void remember() { ++nbReference; }
    // UI thread: deletes the object when the last reference goes.
    virtual void forget() {
        if (--nbReference <= 0) delete this;
    }
    // UI thread.
    long getNbReference() const { return nbReference; }

    // UI thread: a message from sender (timers send CVSTGUITimer::kMsgTimer).
    virtual CMessageResult notify(CBaseObject* /*sender*/, const char* /*message*/) { return kMessageUnknown; }

private:
    long nbReference = 1;
};
