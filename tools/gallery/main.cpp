// murmurhall-gallery OUTDIR: one of each toolkit control in a headless frame, saved as gallery.png,
// and the preset-style menu opened on its sub-menu, saved as gallery-menu.png and
// gallery-submenu.png. The art comes from the plug-in's compiled-in pictures where they exist.
#include <cstdio>
#include <filesystem>
#include <string>

#include "FallbackArt.h"
#include "toolkit/HeadlessPlatformFrame.h"
#include "toolkit/vstgui.h"

namespace {

const CColor kBackdrop = MakeCColor(40, 44, 52);
const CColor kInk = MakeCColor(226, 230, 236);
const CColor kField = MakeCColor(250, 250, 250);

// The listener of every control here; the gallery only looks.
class Quiet : public CControlListener {
public:
    void valueChanged(CControl* /*control*/) override {}
};

// A caption: a text field nobody can click.
void Caption(CFrame* frame, const CRect& where, const char* text) {
    auto* label = new CTextEdit(where, nullptr, 0, text);
    label->setTransparency(true);
    label->setStyle(kNoFrame);
    label->setFont(kNormalFontSmaller);
    label->setFontColor(kInk);
    label->setHoriAlign(kLeftText);
    label->setMouseEnabled(false);
    frame->addView(label);
}

CRect At(CCoord left, CCoord top, CBitmap* bitmap, long frames) {
    return CRect(left, top, left + bitmap->getWidth(), top + bitmap->getHeight() / frames);
}

void Build(CFrame* frame, Quiet* quiet, COptionMenu** presetMenu) {
    auto* backdrop = new CParamDisplay(frame->getViewSize(), nullptr, kNoFrame | kNoTextStyle);
    backdrop->setBackColor(kBackdrop);
    backdrop->setMouseEnabled(false);
    frame->addView(backdrop);

    CBitmap* knobs201 = KnobStripOrFallback(201);
    CBitmap* knobs207 = KnobStripOrFallback(207);
    CBitmap* button = ButtonOrFallback(202);
    CBitmap* toggle = SwitchOrFallback(206);
    const CCoord knobHeight201 = knobs201->getHeight() / kKnobFrames;
    const CCoord knobHeight207 = knobs207->getHeight() / kKnobFrames;

    Caption(frame, CRect(16, 8, 126, 20), "CAnimKnob (201, 207)");
    auto* first = new CAnimKnob(At(20, 26, knobs201, kKnobFrames), quiet, 1, kKnobFrames, knobHeight201, knobs201);
    first->setValue(0.3f);
    frame->addView(first);
    auto* second = new CAnimKnob(At(70, 26, knobs207, kKnobFrames), quiet, 2, kKnobFrames, knobHeight207, knobs207);
    second->setValue(0.8f);
    frame->addView(second);

    Caption(frame, CRect(134, 8, 244, 20), "CKickButton (202)");
    auto* up = new CKickButton(At(134, 32, button, 2), quiet, 3, button->getHeight() / 2, button);
    frame->addView(up);
    auto* pressed = new CKickButton(At(164, 32, button, 2), quiet, 4, button->getHeight() / 2, button);
    pressed->setValue(1.f);  // as while held
    frame->addView(pressed);

    Caption(frame, CRect(250, 8, 360, 20), "COnOffButton (206)");
    auto* off = new COnOffButton(At(254, 32, toggle, 2), quiet, 5, toggle);
    frame->addView(off);
    auto* on = new COnOffButton(At(300, 32, toggle, 2), quiet, 6, toggle);
    on->setValue(1.f);
    frame->addView(on);
    for (CBitmap* b : {knobs201, knobs207, button, toggle}) b->forget();  // the controls hold them

    Caption(frame, CRect(16, 92, 200, 104), "COptionMenu (kCheckStyle)");
    auto* display = new COptionMenu(CRect(20, 108, 180, 124), quiet, 7, nullptr, nullptr, kCheckStyle);
    display->setFont(kNormalFontVerySmall);
    display->setFontColor(kBlackCColor);
    display->setBackColor(kField);
    display->setFrameColor(kInk);
    for (const char* entry : {"display  X: pan    Y: spectra", "display  X: pan    Y: time",
                              "display  X: time   Y: spectra"})
        display->addEntry(entry);
    display->setCurrent(1);
    frame->addView(display);

    Caption(frame, CRect(200, 92, 360, 104), "COptionMenu with a sub-menu");
    auto* programs = new COptionMenu(CRect(204, 108, 330, 124), quiet, 8, nullptr, nullptr, kNoFrame);
    programs->setFont(kNormalFontVerySmall);
    for (const char* name : {"Market square", "Choir loft", "Stadium", "Whisper ring", "Train station",
                             "Cathedral", "Small party", "Empty hall"})
        programs->addEntry(name);
    auto* presets = new COptionMenu(CRect(204, 108, 330, 124), quiet, 9, nullptr, nullptr, kCheckStyle);
    presets->setFont(kNormalFontVerySmall);
    presets->setFontColor(kBlackCColor);
    presets->setBackColor(kField);
    presets->setFrameColor(kInk);
    presets->addEntry("Load preset");
    presets->addEntry("Save preset");
    presets->addEntry("Reset current");
    presets->addSeparator();
    presets->addEntry(programs, "Presets");
    programs->forget();  // the menu holds it
    frame->addView(presets);
    *presetMenu = presets;

    Caption(frame, CRect(16, 140, 200, 152), "CTextEdit, CParamDisplay");
    auto* name = new CTextEdit(CRect(20, 156, 200, 172), quiet, 10, "Crowd of voices");
    name->setFont(kNormalFontSmall);
    name->setFontColor(kBlackCColor);
    name->setBackColor(kField);
    name->setFrameColor(kInk);
    name->setHoriAlign(kLeftText);
    frame->addView(name);
    auto* value = new CParamDisplay(CRect(220, 156, 300, 172), nullptr, kShadowText);
    value->setValue(0.75f);
    value->setFontColor(kInk);
    value->setBackColor(MakeCColor(60, 66, 78));
    value->setFrameColor(kInk);
    frame->addView(value);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: murmurhall-gallery OUTDIR\n");
        return 2;
    }
    const std::filesystem::path out(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(out, error);
    if (error) {
        std::fprintf(stderr, "murmurhall-gallery: cannot create %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }

    SetPlatformFrameFactory(&HeadlessPlatformFrame::Create);
    Quiet quiet;
    auto* frame = new CFrame(CRect(0, 0, 370, 190), nullptr, nullptr);
    HeadlessPlatformFrame* platform = HeadlessPlatformFrame::Of(frame);
    COptionMenu* presets = nullptr;
    Build(frame, &quiet, &presets);

    int status = 0;
    const auto save = [&status](bool ok, const std::filesystem::path& path) {
        std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
        if (!ok) status = 1;
    };
    const std::filesystem::path whole = out / "gallery.png";
    save(platform->writePng(whole.c_str()), whole);

    // Open the menu and walk to its sub-menu with the keys, as a user could.
    platform->click(CPoint(210, 116));
    for (unsigned char key : {VKEY_DOWN, VKEY_DOWN, VKEY_DOWN, VKEY_RIGHT, VKEY_DOWN})
        platform->popupKey(0, VstKeyCode{0, key, 0});
    if (platform->popupCount() == 2) {
        const std::filesystem::path menu = out / "gallery-menu.png";
        const std::filesystem::path sub = out / "gallery-submenu.png";
        save(platform->writePopupPng(0, menu.c_str()), menu);
        save(platform->writePopupPng(1, sub.c_str()), sub);
    } else {
        std::fprintf(stderr, "murmurhall-gallery: the menu did not open\n");
        status = 1;
    }
    presets->closePopup();

    delete frame;
    SetPlatformFrameFactory(nullptr);
    return status;
}
