#include "toolkit/CAnimKnob.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/VSTGUIEditorInterface.h"

namespace {

// The knob's travel: from 7 o'clock clockwise to 5 o'clock.
constexpr double kTravelDegrees = 300.0;
constexpr double kPi = 3.14159265358979323846;

float Bounded(float v, float lo, float hi) {
    if (std::isnan(v)) return lo;
    return std::max(lo, std::min(hi, v));
}

// Clockwise angle from 12 o'clock in degrees, in (-180, 180]; false at the very centre.
bool AngleAt(const CPoint& where, const CRect& r, double* degrees) {
    const double dx = static_cast<double>(where.h) - (static_cast<double>(r.left) + static_cast<double>(r.right)) / 2.0;
    const double dy = static_cast<double>(where.v) - (static_cast<double>(r.top) + static_cast<double>(r.bottom)) / 2.0;
    if (std::fabs(dx) < 1.0 && std::fabs(dy) < 1.0) return false;
    *degrees = std::atan2(dx, -dy) * 180.0 / kPi;
    return true;
}

// The setValue / report pair every user change goes through: silent when nothing moved.
void SetAndReport(CAnimKnob* knob, float newValue) {
    const float old = knob->getValue();
    const float bounded = Bounded(newValue, knob->getMin(), knob->getMax());
    if (bounded == old) return;
    knob->setValue(bounded);
    if (CControlListener* l = knob->getListener()) l->valueChanged(knob);
}

}  // namespace

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                     CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      subPixmaps(std::max(1L, subPixmaps)),
      heightOfOneImage(std::max<CCoord>(0, heightOfOneImage)),
      offset(offset) {}

CAnimKnob::~CAnimKnob() = default;

void CAnimKnob::draw(CDrawContext* context) {
    if (pBackground != nullptr && context != nullptr) {
        float norm = (value - vmin) / (vmax - vmin);
        if (!std::isfinite(norm)) norm = 0.f;  // NaN value or an empty range: the first picture
        norm = std::clamp(norm, 0.f, 1.f);
        long index = static_cast<long>(norm * static_cast<float>(subPixmaps - 1) + 0.5f);
        index = std::clamp(index, 0L, subPixmaps - 1);
        if (bInverseBitmap) index = subPixmaps - 1 - index;
        pBackground->draw(context, size, CPoint(offset.h, offset.v + index * heightOfOneImage));
    }
    setDirty(false);
}

CMouseEventResult CAnimKnob::onMouseDown(CPoint& where, const long& buttons) {
    if (!mouseEnabled) return kMouseEventNotHandled;
    if ((buttons & (kRButton | kControl)) != 0 && listener != nullptr &&
        listener->controlModifierClicked(this, buttons) != 0) {
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    if ((buttons & kLButton) == 0) return kMouseEventNotHandled;

    if ((buttons & kDoubleClick) != 0) {
        beginEdit();
        SetAndReport(this, defaultValue);
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

    beginEdit();
    modeAtDown = kCircularMode;
    if (CFrame* frame = getFrame()) {
        if (VSTGUIEditorInterface* editor = frame->getEditor()) modeAtDown = editor->getKnobMode();
    }
    dragging = true;
    firstPoint = where;
    lastPoint = where;
    entryValue = value;
    lastButtons = buttons;
    double degrees = 0.0;
    startAngleValue = AngleAt(where, size, &degrees) ? static_cast<float>(degrees) : 0.f;
    onMouseMoved(where, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseMoved(CPoint& where, const long& buttons) {
    if (!dragging) return kMouseEventNotHandled;
    const float range = vmax - vmin;
    if (modeAtDown == kLinearMode) {
        if ((buttons & kShift) != (lastButtons & kShift)) {
            // Shift pressed or released: continue from here so the knob does not jump.
            firstPoint = where;
            entryValue = value;
        }
        lastButtons = buttons;
        const float zoom = zoomFactor > 0.f ? zoomFactor : 10.f;
        const float pixels = (buttons & kShift) != 0 ? 200.f * zoom : 200.f;
        const float diff = static_cast<float>((firstPoint.v - where.v) + (where.h - firstPoint.h));
        SetAndReport(this, entryValue + diff / pixels * range);
    } else if (modeAtDown == kRelativCircularMode) {
        double now = 0.0;
        double before = 0.0;
        if (AngleAt(where, size, &now)) {
            if (AngleAt(lastPoint, size, &before)) {
                double delta = now - before;
                if (delta > 180.0) delta -= 360.0;  // across 6 o'clock the short way round
                if (delta < -180.0) delta += 360.0;
                SetAndReport(this, value + static_cast<float>(delta / kTravelDegrees) * range);
            }
            lastPoint = where;
        }
    } else {
        double degrees = 0.0;
        if (AngleAt(where, size, &degrees)) {
            const double norm = std::clamp((degrees + kTravelDegrees / 2.0) / kTravelDegrees, 0.0, 1.0);
            SetAndReport(this, vmin + static_cast<float>(norm) * range);
        }
    }
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseUp(CPoint& /*where*/, const long& /*buttons*/) {
    if (!dragging) return kMouseEventNotHandled;
    dragging = false;
    endEdit();
    return kMouseEventHandled;
}

bool CAnimKnob::onWheel(const CPoint& /*where*/, const float& distance, const long& buttons) {
    if (!mouseEnabled || !std::isfinite(distance)) return false;
    const float step = (buttons & kShift) != 0 ? wheelInc * 0.1f : wheelInc;
    const float target = Bounded(value + distance * step * (vmax - vmin), vmin, vmax);
    if (target != value) {
        beginEdit();
        SetAndReport(this, target);
        endEdit();
    }
    return true;
}

long CAnimKnob::onKeyDown(VstKeyCode& keyCode) {
    float direction = 0.f;
    if (keyCode.virt == VKEY_UP || keyCode.virt == VKEY_RIGHT) direction = 1.f;
    if (keyCode.virt == VKEY_DOWN || keyCode.virt == VKEY_LEFT) direction = -1.f;
    if (direction == 0.f) return -1;
    const long buttons = (keyCode.modifier & MODIFIER_SHIFT) != 0 ? kShift : 0;
    onWheel(CPoint(size.left, size.top), direction, buttons);
    return 1;
}

bool CAnimKnob::isTypeOf(const char* type) const {
    return (type != nullptr && (std::strcmp(type, "CAnimKnob") == 0 || std::strcmp(type, "CKnob") == 0)) ||
           CControl::isTypeOf(type);
}

CView* CAnimKnob::newCopy() const {
    auto* copy = new CAnimKnob(size, listener, tag, subPixmaps, heightOfOneImage, pBackground, offset);
    copy->setValue(value);
    copy->setMin(vmin);
    copy->setMax(vmax);
    copy->setDefaultValue(defaultValue);
    copy->setInverseBitmap(bInverseBitmap);
    copy->setZoomFactor(zoomFactor);
    copy->setTransparency(bTransparencyEnabled);
    return copy;
}
