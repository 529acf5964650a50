#include "editor/EffectEditor.h"

#include <cmath>
#include <cstdio>

#include "editor/CGlowLamp.h"
#include "editor/PanelCrowd.h"
#include "engine/MurmurhallPlug.h"
#include "shell/EffectVST.h"

namespace {

// The kept bitmaps after the background, in loading order.
constexpr long kPanelBitmapIds[9] = {211, 210, 212, 215, 216, 217, 218, 223, 224};
constexpr int kKnobFrames = 65;
constexpr long kMenuStyle = kNoFrame | kCheckStyle;
constexpr uint32_t kRefreshPeriodMs = 40;

// The knob places of the eight person values, tags 17 to 24.
constexpr CCoord kPersonKnobPlaces[8][2] = {{365, 84},  {421, 84},  {463, 84},  {365, 152},
                                            {421, 152}, {463, 152}, {361, 220}, {425, 220}};

const char* const kTargetEntries[] = {"all",        "all - not gain", "spectra shift", "spectra mod gain",
                                      "spectra mod speed", "time delay", "time mod gain", "time mod speed",
                                      "pan",        "gain"};
const char* const kDisplayEntries[] = {"display  X: pan    Y: spectra", "display  X: pan    Y: time",
                                       "display  X: time   Y: spectra"};

CRect BitmapRect(CCoord left, CCoord top, const CBitmap* bitmap, int frames) {
    return CRect(left, top, left + bitmap->getWidth(), top + bitmap->getHeight() / frames);
}

}  // namespace

int EffectEditor::EntryIndex(double value, long entries) {
    const double index = std::trunc(value * static_cast<double>(entries) + 0.5);
    if (std::isnan(index)) return 0;
    return static_cast<int>(std::fmax(-1e6, std::fmin(1e6, index)));
}

EffectEditor::EffectEditor(void* effect, void* /*unused*/) : AEffGUIEditor(effect) {
    openFlag.store(false, std::memory_order_release);
    engine = new MurmurhallPlug;
    if (effect != nullptr) static_cast<EffectVST*>(effect)->engine = engine;
    backgroundBitmap = new CBitmap(200);
    for (int i = 0; i < 9; ++i) panelBitmaps[i] = new CBitmap(kPanelBitmapIds[i]);
    fileSelector = new CFileSelector(effect);
    personKnobsDirty = true;
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<int16_t>(backgroundBitmap->getHeight());
    rect.right = static_cast<int16_t>(backgroundBitmap->getWidth());
    for (CControl*& control : controlsByParameter) control = nullptr;
}

EffectEditor::~EffectEditor() {
    // A host may close the plug-in with the window still open; the views must not outlive us.
    if (frame != nullptr) close();
    backgroundBitmap->forget();
    for (CBitmap*& bitmap : panelBitmaps) {
        bitmap->forget();
        bitmap = nullptr;
    }
    delete fileSelector;
    fileSelector = nullptr;
    delete engine;
    engine = nullptr;
}

CBitmap* EffectEditor::GetBitmap(long resourceID) const {
    if (resourceID == 200) return backgroundBitmap;
    for (int i = 0; i < 9; ++i)
        if (kPanelBitmapIds[i] == resourceID) return panelBitmaps[i];
    return nullptr;
}

CControl* EffectEditor::GetPersonKnob(int k) const {
    if (k < 0 || k >= 8 || !IsEditorOpen()) return nullptr;
    return personKnobs[k];
}

CControl* EffectEditor::GetControlForParameter(VstInt32 index) const {
    if (index < 0 || index >= kNumParams || !IsEditorOpen()) return nullptr;
    return controlsByParameter[index];
}

void EffectEditor::FillOptionsParams(COptionMenu* menu) {
    if (menu == nullptr) return;
    menu->setFont(kNormalFontVerySmall);
    menu->setFontColor(MakeCColor(0, 0, 0, 255));
    menu->setBackColor(MakeCColor(0, 0, 0, 0));
    menu->setTransparency(true);
}

bool EffectEditor::open(void* ptr) {
    if (frame != nullptr) close();  // a second open without a close would leak the first window
    openFlag.store(false, std::memory_order_release);
    uiThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    // Every view reads its value below, so earlier marks are stale; later ones are applied at idle.
    for (auto& word : markedWords) word.store(0, std::memory_order_relaxed);
    anyMarked.store(false, std::memory_order_release);
    AEffGUIEditor::open(ptr);

    CFrame* newFrame = new CFrame(CRect(rect.left, rect.top, rect.right, rect.bottom), ptr, this);
    newFrame->setBackground(backgroundBitmap);
    setKnobMode(kLinearMode);
    frame = newFrame;

    CBitmap* knobBitmap = new CBitmap(201);
    CBitmap* downBitmap = new CBitmap(202);
    CBitmap* upBitmap = new CBitmap(203);
    CBitmap* soloBitmap = new CBitmap(206);
    CBitmap* globalKnobBitmap = new CBitmap(207);
    CBitmap* randomiseBitmap = new CBitmap(208);
    CBitmap* scopeBitmap = new CBitmap(209);
    CBitmap* helpBitmap = new CBitmap(222);
    CBitmap* lampBitmap = new CBitmap(225);

    auto add = [&](CControl* control, float value) {
        control->setValue(value);
        newFrame->addView(control);
        const long tag = control->getTag();
        if (tag >= 0 && tag < kNumParams && control != lamp) controlsByParameter[tag] = control;
    };
    auto knob = [&](CCoord left, CCoord top, long tag, CBitmap* bitmap) {
        auto* control = new CAnimKnob(BitmapRect(left, top, bitmap, kKnobFrames), this, tag, kKnobFrames,
                                      bitmap->getHeight() / kKnobFrames, bitmap, CPoint(0, 0));
        control->setTransparency(false);
        return control;
    };
    auto kick = [&](CCoord left, CCoord top, long tag, CBitmap* bitmap) {
        return new CKickButton(BitmapRect(left, top, bitmap, 2), this, tag, bitmap->getHeight() / 2, bitmap,
                               CPoint(0, 0));
    };
    auto onOff = [&](CCoord left, CCoord top, long tag, CBitmap* bitmap) {
        return new COnOffButton(BitmapRect(left, top, bitmap, 2), this, tag, bitmap, 0);
    };
    auto menu = [&](const CRect& place, long tag) {
        auto* control = new COptionMenu(place, this, tag, nullptr, nullptr, kMenuStyle);
        FillOptionsParams(control);
        return control;
    };

    // 1: the crowd panel; its bracket tag 737 is no parameter.
    CBitmap* panelBackground = panelBitmaps[0];
    panel = new PanelCrowd(BitmapRect(2, 2, panelBackground, 1), this, 737, panelBackground);
    panel->setValue(1.0f);
    newFrame->addView(panel);

    // 2 to 4: population menu and its step buttons.
    populationMenu = menu(CRect(13, 297, 36, 316), 0);
    populationMenu->setFont(kNormalFontSmall);
    char label[16];
    for (int i = 0; i < 60; ++i) {
        std::snprintf(label, sizeof label, "%i", i + 1);
        populationMenu->addEntry(label);
    }
    add(populationMenu, GetEffectParam(0));
    add(populationDown = kick(37, 297, 738, downBitmap), 0.0f);
    add(populationUp = kick(61, 297, 739, upBitmap), 0.0f);

    // 5 to 13: wet, dry, lamp, bounds, randomiser and display.
    add(wetKnob = knob(120, 298, 2, globalKnobBitmap), GetEffectParam(2));
    add(dryKnob = knob(160, 298, 3, globalKnobBitmap), GetEffectParam(3));
    lamp = new CGlowLamp(BitmapRect(96, 308, lampBitmap, 1), this, lampBitmap);
    add(lamp, 0.0f);
    add(lowerKnob = knob(266, 298, 4, globalKnobBitmap), GetEffectParam(4));
    add(upperKnob = knob(306, 298, 5, globalKnobBitmap), GetEffectParam(5));
    add(randomiseButton = kick(204, 310, 742, randomiseBitmap), 0.0f);
    add(randomiseScopeSwitch = onOff(204, 331, 744, scopeBitmap), 1.0f);
    randomiseTargetMenu = menu(CRect(206, 350, 300, 364), 743);
    for (const char* entry : kTargetEntries) randomiseTargetMenu->addEntry(entry);
    add(randomiseTargetMenu, 0.0f);
    displayMenu = menu(CRect(44, 350, 192, 364), 745);
    for (const char* entry : kDisplayEntries) displayMenu->addEntry(entry);
    add(displayMenu, 0.0f);

    // 14 to 16: the person menu, labelled up to the population, and its step buttons.
    personMenu = menu(CRect(424, 38, 447, 59), 1);
    personMenu->setFont(kNormalFontSmall);
    for (int i = 0; i < 60; ++i) personMenu->addEntry("--");
    RelabelPersonMenu(EntryIndex(GetEffectParam(0), 60));
    // A stored selection beyond the population shows (and edits) the population's last person,
    // as the routing does.
    const int person = ShownPerson();
    const float selection = GetEffectParam(1);
    add(personMenu, EntryIndex(selection, 60) == person ? selection : static_cast<float>(person) * 0.016666668f);
    add(personPrevious = kick(448, 39, 740, downBitmap), 0.0f);
    add(personNext = kick(472, 39, 741, upBitmap), 0.0f);

    // 17 to 24: the selected person's knobs; 25 to 27: spread, spectra offset, solo.
    for (int k = 0; k < 8; ++k) {
        personKnobs[k] = knob(kPersonKnobPlaces[k][0], kPersonKnobPlaces[k][1], 17 + k, knobBitmap);
        add(personKnobs[k], GetEffectParam(17 + 12 * person + k));
    }
    add(spreadKnob = knob(361, 318, 12, knobBitmap), GetEffectParam(12));
    add(spectraOffsetKnob = knob(425, 318, 13, knobBitmap), GetEffectParam(13));
    add(soloSwitch = onOff(385, 41, 6, soloBitmap), GetEffectParam(6));

    presetGUI.AddGUI(this, newFrame);

    // 28: the help switch, on top of the preset controls.
    add(helpSwitch = onOff(280, 383, 747, helpBitmap), 0.0f);

    // The views hold their own references now.
    for (CBitmap* bitmap : {knobBitmap, downBitmap, upBitmap, soloBitmap, globalKnobBitmap, randomiseBitmap,
                            scopeBitmap, helpBitmap, lampBitmap})
        bitmap->forget();

    frame = newFrame;
    frame->setBackground(backgroundBitmap);
    openFlag.store(true, std::memory_order_release);
    return true;
}

void EffectEditor::ForgetViews() {
    for (CAnimKnob*& knob : personKnobs) knob = nullptr;
    populationMenu = personMenu = randomiseTargetMenu = displayMenu = nullptr;
    populationDown = populationUp = personPrevious = personNext = randomiseButton = nullptr;
    wetKnob = dryKnob = spreadKnob = spectraOffsetKnob = lowerKnob = upperKnob = nullptr;
    randomiseScopeSwitch = soloSwitch = helpSwitch = nullptr;
    lamp = nullptr;
    panel = nullptr;
    presetGUI.Forget();
    for (CControl*& control : controlsByParameter) control = nullptr;
}

void EffectEditor::close() {
    openFlag.store(false, std::memory_order_release);
    CFrame* oldFrame = frame;
    frame = nullptr;
    ForgetViews();
    delete oldFrame;
    AEffEditor::close();
}

void EffectEditor::idle() {
    if (engine == nullptr) return;
    uiThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    ApplyMarkedParameters();
    // A chosen preset file arrives here: the dialog never holds up the host.
    if (fileSelector != nullptr) fileSelector->poll();

    const bool open = IsEditorOpen();
    COptionMenu* actionMenu = presetGUI.GetActionMenu();
    // While one of these pop-ups shows, the refresh and the lamp wait; the frame's own idle still
    // runs, since it is what reads the pointer and keys the pop-up needs to ever close.
    if (open && ((populationMenu != nullptr && populationMenu->isPopupShowing()) ||
                 (actionMenu != nullptr && actionMenu->isPopupShowing()))) {
        AEffGUIEditor::idle();
        return;
    }

    const uint32_t now = getTicks();
    if (now - lastRefresh >= kRefreshPeriodMs) {
        lastRefresh = now;
        if (open) {
            panel->invalid();
            if (personKnobsDirty) {
                for (CAnimKnob* knob : personKnobs) knob->invalid();
                personKnobsDirty = false;
            }
        }
    }
    if (open) {
        lamp->invalid();
        // An exchange, so an overload between reading and clearing is not lost.
        if (engine->iClip.exchange(0, std::memory_order_relaxed) != 0) lamp->setValue(1.0f);
    }
    AEffGUIEditor::idle();
}
