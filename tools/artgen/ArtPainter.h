// Drawing helpers over one cairo context. Coordinates are window pixels (the 1x picture); the
// context's scale turns them into device pixels, so the 2x picture is the same drawing.
#pragma once

#include <string_view>

#include "FontSet.h"
#include "Palette.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_pattern cairo_pattern_t;

enum class Align { kLeft, kCentre, kRight };

class ArtPainter {
public:
    ArtPainter(cairo_t* cr, const FontSet& fonts, int scale);

    cairo_t* Cairo() const { return cr; }
    int Scale() const { return scale; }

    void SetColour(Rgb colour, double alpha = 1.0) const;
    void FillRect(double x, double y, double w, double h, Rgb colour, double alpha = 1.0) const;
    // A path only: the caller fills or strokes it.
    void RoundedRect(double x, double y, double w, double h, double radius) const;
    void FillRounded(double x, double y, double w, double h, double radius, Rgb colour, double alpha = 1.0) const;
    // Fills a rounded rectangle with a vertical gradient from top to bottom colour.
    void FillRoundedGradient(double x, double y, double w, double h, double radius, Rgb top, Rgb bottom) const;
    // A one-pixel line along whole pixels, crisp at every scale.
    void HLine(double x0, double x1, double y, Rgb colour, double alpha = 1.0) const;
    void VLine(double x, double y0, double y1, Rgb colour, double alpha = 1.0) const;
    void FillTriangle(double x0, double y0, double x1, double y1, double x2, double y2, Rgb colour) const;
    // Fills a disc with a pattern (a gradient the caller made), then destroys the pattern.
    void FillDisc(double cx, double cy, double radius, cairo_pattern_t* pattern) const;

    // Horizontal streaks of light and shade over a rectangle, one value per device pixel, so that
    // the 2x picture is as fine-grained as the 1x one. seed keeps every call reproducible.
    void Brush(double x, double y, double w, double h, double strength, unsigned seed) const;

    // Text width at the given size; tracking is extra space after every character.
    double TextWidth(FontStyle style, double size, std::string_view text, double tracking = 0.0) const;
    // Draws text on a baseline; x is its left edge, centre or right edge by align.
    void Text(FontStyle style, double size, double x, double baseline, std::string_view text, Align align,
              Rgb colour, double alpha = 1.0, double tracking = 0.0) const;
    // The baseline that centres capitals and lower case of the given size in a band of the given height.
    static double CentredBaseline(double top, double height, double size);

private:
    void SelectFont(FontStyle style, double size) const;

    cairo_t* cr;
    const FontSet& fonts;
    int scale;
};
