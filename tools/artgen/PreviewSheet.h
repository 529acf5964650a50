// Contact sheets for judging the art by eye (not shipped): the window as the editor assembles it,
// at 1x (enlarged without smoothing) and at 2x, the help screen, and every picture on a checkerboard.
#pragma once

#include <string>

#include "FontSet.h"

typedef struct _cairo_surface cairo_surface_t;

class PreviewSheet {
public:
    PreviewSheet(const FontSet& fonts, std::string resourceDir, std::string helpPath);

    // Writes the sheets into outDir; false with the reason when a picture is missing.
    bool Write(const std::string& outDir, std::string& error) const;

private:
    bool Window(const std::string& path, int scale, bool help, std::string& error) const;
    bool Strips(const std::string& path, std::string& error) const;
    cairo_surface_t* Load(int number, int scale) const;

    const FontSet& fonts;
    std::string resourceDir;
    std::string helpPath;
};
