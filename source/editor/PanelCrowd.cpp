#include "editor/PanelCrowd.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/EffectEditor.h"
#include "editor/HelpPages.h"
#include "engine/MurmurhallPlug.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CVSTGUITimer.h"

namespace {

constexpr int kPanelInset = 2;  // the panel's place in the window
constexpr float kPersonStep = 0.016666668f;
constexpr int kMaxVisible = 59;
constexpr long kPickLimit = 180;  // squared pixels: 13 px picks, 14 px does not
constexpr long kButtonMask = kLButton | kRButton;

// Person value slots on the axes.
constexpr int kSpectra = 0;  // parPitchShift
constexpr int kTime = 3;     // parDelayTime
constexpr int kPan = 6;      // parPan

struct Axes {
    int x;
    int y;
    long xLabel;
    long yLabel;
};
constexpr Axes kModeAxes[3] = {
    {kPan, kSpectra, 217, 216},
    {kPan, kTime, 217, 215},
    {kTime, kSpectra, 218, 216},
};

// Frames of bitmap 210 for the selected person's marker, one per animation step.
constexpr int kAnimation[32] = {1, 1, 2, 2, 3, 3, 2, 2, 1, 1, 2, 3, 2, 1, 2, 3,
                                3, 2, 2, 3, 3, 3, 2, 1, 1, 1, 2, 2, 3, 3, 2, 1};

int PersonIndex(int person, int slot) { return kNumGlobals + kFloatsPerPerson * person + slot; }

// trunc(60 × value + 0.5), with NaN and wild values kept inside 0..59.
int PersonNumber(float value) {
    if (!(value > 0.f)) return 0;
    return static_cast<int>(std::min(60.f * value + 0.5f, 59.f));
}

// A stored value as a place on an axis: NaN and values beyond 0..1 would put a marker off the
// panel (or overflow the pixel conversion).
float AxisValue(float value) { return value > 0.f ? std::min(value, 1.f) : 0.f; }

}  // namespace

PanelCrowd::PanelCrowd(const CRect& size, CControlListener* listener, long tag, CBitmap* background)
    : CControl(size, listener, tag, background),
      editor(dynamic_cast<EffectEditor*>(listener)),
      engine(editor != nullptr ? editor->GetEngine() : nullptr) {
    // The offscreen wants the frame, which exists only once the view is added: see EnsureOffscreen.
    help = new HelpPages(size, listener, this);
}

PanelCrowd::~PanelCrowd() {
    // A window closed mid-drag still ends the gesture the host was told of.
    CloseKnobBrackets();
    delete help;
    if (offscreen != nullptr) offscreen->forget();
}

bool PanelCrowd::EnsureOffscreen() {
    // The static picture is drawn in window coordinates and copied from (2, 2), so the offscreen
    // needs two more pixels each way to keep the panel's right and bottom strips.
    if (offscreen == nullptr)
        offscreen = new COffscreenContext(getFrame(), static_cast<long>(getWidth()) + kPanelInset,
                                          static_cast<long>(getHeight()) + kPanelInset, kBlackCColor);
    return offscreen != nullptr;
}

void PanelCrowd::OpenKnobBrackets(int mode) {
    if (editor == nullptr || mode < 0 || mode > 2) return;
    const int slots[2] = {kModeAxes[mode].x, kModeAxes[mode].y};
    for (int axis = 0; axis < 2; ++axis) {
        // The knob's own tag, as a turn of that knob would carry (the panel's 737 is no parameter).
        CControl* knob = editor->GetPersonKnob(slots[axis]);
        if (knob == nullptr) continue;
        bracketTags[axis] = knob->getTag();
        editor->beginEdit(bracketTags[axis]);
    }
}

void PanelCrowd::CloseKnobBrackets() {
    for (int axis = 1; axis >= 0; --axis) {
        if (bracketTags[axis] < 0) continue;
        if (editor != nullptr) editor->endEdit(bracketTags[axis]);
        bracketTags[axis] = -1;
    }
}

int PanelCrowd::GetDisplayMode() const {
    COptionMenu* menu = editor != nullptr ? editor->GetDisplayMenu() : nullptr;
    if (menu == nullptr) return 0;
    const float index = menu->getValue() * static_cast<float>(menu->getNbEntries()) + 0.5f;
    // Anything past the three known modes stays an unknown mode (3) without overflowing the cast.
    if (!(index >= 0.f)) return 0;
    return static_cast<int>(std::min(index, 3.f));
}

int PanelCrowd::GetVisibleCount() const {
    if (engine == nullptr) return 0;
    const float population = engine->CurrentProgram().Load(0);
    const int index = population > 0.f ? static_cast<int>(std::min(60.f * population + 0.5f, 60.f)) : 0;
    return std::min(index + 1, kMaxVisible);
}

void PanelCrowd::getPersonPos(int person, int& x, int& y) {
    const int mode = GetDisplayMode();
    if (engine == nullptr || mode < 0 || mode > 2 || person < 0 || person >= kNumPeople) return;
    const Program& program = engine->CurrentProgram();
    const float valueX = AxisValue(program.Load(PersonIndex(person, kModeAxes[mode].x)));
    const float valueY = AxisValue(program.Load(PersonIndex(person, kModeAxes[mode].y)));
    const auto w = static_cast<float>(getWidth());
    const auto h = static_cast<float>(getHeight());
    x = static_cast<int>((w - 8.f) * valueX + 4.f);
    y = static_cast<int>((h - 8.f) * (1.f - valueY) + 4.f);
}

void PanelCrowd::setPersonPos(int person, int x, int y) {
    const int mode = GetDisplayMode();
    if (engine == nullptr || mode < 0 || mode > 2 || person < 0 || person >= kNumPeople) return;
    const auto w = static_cast<float>(getWidth());
    const auto h = static_cast<float>(getHeight());
    const float valueX = std::clamp((static_cast<float>(x) - 4.f) / (w - 8.f), 0.f, 1.f);
    const float valueY = std::clamp(1.f - (static_cast<float>(y) - 4.f) / (h - 8.f), 0.f, 1.f);
    const int slots[2] = {kModeAxes[mode].x, kModeAxes[mode].y};
    const float values[2] = {valueX, valueY};

    // Both go in first: the audio thread reads them, so through the atomic store.
    Program& program = engine->CurrentProgram();
    program.Store(PersonIndex(person, slots[0]), valueX);
    program.Store(PersonIndex(person, slots[1]), valueY);
    for (int axis = 0; axis < 2; ++axis) {
        if (editor == nullptr) continue;
        editor->setParameter(PersonIndex(person, slots[axis]), values[axis]);
        // The knob's report is what the host hears as automation.
        CControl* knob = editor->GetPersonKnob(slots[axis]);
        if (knob != nullptr && listener != nullptr) listener->valueChanged(knob);
    }
}

CMouseEventResult PanelCrowd::PopMouseDown(CPoint& where, const long& buttons) {
    const long lx = where.h - kPanelInset;
    const long ly = where.v - kPanelInset;
    // A press ends any drag, and with it the gesture of a release that never came.
    CloseKnobBrackets();
    beginEdit();

    long best = 200;
    int hit = -1;
    const int visible = GetVisibleCount();
    for (int i = 0; i < visible; ++i) {
        int px = 0;
        int py = 0;
        getPersonPos(i, px, py);
        const long d = (lx - px) * (lx - px) + (ly - py) * (ly - py);
        if (d < kPickLimit && d < best) {
            best = d;
            hit = i;
            dragOffsetX = static_cast<int>(px - lx);
            dragOffsetY = static_cast<int>(py - ly);
        }
    }
    if (hit < 0) {
        draggedPerson = -1;
        return kMouseEventHandled;
    }
    // Selection is a plain write: the host is not told which person the user looks at.
    if (engine != nullptr && PersonNumber(engine->getParameter(1)) != hit) {
        const float selection = static_cast<float>(hit) * kPersonStep;
        engine->setParameter(1, selection);
        if (editor != nullptr) editor->setParameter(1, selection);
    }
    draggedPerson = hit;
    OpenKnobBrackets(GetDisplayMode());
    return PopMouseMoved(where, buttons);
}

CMouseEventResult PanelCrowd::PopMouseMoved(CPoint& where, const long& buttons) {
    if ((buttons & kButtonMask) == 0) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (draggedPerson == -1) return kMouseEventHandled;
    // The grabbed point of the marker stays under the pointer.
    setPersonPos(draggedPerson, static_cast<int>(dragOffsetX + where.h - kPanelInset),
                 static_cast<int>(dragOffsetY + where.v - kPanelInset));
    return kMouseEventHandled;
}

CMouseEventResult PanelCrowd::onMouseDown(CPoint& where, const long& buttons) {
    if ((buttons & kButtonMask) == 0) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (screen == kCrowdScreen) return PopMouseDown(where, buttons);
    return help->MouseDownHelpScreen(where, buttons);
}

CMouseEventResult PanelCrowd::onMouseMoved(CPoint& where, const long& buttons) {
    if ((buttons & kButtonMask) == 0) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (screen == kCrowdScreen) return PopMouseMoved(where, buttons);
    return help->MouseMovedHelpScreen(where, buttons);
}

CMouseEventResult PanelCrowd::onMouseUp(CPoint& /*where*/, const long& /*buttons*/) {
    help->onMouseUp();
    CloseKnobBrackets();
    endEdit();
    return kMouseEventHandled;
}

CMessageResult PanelCrowd::notify(CBaseObject* /*sender*/, const char* message) {
    if (message == nullptr || std::strcmp(message, CVSTGUITimer::kMsgTimer) != 0) return kMessageUnknown;
    CPoint point = help->GetLastPoint();
    const long buttons = help->GetLastButtons();
    help->MouseMovedHelpScreen(point, buttons);
    return kMessageNotified;
}

void PanelCrowd::draw(CDrawContext* context) {
    if (context == nullptr) return;
    if (screen == kCrowdScreen) {
        drawPopulation(context);
        DrawVersionLabel(context);
    } else {
        help->DrawHelp(context);
    }
    setDirty(false);
}

void PanelCrowd::drawPopulation(CDrawContext* context) {
    if (editor == nullptr || !editor->IsEditorOpen() || engine == nullptr || !EnsureOffscreen()) return;

    // The marker changes at most every second draw.
    if ((drawCount++ & 1u) != 0) animationStep = (animationStep + 1) % 32;

    const CPoint oldOffset = context->getOffset();
    context->setOffset(CPoint(oldOffset.h + 3, oldOffset.v + 3));

    const int mode = GetDisplayMode();
    const bool knownMode = mode >= 0 && mode <= 2;
    CBitmap* labelX = knownMode ? editor->GetBitmap(kModeAxes[mode].xLabel) : nullptr;
    CBitmap* labelY = knownMode ? editor->GetBitmap(kModeAxes[mode].yLabel) : nullptr;
    CBitmap* marker = editor->GetBitmap(210);
    const CCoord markerHeight = marker != nullptr ? marker->getHeight() / 4 : 0;

    if (redrawFlag != 0.f) {
        // Offscreen coordinates are window coordinates.
        offscreen->setDrawMode(kCopyMode);
        CBitmap* background = pBackground != nullptr ? pBackground : editor->GetBitmap(211);
        if (background != nullptr) background->draw(offscreen, size, CPoint(kPanelInset, kPanelInset));
        if (labelX != nullptr) {
            const CRect at(CPoint(24, size.bottom - 20), CPoint(labelX->getWidth(), labelX->getHeight()));
            labelX->drawAlphaBlend(offscreen, at, CPoint(0, 0), 255);
        }
        if (labelY != nullptr) {
            const CRect at(CPoint(4, size.bottom - 32 - labelY->getHeight()),
                           CPoint(labelY->getWidth(), labelY->getHeight()));
            labelY->drawAlphaBlend(offscreen, at, CPoint(0, 0), 255);
        }
        if (marker != nullptr) {
            const int visible = GetVisibleCount();
            for (int i = 0; i < visible; ++i) {
                int px = 0;
                int py = 0;
                getPersonPos(i, px, py);
                const CRect at(CPoint(px - 12, py - 9), CPoint(marker->getWidth(), markerHeight));
                marker->drawAlphaBlend(offscreen, at, CPoint(0, 0), 255);
            }
        }
        redrawFlag = 0.f;
    }
    offscreen->copyFrom(context, size, CPoint(kPanelInset, kPanelInset));

    // The selection is marked even when it lies beyond the visible people.
    const int selected = PersonNumber(editor->GetEffectParam(1));
    int sx = 0;
    int sy = 0;
    getPersonPos(selected, sx, sy);
    if (CBitmap* ring = editor->GetBitmap(212)) {
        const CRect at(CPoint(sx - 17, sy - 18), CPoint(ring->getWidth(), ring->getHeight()));
        ring->drawAlphaBlend(context, at, CPoint(0, 0), 200);
    }
    if (marker != nullptr) {
        const CRect at(CPoint(sx - 12, sy - 9), CPoint(marker->getWidth(), markerHeight));
        marker->drawAlphaBlend(context, at, CPoint(0, markerHeight * kAnimation[animationStep]), 255);
    }
    context->setOffset(oldOffset);
}

void PanelCrowd::DrawVersionLabel(CDrawContext* context) {
    if (versionFade == 0) return;
    --versionFade;
    std::snprintf(labelText, sizeof labelText, "V. %s 32 bit", "2.02");
    context->setFont(kNormalFontSmaller);
    const auto alpha = static_cast<unsigned char>(2 * versionFade);
    const CCoord w = getWidth();
    context->setFontColor(MakeCColor(0, 0, 0, alpha));
    context->drawString(labelText, CRect(0, 16, w, 32), false, kCenterText);
    context->setFontColor(MakeCColor(200, 215, 255, alpha));
    context->drawString(labelText, CRect(-2, 14, w - 2, 30), false, kCenterText);
}

bool PanelCrowd::isTypeOf(const char* type) const {
    if (type != nullptr && std::strcmp(type, "PanelCrowd") == 0) return true;
    return CControl::isTypeOf(type);
}

CView* PanelCrowd::newCopy() const {
    // The copy gets its own offscreen (made at its first draw) and its own help pages; the
    // picture state carries over, a drag in progress does not.
    auto* copy = new PanelCrowd(size, listener, tag, pBackground);
    copy->setValue(value);
    copy->screen = screen;
    copy->versionFade = versionFade;
    copy->animationStep = animationStep;
    copy->drawCount = drawCount;
    return copy;
}
