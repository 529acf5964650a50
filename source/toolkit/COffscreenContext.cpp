#include "toolkit/COffscreenContext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "toolkit/CFrame.h"
#include "toolkit/PaintSurface.h"

namespace {

// Far larger than any window; keeps a wild size from asking for gigabytes.
constexpr long kMaxSide = 4096;

double ScaleOf(CFrame* frame) { return SaneScaleFactor(frame != nullptr ? frame->getScaleFactor() : 1.0); }

// Made before the base context, which draws into it.
cairo_surface_t* CreatePixels(long width, long height, double scale) {
    const int w = int(std::ceil(double(width) * scale));
    const int h = int(std::ceil(double(height) * scale));
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(w, 0), std::max(h, 0));
}

long Side(long side) { return std::clamp(side, 0L, kMaxSide); }

}  // namespace

COffscreenContext::COffscreenContext(CFrame* frame, long newWidth, long newHeight, const CColor backgroundColor)
    : CDrawContext(CreatePixels(Side(newWidth), Side(newHeight), ScaleOf(frame)),
                   CRect(0, 0, Side(newWidth), Side(newHeight)), ScaleOf(frame)),
      width(Side(newWidth)),
      height(Side(newHeight)) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, backgroundColor.red / 255.0, backgroundColor.green / 255.0,
                          backgroundColor.blue / 255.0, backgroundColor.alpha / 255.0);
    cairo_paint(cr);
    cairo_restore(cr);
}

COffscreenContext::~COffscreenContext() {
    // The base context's cairo state holds its own reference and lets the pixels go last.
    cairo_surface_destroy(surface);
}

void COffscreenContext::copyFrom(CDrawContext* context, CRect destRect, CPoint srcOffset) {
    if (context == nullptr || width <= 0 || height <= 0) return;
    // Whatever was drawn here must be in the pixels before they are read.
    cairo_surface_flush(surface);
    PaintSurface(context, surface, getScaleFactor(), getScaleFactor(), destRect, srcOffset, 1.0);
}
