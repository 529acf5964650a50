#include "FallbackArt.h"

#include <cairo.h>

#include <cmath>

#include "toolkit/CBitmap.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Runs paint on a fresh picture of width x height.
template <typename Paint>
CBitmap* Generated(long width, long height, Paint paint) {
    auto* bitmap = new CBitmap(width, height);
    if (!bitmap->isLoaded()) return bitmap;
    cairo_t* cr = cairo_create(bitmap->getSurface());
    paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(bitmap->getSurface());
    return bitmap;
}

CBitmap* LoadedOr(long id, CBitmap* (*fallback)()) {
    auto* bitmap = new CBitmap(id);
    if (bitmap->isLoaded()) return bitmap;
    bitmap->forget();
    return fallback();
}

CBitmap* MakeKnobStrip() {
    constexpr int kSide = 36;
    return Generated(kSide, kSide * kKnobFrames, [](cairo_t* cr) {
        for (int i = 0; i < kKnobFrames; ++i) {
            const double cx = kSide / 2.0;
            const double cy = kSide * i + kSide / 2.0;
            cairo_arc(cr, cx, cy, 15, 0, 2 * kPi);
            cairo_set_source_rgb(cr, 0.78, 0.80, 0.84);
            cairo_fill(cr);
            // 7 o'clock to 5 o'clock, clockwise.
            const double angle = (-150.0 + 300.0 * i / (kKnobFrames - 1)) * kPi / 180.0;
            cairo_move_to(cr, cx, cy);
            cairo_line_to(cr, cx + 13 * std::sin(angle), cy - 13 * std::cos(angle));
            cairo_set_source_rgb(cr, 0.12, 0.14, 0.18);
            cairo_set_line_width(cr, 3);
            cairo_stroke(cr);
        }
    });
}

CBitmap* MakeButton() {
    return Generated(22, 38, [](cairo_t* cr) {
        for (int pressed = 0; pressed < 2; ++pressed) {
            cairo_rectangle(cr, 1, 19 * pressed + 1, 20, 17);
            cairo_set_source_rgb(cr, pressed ? 0.35 : 0.70, pressed ? 0.38 : 0.73, pressed ? 0.45 : 0.78);
            cairo_fill(cr);
        }
    });
}

CBitmap* MakeSwitch() {
    return Generated(36, 36, [](cairo_t* cr) {
        for (int on = 0; on < 2; ++on) {
            cairo_rectangle(cr, 1, 18 * on + 1, 34, 16);
            cairo_set_source_rgb(cr, 0.25, 0.27, 0.30);
            cairo_fill(cr);
            cairo_arc(cr, on ? 26 : 10, 18 * on + 9, 5, 0, 2 * kPi);
            cairo_set_source_rgb(cr, on ? 0.95 : 0.55, on ? 0.70 : 0.55, on ? 0.20 : 0.55);
            cairo_fill(cr);
        }
    });
}

}  // namespace

CBitmap* KnobStripOrFallback(long id) { return LoadedOr(id, &MakeKnobStrip); }
CBitmap* ButtonOrFallback(long id) { return LoadedOr(id, &MakeButton); }
CBitmap* SwitchOrFallback(long id) { return LoadedOr(id, &MakeSwitch); }
