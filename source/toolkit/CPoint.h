// A point in view coordinates (pixels, y grows downward).
#pragma once

typedef long CCoord;

struct CPoint {
    CPoint() = default;
    CPoint(CCoord h, CCoord v) : h(h), v(v) {}

    CPoint& offset(CCoord dh, CCoord dv) {
        h += dh;
        v += dv;
        return *this;
    }
    bool operator==(const CPoint& o) const { return h == o.h && v == o.v; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }

    CCoord h = 0;
    CCoord v = 0;
};
