#include "KnobArt.h"

#include <cairo.h>

#include <cmath>

namespace {

// Cairo angles grow clockwise from three o'clock: seven o'clock is 120 degrees, five o'clock 420.
constexpr double kStartDegrees = 120.0;
constexpr double kSweepDegrees = 300.0;

double Radians(double degrees) { return degrees * M_PI / 180.0; }

}  // namespace

KnobArt::KnobArt(Rgb accent, Rgb accentBright) : accent(accent), accentBright(accentBright) {}

void KnobArt::DrawStrip(const ArtPainter& painter) const {
    for (int frame = 0; frame < kFrames; ++frame)
        DrawFrame(painter, 0, frame * kSize, static_cast<double>(frame) / (kFrames - 1));
}

void KnobArt::DrawFrame(const ArtPainter& painter, double x, double y, double value) const {
    cairo_t* cr = painter.Cairo();
    const double cx = x + kSize / 2.0;
    const double cy = y + kSize / 2.0;
    const double start = Radians(kStartDegrees);
    const double angle = Radians(kStartDegrees + kSweepDegrees * value);
    const double end = Radians(kStartDegrees + kSweepDegrees);

    cairo_save(cr);
    cairo_rectangle(cr, x, y, kSize, kSize);
    cairo_clip(cr);
    painter.FillRect(x, y, kSize, kSize, palette::kPlate);

    // The value ring: a dark groove, lit from the minimum up to the value.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 3.0);
    cairo_arc(cr, cx, cy, 15.5, start, end);
    painter.SetColour(palette::kPlateShadow);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.0);
    cairo_arc(cr, cx, cy, 15.5, start, std::fmax(angle, start + 0.01));
    painter.SetColour(accent);
    cairo_stroke(cr);

    // Body: a soft shadow, then a turned-metal disc lit from above.
    cairo_pattern_t* shadow = cairo_pattern_create_radial(cx, cy + 1.5, 9.0, cx, cy + 1.5, 13.5);
    cairo_pattern_add_color_stop_rgba(shadow, 0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(shadow, 1, 0, 0, 0, 0.0);
    painter.FillDisc(cx, cy + 1.5, 13.5, shadow);

    cairo_pattern_t* rim = cairo_pattern_create_linear(cx, cy - 12, cx, cy + 12);
    cairo_pattern_add_color_stop_rgb(rim, 0, 0.47, 0.51, 0.57);
    cairo_pattern_add_color_stop_rgb(rim, 1, 0.13, 0.15, 0.18);
    painter.FillDisc(cx, cy, 11.5, rim);

    cairo_pattern_t* cap = cairo_pattern_create_radial(cx - 3, cy - 4, 1.0, cx, cy, 10.5);
    cairo_pattern_add_color_stop_rgb(cap, 0, 0.36, 0.39, 0.44);
    cairo_pattern_add_color_stop_rgb(cap, 1, 0.19, 0.21, 0.25);
    painter.FillDisc(cx, cy, 10.0, cap);

    // Pointer: from near the middle to the cap's edge.
    const double dx = std::cos(angle);
    const double dy = std::sin(angle);
    cairo_set_line_width(cr, 2.0);
    cairo_move_to(cr, cx + dx * 3.5, cy + dy * 3.5);
    cairo_line_to(cr, cx + dx * 8.5, cy + dy * 8.5);
    painter.SetColour(accentBright);
    cairo_stroke(cr);
    cairo_arc(cr, cx + dx * 15.5, cy + dy * 15.5, 1.6, 0, 2 * M_PI);
    painter.SetColour(accentBright);
    cairo_fill(cr);
    cairo_restore(cr);
}
