#include "ArtPainter.h"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace {

// A small integer hash: the same streaks on every run and every machine.
unsigned Mix(unsigned a) {
    a ^= a >> 16;
    a *= 0x7feb352dU;
    a ^= a >> 15;
    a *= 0x846ca68bU;
    a ^= a >> 16;
    return a;
}

double Unit(unsigned a) { return (Mix(a) & 0xffffU) / 65535.0 * 2.0 - 1.0; }

}  // namespace

ArtPainter::ArtPainter(cairo_t* cr, const FontSet& fonts, int scale) : cr(cr), fonts(fonts), scale(scale) {}

void ArtPainter::SetColour(Rgb colour, double alpha) const {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

void ArtPainter::FillRect(double x, double y, double w, double h, Rgb colour, double alpha) const {
    cairo_rectangle(cr, x, y, w, h);
    SetColour(colour, alpha);
    cairo_fill(cr);
}

void ArtPainter::RoundedRect(double x, double y, double w, double h, double radius) const {
    const double r = std::fmin(radius, std::fmin(w, h) / 2.0);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2.0, 0.0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0.0, M_PI / 2.0);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2.0, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3.0 * M_PI / 2.0);
    cairo_close_path(cr);
}

void ArtPainter::FillRounded(double x, double y, double w, double h, double radius, Rgb colour,
                             double alpha) const {
    RoundedRect(x, y, w, h, radius);
    SetColour(colour, alpha);
    cairo_fill(cr);
}

void ArtPainter::FillRoundedGradient(double x, double y, double w, double h, double radius, Rgb top,
                                     Rgb bottom) const {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
    RoundedRect(x, y, w, h, radius);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

void ArtPainter::HLine(double x0, double x1, double y, Rgb colour, double alpha) const {
    FillRect(x0, y, x1 - x0, 1.0, colour, alpha);
}

void ArtPainter::VLine(double x, double y0, double y1, Rgb colour, double alpha) const {
    FillRect(x, y0, 1.0, y1 - y0, colour, alpha);
}

void ArtPainter::FillTriangle(double x0, double y0, double x1, double y1, double x2, double y2, Rgb colour) const {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_close_path(cr);
    SetColour(colour);
    cairo_fill(cr);
}

void ArtPainter::Brush(double x, double y, double w, double h, double strength, unsigned seed) const {
    const int width = static_cast<int>(std::lround(w * scale));
    const int height = static_cast<int>(std::lround(h * scale));
    if (width <= 0 || height <= 0) return;
    cairo_surface_t* streaks = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    const int stride = cairo_image_surface_get_stride(streaks);
    unsigned char* data = cairo_image_surface_get_data(streaks);
    cairo_surface_flush(streaks);
    // Long streaks: a per-row tone plus a slow wander along the row, like brushed metal.
    const int run = 24 * scale;
    for (int row = 0; row < height; ++row) {
        const double rowTone = Unit(seed * 7919U + static_cast<unsigned>(row));
        auto* pixel = reinterpret_cast<uint32_t*>(data + row * stride);
        for (int col = 0; col < width; ++col) {
            const int cell = col / run;
            const double t = static_cast<double>(col % run) / run;
            const unsigned base = seed * 104729U + static_cast<unsigned>(row) * 977U;
            const double a = Unit(base + static_cast<unsigned>(cell));
            const double b = Unit(base + static_cast<unsigned>(cell + 1));
            const double wander = a + (b - a) * (t * t * (3.0 - 2.0 * t));
            const double v = 0.65 * rowTone + 0.35 * wander;
            const auto alpha = static_cast<uint32_t>(std::lround(std::fabs(v) * strength * 255.0));
            // Premultiplied: white with this alpha lightens, black darkens.
            const uint32_t level = v > 0 ? alpha : 0;
            pixel[col] = (alpha << 24) | (level << 16) | (level << 8) | level;
        }
    }
    cairo_surface_mark_dirty(streaks);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, streaks, std::lround(x * scale), std::lround(y * scale));
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(streaks);
}

void ArtPainter::SelectFont(FontStyle style, double size) const {
    cairo_set_font_face(cr, fonts.Face(style));
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    // Unhinted advances: the 2x lettering lands exactly where the 1x lettering does.
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

double ArtPainter::TextWidth(FontStyle style, double size, std::string_view text, double tracking) const {
    SelectFont(style, size);
    const std::string copy(text);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, copy.c_str(), &extents);
    const double gaps = text.empty() ? 0.0 : tracking * static_cast<double>(text.size() - 1);
    return extents.x_advance + gaps;
}

void ArtPainter::Text(FontStyle style, double size, double x, double baseline, std::string_view text, Align align,
                      Rgb colour, double alpha, double tracking) const {
    const double width = TextWidth(style, size, text, tracking);
    double left = x;
    if (align == Align::kCentre) left = x - width / 2.0;
    if (align == Align::kRight) left = x - width;
    // Whole-pixel starts keep small lettering crisp at 1x.
    left = std::round(left * scale) / scale;
    SelectFont(style, size);
    SetColour(colour, alpha);
    if (tracking == 0.0) {
        const std::string copy(text);
        cairo_move_to(cr, left, baseline);
        cairo_show_text(cr, copy.c_str());
        return;
    }
    double pen = left;
    for (char c : text) {
        const char glyph[2] = {c, 0};
        cairo_text_extents_t extents;
        cairo_text_extents(cr, glyph, &extents);
        cairo_move_to(cr, pen, baseline);
        cairo_show_text(cr, glyph);
        pen += extents.x_advance + tracking;
    }
}

double ArtPainter::CentredBaseline(double top, double height, double size) {
    // DejaVu Sans: capitals stand 0.73 em, lower case 0.55 em; centre their average.
    return std::round(top + height / 2.0 + size * 0.64 / 2.0);
}

void ArtPainter::FillDisc(double cx, double cy, double radius, cairo_pattern_t* pattern) const {
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
}
