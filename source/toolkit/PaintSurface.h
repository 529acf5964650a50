// Puts pixels of one cairo surface into a draw context: the common ground of bitmap drawing and
// offscreen copies.
#pragma once

#include "toolkit/CRect.h"

typedef struct _cairo_surface cairo_surface_t;
class CDrawContext;

// UI thread: the picture's pixels from offset (in view pixels) go to rect's top-left, clipped to rect
// and to the context's clip, blended with alpha (0..1, 1 = the picture's own transparency).
// pixelsPerView{X,Y} say how many picture pixels make one view pixel (2 for a 2x picture).
void PaintSurface(CDrawContext* context, cairo_surface_t* picture, double pixelsPerViewX, double pixelsPerViewY,
                  const CRect& rect, const CPoint& offset, double alpha);

// Any thread: a scale factor every context accepts (0.25..8); anything else is taken as 1.
double SaneScaleFactor(double factor);
