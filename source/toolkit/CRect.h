// A rectangle; right and bottom lie just outside it, as in every VSTGUI rectangle.
#pragma once

#include <algorithm>

#include "toolkit/CPoint.h"

struct CRect {
    CRect() = default;
    CRect(CCoord left, CCoord top, CCoord right, CCoord bottom)
        : left(left), top(top), right(right), bottom(bottom) {}
    CRect(const CPoint& origin, const CPoint& size)
        : left(origin.h), top(origin.v), right(origin.h + size.h), bottom(origin.v + size.v) {}

    CCoord width() const { return right - left; }
    CCoord height() const { return bottom - top; }
    CRect& setWidth(CCoord w) { right = left + w; return *this; }
    CRect& setHeight(CCoord h) { bottom = top + h; return *this; }
    CRect& offset(CCoord dh, CCoord dv) {
        left += dh; right += dh; top += dv; bottom += dv;
        return *this;
    }
    CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
    CRect& inset(CCoord dh, CCoord dv) {
        left += dh; right -= dh; top += dv; bottom -= dv;
        return *this;
    }
    CPoint getTopLeft() const { return CPoint(left, top); }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool pointInside(const CPoint& p) const {
        return p.h >= left && p.h < right && p.v >= top && p.v < bottom;
    }
    bool rectOverlap(const CRect& r) const {
        return right > r.left && left < r.right && bottom > r.top && top < r.bottom;
    }
    // Cuts this rectangle to r; an empty result has zero size at the clamped corner.
    CRect& bound(const CRect& r) {
        left = std::clamp(left, r.left, r.right);
        right = std::clamp(right, left, r.right);
        top = std::clamp(top, r.top, r.bottom);
        bottom = std::clamp(bottom, top, r.bottom);
        return *this;
    }
    // The smallest rectangle holding both; an empty operand adds nothing.
    CRect& unite(const CRect& r) {
        if (r.isEmpty()) return *this;
        if (isEmpty()) return *this = r;
        left = std::min(left, r.left); top = std::min(top, r.top);
        right = std::max(right, r.right); bottom = std::max(bottom, r.bottom);
        return *this;
    }
    bool operator==(const CRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }

    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;
};
