// A knob strip: 65 opaque 36 x 36 frames stacked downwards, from the minimum at about seven
// o'clock to the maximum at about five o'clock. The accent colour tells the strips apart.
#pragma once

#include "ArtPainter.h"

class KnobArt {
public:
    static constexpr int kFrames = 65;
    static constexpr double kSize = 36;

    KnobArt(Rgb accent, Rgb accentBright);

    // The whole strip, frame 0 at the top.
    void DrawStrip(const ArtPainter& painter) const;
    // One knob at value 0..1 with its top-left corner at (x, y).
    void DrawFrame(const ArtPainter& painter, double x, double y, double value) const;

private:
    Rgb accent;
    Rgb accentBright;
};
