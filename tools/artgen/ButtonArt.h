// Kick buttons and on/off switches: opaque faces on the card colour, two frames stacked downwards.
#pragma once

#include <string_view>

#include "ArtPainter.h"

enum class Arrow { kLeft, kRight, kUp, kDown };

class ButtonArt {
public:
    explicit ButtonArt(const ArtPainter& painter);

    // Frame 0 up, frame 1 pressed, each w x h, with an arrow in the middle.
    void ArrowStrip(double w, double h, Arrow arrow) const;
    // Frame 0 raised with upText, frame 1 sunk with downText in the warm accent: a pressed kick
    // button (same text twice) or a switch whose frames name its two states.
    void LetteredStrip(double w, double h, std::string_view upText, std::string_view downText) const;
    // An on/off switch with a lamp: dark and "off", then lit and "on".
    void LampStrip(double w, double h) const;

    // One face with its top-left corner at (x, y); pressed faces are sunk and darker.
    void Face(double x, double y, double w, double h, bool pressed) const;

private:
    void ArrowGlyph(double cx, double cy, double size, Arrow arrow, Rgb colour) const;
    void Lettering(double x, double y, double w, double h, std::string_view text, Rgb colour, bool pressed) const;

    const ArtPainter& painter;
};
