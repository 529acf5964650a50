#include "ButtonArt.h"

#include <cairo.h>

#include <cmath>

namespace {

constexpr double kRadius = 3.0;

// Text size that fits the face's height: 8 px on the short faces, 8.5 px on the tall ones.
double LetterSize(double h) { return h >= 16 ? 8.5 : 8.0; }

}  // namespace

ButtonArt::ButtonArt(const ArtPainter& painter) : painter(painter) {}

void ButtonArt::Face(double x, double y, double w, double h, bool pressed) const {
    painter.FillRect(x, y, w, h, palette::kPlate);
    painter.FillRounded(x, y, w, h, kRadius, palette::kButtonRim);
    if (pressed) {
        painter.FillRoundedGradient(x + 1, y + 1, w - 2, h - 2, kRadius - 1, palette::kButtonDownTop,
                                    palette::kButtonDownBottom);
        // A sunk face catches its shadow along the top.
        painter.HLine(x + 2, x + w - 2, y + 1, Bytes(22, 25, 30));
    } else {
        painter.FillRoundedGradient(x + 1, y + 1, w - 2, h - 2, kRadius - 1, palette::kButtonTop,
                                    palette::kButtonBottom);
        painter.HLine(x + 2, x + w - 2, y + 1, Bytes(112, 121, 135));
    }
}

void ButtonArt::ArrowGlyph(double cx, double cy, double size, Arrow arrow, Rgb colour) const {
    const double s = size / 2.0;
    switch (arrow) {
        case Arrow::kLeft: painter.FillTriangle(cx - s * 0.8, cy, cx + s * 0.6, cy - s, cx + s * 0.6, cy + s, colour); break;
        case Arrow::kRight: painter.FillTriangle(cx + s * 0.8, cy, cx - s * 0.6, cy - s, cx - s * 0.6, cy + s, colour); break;
        case Arrow::kUp: painter.FillTriangle(cx, cy - s * 0.8, cx - s, cy + s * 0.6, cx + s, cy + s * 0.6, colour); break;
        case Arrow::kDown: painter.FillTriangle(cx, cy + s * 0.8, cx - s, cy - s * 0.6, cx + s, cy - s * 0.6, colour); break;
    }
}

void ButtonArt::Lettering(double x, double y, double w, double h, std::string_view text, Rgb colour,
                          bool pressed) const {
    const double size = LetterSize(h);
    const double baseline = ArtPainter::CentredBaseline(y, h, size) + (pressed ? 1.0 : 0.0);
    painter.Text(FontStyle::kRegular, size, x + w / 2.0, baseline, text, Align::kCentre, colour);
}

void ButtonArt::ArrowStrip(double w, double h, Arrow arrow) const {
    for (int frame = 0; frame < 2; ++frame) {
        const bool pressed = frame == 1;
        const double y = frame * h;
        Face(0, y, w, h, pressed);
        const double size = std::fmin(w, h) * 0.42;
        ArrowGlyph(w / 2.0, y + h / 2.0 + (pressed ? 0.5 : 0.0), size, arrow,
                   pressed ? palette::kWarm : palette::kButtonText);
    }
}

void ButtonArt::LetteredStrip(double w, double h, std::string_view upText, std::string_view downText) const {
    Face(0, 0, w, h, false);
    Lettering(0, 0, w, h, upText, palette::kButtonText, false);
    Face(0, h, w, h, true);
    Lettering(0, h, w, h, downText, palette::kWarm, true);
}

void ButtonArt::LampStrip(double w, double h) const {
    cairo_t* cr = painter.Cairo();
    for (int frame = 0; frame < 2; ++frame) {
        const bool on = frame == 1;
        const double y = frame * h;
        Face(0, y, w, h, on);
        const double lx = 9.0;
        const double ly = y + h / 2.0;
        if (on) {
            cairo_pattern_t* glow = cairo_pattern_create_radial(lx, ly, 0.5, lx, ly, 6.0);
            cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.78, 0.45, 0.9);
            cairo_pattern_add_color_stop_rgba(glow, 1, 0.96, 0.55, 0.15, 0.0);
            painter.FillDisc(lx, ly, 6.0, glow);
        }
        cairo_arc(cr, lx, ly, 2.6, 0, 2 * M_PI);
        painter.SetColour(on ? palette::kWarmBright : Bytes(30, 26, 22));
        cairo_fill_preserve(cr);
        painter.SetColour(on ? palette::kWarm : Bytes(12, 13, 16));
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
        const double size = 8.0;
        const double baseline = ArtPainter::CentredBaseline(y, h, size) + (on ? 1.0 : 0.0);
        painter.Text(FontStyle::kRegular, size, 13.0 + (w - 13.0) / 2.0, baseline, on ? "on" : "off", Align::kCentre,
                     on ? palette::kWarm : palette::kButtonText);
    }
}
