// The crowd panel's pictures: its plane, the person marker and selection ring, the axis labels,
// the help scroll arrows and the overload lamp's glow.
#pragma once

#include <string_view>

#include "ArtPainter.h"

class CrowdArt {
public:
    static constexpr double kMarkerWidth = 24;
    static constexpr double kMarkerHeight = 19;
    static constexpr int kMarkerFrames = 4;

    explicit CrowdArt(const ArtPainter& painter);

    // The plane, w x h: dark, a faint grid, nothing but plane in the outer pixels.
    void Plane(double w, double h) const;
    // Four marker frames: the plain marker, then three steps of the selected marker's pulse.
    void MarkerStrip() const;
    // One marker centred on (cx, cy); glow 0 is the plain marker, 1..3 the pulse.
    void Marker(double cx, double cy, int glow) const;
    // The selection ring, w x h, open in the middle.
    void Ring(double w, double h) const;
    // An axis name with an arrow towards growing values; vertical labels read upwards.
    void AxisLabel(double w, double h, std::string_view name, bool vertical) const;
    // A help scroll arrow button, w x h.
    void HelpArrow(double w, double h, bool up) const;
    // The overload glow, w x h: bright in the middle, fading to nothing at the edge.
    void LampGlow(double w, double h) const;

private:
    void PersonPath(double cx, double cy) const;

    const ArtPainter& painter;
};
