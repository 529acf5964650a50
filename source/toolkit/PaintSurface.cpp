#include "toolkit/PaintSurface.h"

#include <cairo.h>

#include <cmath>

#include "toolkit/CDrawContext.h"

double SaneScaleFactor(double factor) { return std::isfinite(factor) && factor >= 0.25 && factor <= 8 ? factor : 1.0; }

void PaintSurface(CDrawContext* context, cairo_surface_t* picture, double pixelsPerViewX, double pixelsPerViewY,
                  const CRect& rect, const CPoint& offset, double alpha) {
    if (context == nullptr || picture == nullptr || rect.isEmpty()) return;
    if (!(alpha > 0) || !(pixelsPerViewX > 0) || !(pixelsPerViewY > 0)) return;
    cairo_t* cr = context->getCairo();
    if (cr == nullptr || cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) return;

    // A context copying onto itself would read pixels it is overwriting: copy them first.
    cairo_surface_t* source = picture;
    if (picture == cairo_get_target(cr)) {
        source = cairo_surface_create_similar_image(picture, CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(picture),
                                                    cairo_image_surface_get_height(picture));
        cairo_t* copy = cairo_create(source);
        cairo_set_source_surface(copy, picture, 0, 0);
        cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
        cairo_paint(copy);
        cairo_destroy(copy);
    }

    const double s = context->getScaleFactor();
    const CPoint origin = context->getOffset();
    const double x0 = std::round((double(rect.left) + origin.h) * s), y0 = std::round((double(rect.top) + origin.v) * s);
    const double x1 = std::round((double(rect.right) + origin.h) * s), y1 = std::round((double(rect.bottom) + origin.v) * s);

    cairo_save(cr);
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
    cairo_clip(cr);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    // Device pixel d shows picture pixel (d / s - origin - rect.topLeft + offset) * pixelsPerView.
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, pixelsPerViewX / s, 0, 0, pixelsPerViewY / s,
                      -(double(origin.h) + rect.left - offset.h) * pixelsPerViewX,
                      -(double(origin.v) + rect.top - offset.v) * pixelsPerViewY);
    cairo_pattern_set_matrix(pattern, &matrix);
    // A whole number of device pixels per picture pixel (a 1x picture on a 1x or 2x screen) is a
    // plain copy with crisp edges; anything else is resampled smoothly.
    const double zoomX = s / pixelsPerViewX, zoomY = s / pixelsPerViewY;
    const bool exact = zoomX >= 1 && zoomY >= 1 && zoomX == std::floor(zoomX) && zoomY == std::floor(zoomY);
    cairo_pattern_set_filter(pattern, exact ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
    cairo_set_source(cr, pattern);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    if (alpha >= 1) cairo_paint(cr);
    else cairo_paint_with_alpha(cr, alpha);
    cairo_pattern_destroy(pattern);
    cairo_restore(cr);
    if (source != picture) cairo_surface_destroy(source);
}
