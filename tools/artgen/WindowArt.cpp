#include "WindowArt.h"

#include <cairo.h>

#include <cmath>

#include "CrowdArt.h"

namespace {

constexpr double kHeaderSize = 8.0;
// Captions sit this far below a knob's bottom edge (baseline).
constexpr double kBelowKnob = 10.0;

}  // namespace

WindowArt::WindowArt(const ArtPainter& painter) : painter(painter), buttons(painter) {}

void WindowArt::Draw() const {
    Frame();
    CrowdWell();
    PersonCard();
    GlobalCard();
    MixCard();
    PresetRow();
}

void WindowArt::Frame() const {
    cairo_t* cr = painter.Cairo();
    const Rgb top = palette::kGutterTop;
    const Rgb bottom = palette::kGutterBottom;
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, layout::kWindowHeight);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
    cairo_rectangle(cr, 0, 0, layout::kWindowWidth, layout::kWindowHeight);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
    painter.Brush(0, 0, layout::kWindowWidth, layout::kWindowHeight, 0.035, 200);
}

void WindowArt::CrowdWell() const {
    const Box& p = layout::kCrowdPanel;
    cairo_t* cr = painter.Cairo();
    // The panel covers this at run time; the plane is drawn anyway so the window never shows a
    // hole while the panel is being built.
    cairo_save(cr);
    cairo_translate(cr, p.left, p.top);
    CrowdArt(painter).Plane(p.Width(), p.Height());
    cairo_restore(cr);
    painter.HLine(p.left - 1, p.right + 1, p.top - 1, palette::kPlateShadow);
    painter.VLine(p.left - 1, p.top - 1, p.bottom + 1, palette::kPlateShadow);
    painter.HLine(p.left - 1, p.right + 1, p.bottom, palette::kPlateLight, 0.5);
    painter.VLine(p.right, p.top - 1, p.bottom + 1, palette::kPlateLight, 0.5);
}

void WindowArt::Card(const Box& box) const {
    painter.FillRounded(box.left - 0.5, box.top - 0.5, box.Width() + 1, box.Height() + 1.5, 4.0,
                        palette::kPlateShadow, 0.9);
    painter.FillRounded(box.left, box.top, box.Width(), box.Height(), 3.5, palette::kPlate);
    painter.HLine(box.left + 3, box.right - 3, box.top, palette::kPlateLight);
}

void WindowArt::Field(const Box& box) const {
    painter.FillRounded(box.left - 1, box.top - 1, box.Width() + 2, box.Height() + 2, 2.5, palette::kFieldRim);
    painter.FillRounded(box.left, box.top, box.Width(), box.Height(), 1.5, palette::kField);
    painter.HLine(box.left + 1, box.right - 1, box.top, palette::kFieldShade);
}

void WindowArt::Header(std::string_view text, double x, double baseline, double ruleEnd, double tracking) const {
    painter.Text(FontStyle::kBold, kHeaderSize, x, baseline, text, Align::kLeft, palette::kHeader, 1.0, tracking);
    const double start = std::round(x + painter.TextWidth(FontStyle::kBold, kHeaderSize, text, tracking) + 5);
    if (ruleEnd - start >= 12) painter.HLine(start, ruleEnd, baseline - 3, palette::kRule);
}

void WindowArt::Caption(std::string_view text, double centreX, double baseline, double size) const {
    painter.Text(FontStyle::kRegular, size, centreX, baseline, text, Align::kCentre, palette::kCaption);
}

void WindowArt::KnobCaptions(const Box& knob, std::string_view text, double baseline) const {
    Caption(text, knob.CentreX(), baseline);
}

void WindowArt::ModulationBracket(const Box& gain, const Box& speed, double baseline) const {
    const double left = gain.left + 3;
    const double right = speed.right - 3;
    const double centre = std::round((left + right) / 2.0);
    const double half = painter.TextWidth(FontStyle::kRegular, 8.0, "modulation") / 2.0;
    painter.Text(FontStyle::kRegular, 8.0, centre, baseline, "modulation", Align::kCentre, palette::kCaptionDim);
    const double y = baseline - 3;
    painter.HLine(left, centre - half - 3, y, palette::kRule);
    painter.HLine(centre + half + 3, right, y, palette::kRule);
    painter.VLine(left, y, y + 4, palette::kRule);
    painter.VLine(right - 1, y, y + 4, palette::kRule);
}

void WindowArt::PersonCard() const {
    using namespace layout;
    const Box& card = kPersonCard;
    Card(card);
    const double left = card.left + 7;
    const double right = card.right - 6;
    Header("SELECTED PERSON", left, 14, right);
    Caption("solo", kSoloSwitch.CentreX(), 34);
    Caption("person", (kPersonMenu.left + kPersonNext.right) / 2.0, 34);
    Field(kPersonMenu);

    Header("SPECTRA", left, 76, kSpectraModGain.left - 4);
    ModulationBracket(kSpectraModGain, kSpectraModSpeed, 76);
    KnobCaptions(kSpectraShift, "shift", kSpectraShift.bottom + kBelowKnob);
    KnobCaptions(kSpectraModGain, "gain", kSpectraModGain.bottom + kBelowKnob);
    KnobCaptions(kSpectraModSpeed, "speed", kSpectraModSpeed.bottom + kBelowKnob);

    Header("TIME", left, 144, kTimeModGain.left - 4);
    ModulationBracket(kTimeModGain, kTimeModSpeed, 144);
    KnobCaptions(kTimeDelay, "delay", kTimeDelay.bottom + kBelowKnob);
    KnobCaptions(kTimeModGain, "gain", kTimeModGain.bottom + kBelowKnob);
    KnobCaptions(kTimeModSpeed, "speed", kTimeModSpeed.bottom + kBelowKnob);

    Header("OUTPUT", left, 212, right);
    KnobCaptions(kPan, "pan", kPan.bottom + kBelowKnob);
    KnobCaptions(kGain, "gain", kGain.bottom + kBelowKnob);
}

void WindowArt::GlobalCard() const {
    using namespace layout;
    Card(kGlobalCard);
    // Each knob is named above and below; the names are too long for one caption under the knob.
    const double left = kGlobalCard.left + 7;
    Header("DIFFUSER", left, 310, 0, kTightTracking);
    const double spectraWidth = painter.TextWidth(FontStyle::kBold, kHeaderSize, "SPECTRA", kTightTracking);
    Header("SPECTRA", std::round(kSpectraOffset.CentreX() - spectraWidth / 2.0), 310, 0, kTightTracking);
    KnobCaptions(kDiffuserSpread, "spread", kDiffuserSpread.bottom + kBelowKnob);
    KnobCaptions(kSpectraOffset, "offset", kSpectraOffset.bottom + kBelowKnob);
    painter.HLine(kGlobalCard.left + 7, kGlobalCard.right - 6, 372, palette::kEtchDark);
    painter.HLine(kGlobalCard.left + 7, kGlobalCard.right - 6, 373, palette::kPlateLight, 0.35);
    Wordmark(kGlobalCard.CentreX(), 393);
}

void WindowArt::MixCard() const {
    using namespace layout;
    Card(kMixCard);
    Field(kPopulationMenu);
    Caption("population", (kPopulationMenu.left + kPopulationUp.right) / 2.0, 327);
    OverloadSocket(kOverloadLamp);
    Caption("overload", kOverloadLamp.CentreX() - 2, kOverloadLamp.bottom + 9, 8.0);
    Etch(116, 300, 324);

    KnobCaptions(kWetKnob, "wet", kWetKnob.bottom + kBelowKnob);
    KnobCaptions(kDryKnob, "dry", kDryKnob.bottom + kBelowKnob);
    Etch(200, 300, 345);

    Header("RANDOMISE", kRandomiseButton.left + 1, 306, 0, kTightTracking);
    KnobCaptions(kLowerKnob, "lower", kLowerKnob.bottom + kBelowKnob);
    KnobCaptions(kUpperKnob, "upper", kUpperKnob.bottom + kBelowKnob);
    Field(kTargetMenu);
    painter.Text(FontStyle::kRegular, 8.5, kTargetMenu.left, 377, "scope & target", Align::kLeft, palette::kCaption);

    Field(kDisplayMenu);
    DisplayIcon(kDisplayMenu.left - 17, kDisplayMenu.top);
}

void WindowArt::PresetRow() const {
    using namespace layout;
    const Box& menu = kPresetMenu;
    buttons.Face(menu.left, menu.top, menu.Width(), menu.Height(), false);
    const double baseline = ArtPainter::CentredBaseline(menu.top, menu.Height(), 8.0);
    painter.Text(FontStyle::kRegular, 8.0, menu.left + 6, baseline, "presets", Align::kLeft, palette::kButtonText);
    const double ax = menu.right - 9;
    const double ay = menu.CentreY();
    painter.FillTriangle(ax - 3, ay - 1.5, ax + 3, ay - 1.5, ax, ay + 2, palette::kButtonText);
    Field(kProgramName);
    Caption("help page", kHelpSwitch.CentreX(), 377);
}

void WindowArt::OverloadSocket(const Box& lamp) const {
    cairo_t* cr = painter.Cairo();
    const double cx = lamp.CentreX();
    const double cy = lamp.CentreY();
    cairo_arc(cr, cx, cy, 7.5, 0, 2 * M_PI);
    painter.SetColour(Bytes(16, 18, 22));
    cairo_fill(cr);
    cairo_pattern_t* glass = cairo_pattern_create_radial(cx - 1.5, cy - 1.5, 0.5, cx, cy, 6.0);
    cairo_pattern_add_color_stop_rgb(glass, 0, 0.36, 0.12, 0.09);
    cairo_pattern_add_color_stop_rgb(glass, 1, 0.16, 0.05, 0.04);
    painter.FillDisc(cx, cy, 6.0, glass);
    cairo_arc(cr, cx - 2, cy - 2.2, 1.4, 0, 2 * M_PI);
    painter.SetColour(Bytes(255, 255, 255), 0.22);
    cairo_fill(cr);
}

void WindowArt::DisplayIcon(double x, double y) const {
    // Two axes and a few people: the display menu chooses what the crowd plane shows.
    painter.VLine(x + 1, y + 1, y + 13, palette::kCaptionDim);
    painter.HLine(x + 1, x + 13, y + 13, palette::kCaptionDim);
    cairo_t* cr = painter.Cairo();
    const double dots[3][2] = {{x + 5.5, y + 9.5}, {x + 8.5, y + 4.5}, {x + 11.5, y + 8}};
    for (const auto& d : dots) {
        cairo_arc(cr, d[0], d[1], 1.3, 0, 2 * M_PI);
        painter.SetColour(palette::kMarker);
        cairo_fill(cr);
    }
}

void WindowArt::Wordmark(double centreX, double baseline) const {
    const double size = 17.0;
    const double tracking = 0.4;
    painter.Text(FontStyle::kBold, size, centreX, baseline, "Murmurhall", Align::kCentre, palette::kTitle, 1.0,
                 tracking);
}

void WindowArt::Etch(double x, double y0, double y1) const {
    painter.VLine(x, y0, y1, palette::kEtchDark);
    painter.VLine(x + 1, y0, y1, palette::kPlateLight, 0.35);
}
