// A picture loaded by resource number: "bmp%05d" with the first of png, bmp, jpg, pict found in the
// bundle's resources, else the copy compiled into the plug-in. A missing picture is a 0 x 0 bitmap.
#pragma once

#include "toolkit/CBaseObject.h"
#include "toolkit/CRect.h"

typedef struct _cairo_surface cairo_surface_t;
class CDrawContext;

class CBitmap : public CBaseObject {
public:
    // UI thread: loads resource resourceID; never fails (0 x 0 when nothing is found).
    explicit CBitmap(long resourceID);
    // UI thread: an empty transparent picture of the given size (used by offscreen drawing).
    CBitmap(CCoord width, CCoord height);
    ~CBitmap() override;

    // UI thread: the picture's size in view pixels (a 2x picture reports half its pixel size).
    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }
    // UI thread: true when a picture was found.
    bool isLoaded() const { return surface != nullptr; }
    long getResourceID() const { return resourceID; }

    // UI thread: copies the part of the picture starting at offset into rect, clipped to rect.
    void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(0, 0));
    // UI thread: as draw, blended over what is there with the given alpha (255 = the picture's own).
    void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(0, 0),
                        unsigned char alpha = 128);

    // UI thread: the decoded pixels (ARGB32), null when not loaded. For the toolkit's own use.
    cairo_surface_t* getSurface() const { return surface; }

private:
    long resourceID = 0;
    CCoord width = 0;
    CCoord height = 0;
    cairo_surface_t* surface = nullptr;
    cairo_surface_t* surface2x = nullptr;  // the "@2x" picture for dense screens, when there is one
};
