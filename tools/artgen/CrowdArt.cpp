#include "CrowdArt.h"

#include <cairo.h>

#include <cmath>

CrowdArt::CrowdArt(const ArtPainter& painter) : painter(painter) {}

void CrowdArt::Plane(double w, double h) const {
    cairo_t* cr = painter.Cairo();
    painter.FillRect(0, 0, w, h, palette::kPlane);
    cairo_pattern_t* lift = cairo_pattern_create_radial(w / 2, h / 2, 10, w / 2, h / 2, w * 0.62);
    const Rgb c = palette::kPlaneCentre;
    cairo_pattern_add_color_stop_rgba(lift, 0, c.r, c.g, c.b, 1.0);
    cairo_pattern_add_color_stop_rgba(lift, 1, c.r, c.g, c.b, 0.0);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_set_source(cr, lift);
    cairo_fill(cr);
    cairo_pattern_destroy(lift);

    // Eighths of the usable area (inset 4 px, as the markers are placed); the middle lines are
    // stronger. The grid stays inside the inset so the outer pixels are plain plane.
    const double inset = 4.0;
    for (int k = 1; k < 8; ++k) {
        const Rgb colour = k == 4 ? palette::kGridMajor : palette::kGrid;
        const double alpha = k % 2 == 0 ? 1.0 : 0.55;
        const double gx = std::round(inset + (w - 2 * inset) * k / 8.0);
        const double gy = std::round(inset + (h - 2 * inset) * k / 8.0);
        painter.VLine(gx, inset, h - inset, colour, alpha);
        painter.HLine(inset, w - inset, gy, colour, alpha);
    }
}

void CrowdArt::PersonPath(double cx, double cy) const {
    cairo_t* cr = painter.Cairo();
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy - 3.6, 2.7, 0, 2 * M_PI);
    cairo_close_path(cr);
    cairo_new_sub_path(cr);
    cairo_move_to(cr, cx - 5.2, cy + 5.8);
    cairo_arc(cr, cx, cy + 4.8, 5.2, M_PI, 2 * M_PI);
    cairo_line_to(cr, cx + 5.2, cy + 5.8);
    cairo_close_path(cr);
}

void CrowdArt::Marker(double cx, double cy, int glow) const {
    cairo_t* cr = painter.Cairo();
    if (glow > 0) {
        const double radius = 6.0 + 1.6 * glow;
        const Rgb warm = palette::kWarm;
        cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, 1.0, cx, cy, radius);
        cairo_pattern_add_color_stop_rgba(halo, 0, warm.r, warm.g, warm.b, 0.30 + 0.15 * glow);
        cairo_pattern_add_color_stop_rgba(halo, 1, warm.r, warm.g, warm.b, 0.0);
        painter.FillDisc(cx, cy, radius, halo);
    }
    // A dark outline keeps the figure readable where markers overlap.
    PersonPath(cx, cy);
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    painter.SetColour(Bytes(8, 11, 16), 0.85);
    cairo_stroke(cr);
    PersonPath(cx, cy);
    const Rgb pulse[3] = {palette::kWarm, Bytes(250, 188, 104), palette::kWarmBright};
    painter.SetColour(glow == 0 ? palette::kMarker : pulse[glow - 1]);
    cairo_fill(cr);
}

void CrowdArt::MarkerStrip() const {
    for (int frame = 0; frame < kMarkerFrames; ++frame) Marker(12.0, frame * kMarkerHeight + 9.0, frame);
}

void CrowdArt::Ring(double w, double h) const {
    cairo_t* cr = painter.Cairo();
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    cairo_set_line_width(cr, 3.0);
    cairo_arc(cr, cx, cy, 12.5, 0, 2 * M_PI);
    painter.SetColour(palette::kWarm, 0.25);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.4);
    cairo_arc(cr, cx, cy, 12.5, 0, 2 * M_PI);
    painter.SetColour(palette::kWarmBright);
    cairo_stroke(cr);
    // Sight marks at the four points of the compass.
    cairo_set_line_width(cr, 1.4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int k = 0; k < 4; ++k) {
        const double a = k * M_PI / 2.0;
        cairo_move_to(cr, cx + std::cos(a) * 13.5, cy + std::sin(a) * 13.5);
        cairo_line_to(cr, cx + std::cos(a) * 16.0, cy + std::sin(a) * 16.0);
    }
    painter.SetColour(palette::kWarmBright);
    cairo_stroke(cr);
}

void CrowdArt::AxisLabel(double w, double h, std::string_view name, bool vertical) const {
    cairo_t* cr = painter.Cairo();
    cairo_save(cr);
    double length = w;
    double thickness = h;
    if (vertical) {
        // Turn the page a quarter to the left: the label then reads from bottom to top.
        cairo_translate(cr, 0, h);
        cairo_rotate(cr, -M_PI / 2.0);
        length = h;
        thickness = w;
    }
    const double size = 9.0;
    const double baseline = std::round(thickness / 2.0 + size * 0.36);
    painter.Text(FontStyle::kRegular, size, 1.0, baseline, name, Align::kLeft, palette::kAxisLabel);
    const double start = 1.0 + painter.TextWidth(FontStyle::kRegular, size, name) + 4.0;
    const double mid = std::round(thickness / 2.0) + 0.5;
    const double tip = length - 1.5;
    if (tip - start > 6.0) {
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, start, mid);
        cairo_line_to(cr, tip - 3.0, mid);
        painter.SetColour(palette::kAxisLabel, 0.8);
        cairo_stroke(cr);
        painter.FillTriangle(tip, mid, tip - 4.5, mid - 2.8, tip - 4.5, mid + 2.8, palette::kAxisLabel);
    }
    cairo_restore(cr);
}

void CrowdArt::HelpArrow(double w, double h, bool up) const {
    // Opaque, with the plane's colour in the corners: the help pages may blend or copy it.
    painter.FillRect(0, 0, w, h, palette::kPlane);
    painter.FillRounded(0, 0, w, h, 3.0, Bytes(24, 40, 56));
    painter.FillRoundedGradient(1, 1, w - 2, h - 2, 2.0, Bytes(58, 94, 126), palette::kHelpTrack);
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    const double s = 4.5;
    if (up)
        painter.FillTriangle(cx, cy - s, cx - s, cy + s * 0.7, cx + s, cy + s * 0.7, palette::kHelpThumb);
    else
        painter.FillTriangle(cx, cy + s, cx - s, cy - s * 0.7, cx + s, cy - s * 0.7, palette::kHelpThumb);
}

void CrowdArt::LampGlow(double w, double h) const {
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    const double r = std::fmin(w, h) / 2.0;
    cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 0.0, cx, cy, r);
    cairo_pattern_add_color_stop_rgba(glow, 0.00, 1.00, 0.95, 0.80, 1.0);
    cairo_pattern_add_color_stop_rgba(glow, 0.30, 1.00, 0.62, 0.20, 1.0);
    cairo_pattern_add_color_stop_rgba(glow, 0.55, 0.95, 0.28, 0.08, 0.85);
    cairo_pattern_add_color_stop_rgba(glow, 1.00, 0.90, 0.15, 0.05, 0.0);
    painter.FillDisc(cx, cy, r, glow);
}
