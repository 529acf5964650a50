// Drawing on a cairo surface in view coordinates, reference counted like every toolkit object. Every coordinate passes through the origin offset
// and the context's scale factor; the clip rectangle is in view coordinates too.
#pragma once

#include "toolkit/CBaseObject.h"
#include "toolkit/CColor.h"
#include "toolkit/CRect.h"
#include "toolkit/VstguiTypes.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

class CDrawContext : public CBaseObject {
public:
    // UI thread: draws into surface (not owned), whose pixels are scaleFactor times the view size.
    CDrawContext(cairo_surface_t* surface, const CRect& size, double scaleFactor = 1.0);
    ~CDrawContext() override;

    // Lines and shapes, in the frame colour (lines, outlines) or fill colour (fills).
    void moveTo(const CPoint& point);
    void lineTo(const CPoint& point);
    void drawLine(const CPoint& start, const CPoint& end);
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void fillRect(const CRect& rect);
    void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked);
    void fillEllipse(const CRect& rect);
    void drawPolygon(const CPoint* points, long count, CDrawStyle style = kDrawStroked);

    void setLineWidth(CCoord width);
    CCoord getLineWidth() const { return lineWidth; }
    void setLineStyle(CLineStyle style);
    CLineStyle getLineStyle() const { return lineStyle; }
    // kCopyMode draws hard edges; kAntialias smooths lines and shapes. Text is always smoothed.
    void setDrawMode(CDrawMode mode);
    CDrawMode getDrawMode() const { return drawMode; }

    void setFrameColor(const CColor color);
    CColor getFrameColor() const { return frameColor; }
    void setFillColor(const CColor color);
    CColor getFillColor() const { return fillColor; }
    void setFontColor(const CColor color);
    CColor getFontColor() const { return fontColor; }

    // size 0 takes the standard font's own size.
    void setFont(CFont fontID, long size = 0, long style = 0);
    CFont getFont() const { return font; }
    long getFontSize() const { return fontSize; }
    // Width in view pixels of string in the current font, rounded to the nearest pixel (the same on
    // every machine and at every scale factor).
    CCoord getStringWidth(const char* string);
    // Draws string vertically centred in rect with the given alignment, clipped to rect; opaque
    // fills rect with the fill colour first.
    void drawString(const char* string, const CRect& rect, short opaque = false,
                    CHoriTxtAlign hAlign = kCenterText);

    // Drawing outside rect is dropped (intersected with the surface). Like drawing, the clip moves
    // with the origin offset, also when the offset changes later.
    void setClipRect(const CRect& clip);
    CRect& getClipRect(CRect& clip) const;
    void resetClipRect();

    // Moves the origin: a point p is drawn at p + offset.
    void setOffset(const CPoint& offset);
    CPoint getOffset() const { return offset; }

    double getScaleFactor() const { return scaleFactor; }
    // The toolkit's own access to the cairo state (bitmaps, offscreens, frames).
    cairo_t* getCairo() const { return cr; }
    cairo_surface_t* getSurface() const { return surface; }
    const CRect& getSize() const { return size; }

protected:
    void applyClip();

    cairo_surface_t* surface;
    cairo_t* cr;
    CRect size;
    double scaleFactor;
    CRect clipRect;
    CPoint offset;
    CPoint penPosition;
    CCoord lineWidth = 1;
    CLineStyle lineStyle = kLineSolid;
    CDrawMode drawMode = kCopyMode;
    CColor frameColor = kBlackCColor;
    CColor fillColor = kWhiteCColor;
    CColor fontColor = kBlackCColor;
    CFont font = kSystemFont;
    long fontSize = 12;
    long fontStyle = 0;
};
