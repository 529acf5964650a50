#include "toolkit/CDrawContext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "toolkit/PaintSurface.h"
#include "toolkit/ToolkitFont.h"

// Between calls the cairo matrix is the identity: every operation maps its view coordinates to device
// pixels itself, so fills and clips can be snapped to whole pixels at any scale factor.

namespace {

// Far beyond any window, yet small enough that pixel arithmetic stays exact in double.
constexpr double kCoordLimit = 1 << 24;
constexpr long kMaxFontSize = 512;

void SetSource(cairo_t* cr, const CColor& color) {
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

}  // namespace

CDrawContext::CDrawContext(cairo_surface_t* surface, const CRect& size, double scaleFactor)
    : surface(surface),
      cr(surface != nullptr ? cairo_create(surface) : nullptr),
      size(size),
      scaleFactor(SaneScaleFactor(scaleFactor)),
      clipRect(size) {
    applyClip();
}

CDrawContext::~CDrawContext() {
    if (cr != nullptr) cairo_destroy(cr);
}

// --- mapping to device pixels -------------------------------------------------------------------

namespace {

struct DeviceRect {
    double x0, y0, x1, y1;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

}  // namespace

// Edges land on whole device pixels, so a fill covers exactly the pixels of its rectangle.
static DeviceRect ToDevice(const CRect& rect, const CPoint& offset, double scale) {
    auto edge = [scale](double v) { return std::round(std::clamp(v, -kCoordLimit, kCoordLimit) * scale); };
    return {edge(double(rect.left) + offset.h), edge(double(rect.top) + offset.v),
            edge(double(rect.right) + offset.h), edge(double(rect.bottom) + offset.v)};
}

void CDrawContext::applyClip() {
    if (cr == nullptr) return;
    cairo_reset_clip(cr);
    // The clip moves with the origin offset, like drawing: a view clips in the coordinates it draws in.
    const DeviceRect d = ToDevice(clipRect, offset, scaleFactor);
    cairo_rectangle(cr, d.x0, d.y0, std::max(0.0, d.x1 - d.x0), std::max(0.0, d.y1 - d.y0));
    cairo_clip(cr);
}

void CDrawContext::setClipRect(const CRect& clip) {
    clipRect = clip;
    applyClip();
}

CRect& CDrawContext::getClipRect(CRect& clip) const {
    clip = clipRect;
    return clip;
}

void CDrawContext::resetClipRect() { setClipRect(size); }

void CDrawContext::setOffset(const CPoint& newOffset) {
    offset = newOffset;
    applyClip();
}

// --- state ------------------------------------------------------------------------------------------

void CDrawContext::setLineWidth(CCoord width) { lineWidth = std::clamp<CCoord>(width, 0, 1000); }

void CDrawContext::setLineStyle(CLineStyle style) { lineStyle = style == kLineOnOffDash ? kLineOnOffDash : kLineSolid; }

// Or and xor have no meaning for cairo's colours; they draw as copy.
void CDrawContext::setDrawMode(CDrawMode mode) { drawMode = mode; }

void CDrawContext::setFrameColor(const CColor color) { frameColor = color; }

void CDrawContext::setFillColor(const CColor color) { fillColor = color; }

void CDrawContext::setFontColor(const CColor color) { fontColor = color; }

void CDrawContext::setFont(CFont fontID, long newSize, long style) {
    font = fontID >= 0 && fontID < kNumStandardFonts ? fontID : kSystemFont;
    fontSize = newSize > 0 ? std::min(newSize, kMaxFontSize) : FontSize(font);
    fontStyle = style;
}

// --- lines and shapes -------------------------------------------------------------------------------

namespace {

// Stroke set-up shared by every outline: width, dashes and edges in device units.
void PrepareStroke(cairo_t* cr, double deviceWidth, CLineStyle style, CDrawMode mode, const CColor& color) {
    cairo_set_line_width(cr, deviceWidth);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    if (style == kLineOnOffDash) {
        const double dash = std::max(1.0, deviceWidth);
        cairo_set_dash(cr, &dash, 1, 0);
    } else {
        cairo_set_dash(cr, nullptr, 0, 0);
    }
    cairo_set_antialias(cr, mode == kAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    SetSource(cr, color);
}

}  // namespace

void CDrawContext::moveTo(const CPoint& point) { penPosition = point; }

void CDrawContext::lineTo(const CPoint& point) {
    drawLine(penPosition, point);
    penPosition = point;
}

void CDrawContext::drawLine(const CPoint& start, const CPoint& end) {
    if (cr == nullptr || lineWidth <= 0) return;
    // Odd widths run through pixel centres and even ones along pixel edges, so both are crisp.
    const double centre = lineWidth % 2 == 1 ? 0.5 : 0.0;
    const double s = scaleFactor;
    double x0 = (double(start.h) + offset.h + centre) * s, y0 = (double(start.v) + offset.v + centre) * s;
    double x1 = (double(end.h) + offset.h + centre) * s, y1 = (double(end.v) + offset.v + centre) * s;
    const double width = double(lineWidth) * s;
    const double length = std::hypot(x1 - x0, y1 - y0);
    if (!std::isfinite(length)) return;
    PrepareStroke(cr, width, lineStyle, drawMode, frameColor);
    if (length == 0) {  // a dot: the pixel(s) of the point
        cairo_rectangle(cr, x0 - width / 2, y0 - width / 2, width, width);
        cairo_fill(cr);
        return;
    }
    // Both end pixels belong to the line: extend it half a width each way (a square cap that
    // still leaves dashes alone).
    const double ex = (x1 - x0) / length * width / 2, ey = (y1 - y0) / length * width / 2;
    cairo_move_to(cr, x0 - ex, y0 - ey);
    cairo_line_to(cr, x1 + ex, y1 + ey);
    cairo_stroke(cr);
}

void CDrawContext::fillRect(const CRect& rect) {
    if (cr == nullptr) return;
    const DeviceRect d = ToDevice(rect, offset, scaleFactor);
    if (d.empty()) return;
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    SetSource(cr, fillColor);
    cairo_rectangle(cr, d.x0, d.y0, d.x1 - d.x0, d.y1 - d.y0);
    cairo_fill(cr);
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    if (cr == nullptr) return;
    if (style != kDrawStroked) fillRect(rect);
    if (style == kDrawFilled || lineWidth <= 0) return;
    // The outline is the rectangle's outermost pixels; right and bottom stay outside, as for fills.
    const DeviceRect d = ToDevice(rect, offset, scaleFactor);
    if (d.empty()) return;
    const double width = double(lineWidth) * scaleFactor;
    if (d.x1 - d.x0 <= 2 * width || d.y1 - d.y0 <= 2 * width) {  // all border, no inside
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        SetSource(cr, frameColor);
        cairo_rectangle(cr, d.x0, d.y0, d.x1 - d.x0, d.y1 - d.y0);
        cairo_fill(cr);
        return;
    }
    PrepareStroke(cr, width, lineStyle, drawMode, frameColor);
    cairo_rectangle(cr, d.x0 + width / 2, d.y0 + width / 2, d.x1 - d.x0 - width, d.y1 - d.y0 - width);
    cairo_stroke(cr);
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style) {
    if (cr == nullptr) return;
    if (style != kDrawStroked) fillEllipse(rect);
    if (style == kDrawFilled || lineWidth <= 0) return;
    const DeviceRect d = ToDevice(rect, offset, scaleFactor);
    const double width = double(lineWidth) * scaleFactor;
    const double rx = (d.x1 - d.x0 - width) / 2, ry = (d.y1 - d.y0 - width) / 2;
    if (rx <= 0 || ry <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, (d.x0 + d.x1) / 2, (d.y0 + d.y1) / 2);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);  // the pen is not squashed by the ellipse's scale
    PrepareStroke(cr, width, lineStyle, drawMode, frameColor);
    cairo_stroke(cr);
}

void CDrawContext::fillEllipse(const CRect& rect) {
    if (cr == nullptr) return;
    const DeviceRect d = ToDevice(rect, offset, scaleFactor);
    if (d.empty()) return;
    cairo_save(cr);
    cairo_translate(cr, (d.x0 + d.x1) / 2, (d.y0 + d.y1) / 2);
    cairo_scale(cr, (d.x1 - d.x0) / 2, (d.y1 - d.y0) / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_set_antialias(cr, drawMode == kAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    SetSource(cr, fillColor);
    cairo_fill(cr);
}

void CDrawContext::drawPolygon(const CPoint* points, long count, CDrawStyle style) {
    if (cr == nullptr || points == nullptr || count < 2) return;
    const double s = scaleFactor;
    if (style != kDrawStroked) {
        for (long i = 0; i < count; ++i)
            cairo_line_to(cr, (double(points[i].h) + offset.h) * s, (double(points[i].v) + offset.v) * s);
        cairo_close_path(cr);
        cairo_set_antialias(cr, drawMode == kAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
        SetSource(cr, fillColor);
        cairo_fill(cr);
    }
    if (style == kDrawFilled || lineWidth <= 0) return;
    // An open polyline through pixel centres, as drawLine draws each piece.
    const double centre = lineWidth % 2 == 1 ? 0.5 : 0.0;
    for (long i = 0; i < count; ++i)
        cairo_line_to(cr, (double(points[i].h) + offset.h + centre) * s, (double(points[i].v) + offset.v + centre) * s);
    PrepareStroke(cr, double(lineWidth) * s, lineStyle, drawMode, frameColor);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    cairo_stroke(cr);
}

// --- text -------------------------------------------------------------------------------------------

CCoord CDrawContext::getStringWidth(const char* string) {
    // Measured at scale 1, so a layout made from widths is the same at every scale factor.
    return std::lround(ToolkitFont::Advance(ToolkitFont::ToUtf8(string), double(fontSize), fontStyle));
}

void CDrawContext::drawString(const char* string, const CRect& rect, short opaque, CHoriTxtAlign hAlign) {
    if (cr == nullptr) return;
    if (opaque) fillRect(rect);
    const std::string text = ToolkitFont::ToUtf8(string);
    const DeviceRect d = ToDevice(rect, offset, scaleFactor);
    if (text.empty() || d.empty()) return;

    const double size = double(fontSize);
    const double advance = ToolkitFont::Advance(text, size, fontStyle);
    double ascent = 0, descent = 0;
    ToolkitFont::VerticalMetrics(size, fontStyle, &ascent, &descent);
    double x = double(rect.left);
    if (hAlign == kCenterText) x += (double(rect.width()) - advance) / 2;
    else if (hAlign == kRightText) x = double(rect.right) - advance;
    const double baseline = double(rect.top) + (double(rect.height()) - (ascent + descent)) / 2 + ascent;

    cairo_save(cr);
    cairo_rectangle(cr, d.x0, d.y0, d.x1 - d.x0, d.y1 - d.y0);
    cairo_clip(cr);
    cairo_set_font_face(cr, ToolkitFont::Face(fontStyle));
    cairo_set_font_size(cr, size * scaleFactor);
    cairo_set_font_options(cr, ToolkitFont::Options());
    // Text is always smoothed: hard-edged glyphs at these sizes are unreadable. The draw mode
    // governs lines and shapes.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    SetSource(cr, fontColor);
    cairo_move_to(cr, std::round((x + offset.h) * scaleFactor), std::round((baseline + offset.v) * scaleFactor));
    cairo_show_text(cr, text.c_str());
    cairo_new_path(cr);  // show_text leaves the pen after the text; nothing else should use it
    cairo_restore(cr);
}
