// A view with a value between min and max, a tag and a listener. isDirty is true while the value
// differs from the last drawn one (or setDirty raised it); the frame's idle redraws dirty controls.
#pragma once

#include "toolkit/CView.h"

class CControlListener;

class CControl : public CView {
public:
    // UI thread.
    CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0, CBitmap* background = nullptr);
    ~CControl() override;

    void draw(CDrawContext* context) override = 0;

    // UI thread.
    virtual void setValue(float val) { value = val; }
    virtual float getValue() const { return value; }
    virtual void setMin(float val) { vmin = val; }
    virtual float getMin() const { return vmin; }
    virtual void setMax(float val) { vmax = val; }
    virtual float getMax() const { return vmax; }
    virtual void setOldValue(float val) { oldValue = val; }
    virtual float getOldValue() const { return oldValue; }
    virtual void setDefaultValue(float val) { defaultValue = val; }
    virtual float getDefaultValue() const { return defaultValue; }
    // Keeps value inside min..max (NaN becomes min).
    virtual void bounceValue();

    void setTag(long val) { tag = val; }
    long getTag() const { return tag; }
    void setListener(CControlListener* l) { listener = l; }
    CControlListener* getListener() const { return listener; }

    // UI thread: the gesture brackets: the listener's controlBeginEdit, then the frame's
    // beginEdit with this tag; endEdit in the reverse order.
    virtual void beginEdit();
    virtual void endEdit();

    // Dirty when the value moved since the last draw, or when raised by hand.
    bool isDirty() const override;
    void setDirty(bool val = true) override;

    bool isTypeOf(const char* type) const override;

protected:
    CControlListener* listener;
    long tag;
    float oldValue = 1.f;
    float defaultValue = 0.5f;
    float value = 0.f;
    float vmin = 0.f;
    float vmax = 1.f;
    float wheelInc = 0.1f;
};
