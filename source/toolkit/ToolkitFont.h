// The one face all text of the toolkit is drawn with: DejaVu Sans (bold for kBoldFace) read straight
// from its file with FreeType, unhinted, so text widths are the same on every machine whatever its
// fontconfig says.
#pragma once

#include <string>

typedef struct _cairo_font_face cairo_font_face_t;
typedef struct _cairo_font_options cairo_font_options_t;

class ToolkitFont {
public:
    // UI thread: the face for a CTxtFace style (only kBoldFace changes it); never null.
    static cairo_font_face_t* Face(long style);
    // UI thread: unhinted metrics and outlines, greyscale smoothing; never null.
    static const cairo_font_options_t* Options();
    // UI thread: the advance of utf8 text at a size of pixelSize pixels, unrounded.
    static double Advance(const std::string& utf8, double pixelSize, long style);
    // UI thread: ascent and descent (both positive) at pixelSize, for placing a baseline.
    static void VerticalMetrics(double pixelSize, long style, double* ascent, double* descent);
    // Any thread: 8-bit text as UTF-8. Valid UTF-8 stays; otherwise each byte is a Latin-1
    // character. Control bytes become spaces (they have no glyph worth showing).
    static std::string ToUtf8(const char* text);
};
