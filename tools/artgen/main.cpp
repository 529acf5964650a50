// murmurhall-artgen: draws the window's pictures, resources/bmpNNNNN.png and bmpNNNNN@2x.png.
// Run it by hand after changing the art and commit its output; nothing else runs it.
//
//   ninja -C build murmurhall-artgen && build/murmurhall-artgen resources/
//
// With --preview DIR it also writes contact sheets into DIR (not shipped): the assembled window
// at 1x and 2x, the help screen, and every picture on a checkerboard.
//
// The output is the same on every run: no clock, no random source, and the fonts come from fixed files.
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "ArtCatalog.h"
#include "ArtPainter.h"
#include "FontSet.h"
#include "PreviewSheet.h"

namespace {

constexpr const char* kRegularFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

bool WritePicture(const ArtResource& resource, int scale, const FontSet& fonts, const std::string& dir) {
    const int width = static_cast<int>(std::lround(resource.width * scale));
    const int height = static_cast<int>(std::lround(resource.height * scale));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    resource.draw(ArtPainter(cr, fonts, scale));
    const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    char name[32];
    std::snprintf(name, sizeof name, scale == 1 ? "/bmp%05d.png" : "/bmp%05d@%dx.png", resource.number, scale);
    const std::string path = dir + name;
    const bool written = drawn && cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!written) std::fprintf(stderr, "cannot draw or write %s\n", path.c_str());
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--preview") == 0)) {
        std::fprintf(stderr, "usage: %s <output folder, normally resources> [--preview <sheet folder>]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    FontSet fonts;
    std::string error;
    if (!fonts.Load(kRegularFont, kBoldFont, error)) {
        std::fprintf(stderr, "%s (install fonts-dejavu-core)\n", error.c_str());
        return 1;
    }
    for (const ArtResource& resource : ArtCatalog().Resources())
        for (int scale : {1, 2})
            if (!WritePicture(resource, scale, fonts, dir)) return 1;
    if (argc == 4) {
        const PreviewSheet sheet(fonts, dir, dir + "/Murmurhall Help.txt");
        if (!sheet.Write(argv[3], error)) {
            std::fprintf(stderr, "preview: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
