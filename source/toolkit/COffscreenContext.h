// A drawing context with pixels of its own (the frame's scale factor, filled with a background
// colour at creation), later copied onto another context.
#pragma once

#include "toolkit/CDrawContext.h"

class CFrame;

class COffscreenContext : public CDrawContext {
public:
    // UI thread: width x height view pixels at the frame's scale factor (1 without a frame).
    COffscreenContext(CFrame* frame, long width, long height, const CColor backgroundColor = kBlackCColor);
    ~COffscreenContext() override;

    // UI thread: copies this context's pixels, starting at srcOffset, into destRect of context
    // (destRect passes through context's origin offset and clip like any drawing).
    void copyFrom(CDrawContext* context, CRect destRect, CPoint srcOffset = CPoint(0, 0));

    long getWidth() const { return width; }
    long getHeight() const { return height; }

private:
    long width;
    long height;
};
