#include "toolkit/CBitmap.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Bundle.h"
#include "platform/EmbeddedResources.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/PaintSurface.h"

namespace {

// cairo's own limit for image surfaces.
constexpr CCoord kMaxSide = 32767;

cairo_surface_t* Checked(cairo_surface_t* decoded) {
    if (cairo_surface_status(decoded) == CAIRO_STATUS_SUCCESS && cairo_image_surface_get_width(decoded) > 0 &&
        cairo_image_surface_get_height(decoded) > 0)
        return decoded;
    cairo_surface_destroy(decoded);
    return nullptr;
}

struct MemoryReader {
    const unsigned char* data;
    size_t size;
    size_t position;
};

cairo_status_t ReadFromMemory(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<MemoryReader*>(closure);
    if (length > reader->size - reader->position) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

// The first of the bundle's files that decodes, else the compiled-in copy. Only PNG can be decoded;
// a file of another type is tried anyway (it may be a PNG by another name) and otherwise passed over,
// so a broken file in the bundle falls back to the picture built into the plug-in.
cairo_surface_t* LoadPicture(const std::string& name) {
    for (const char* type : {"png", "bmp", "jpg", "pict"}) {
        const std::string path = Bundle::Resource(name.c_str(), type);
        if (path.empty()) continue;
        if (cairo_surface_t* decoded = Checked(cairo_image_surface_create_from_png(path.c_str()))) return decoded;
    }
    const EmbeddedResource embedded = FindEmbeddedResource(name.c_str(), "png");
    if (embedded.data == nullptr || embedded.size == 0) return nullptr;
    MemoryReader reader{embedded.data, embedded.size, 0};
    return Checked(cairo_image_surface_create_from_png_stream(ReadFromMemory, &reader));
}

}  // namespace

CBitmap::CBitmap(long resourceID) : resourceID(resourceID) {
    char name[32];
    std::snprintf(name, sizeof name, "bmp%05ld", resourceID);
    surface = LoadPicture(name);
    surface2x = LoadPicture(std::string(name) + "@2x");
    if (surface == nullptr && surface2x != nullptr) {
        // Only the dense picture exists: it serves every scale, at half its pixel size.
        std::swap(surface, surface2x);
        width = (cairo_image_surface_get_width(surface) + 1) / 2;
        height = (cairo_image_surface_get_height(surface) + 1) / 2;
    } else if (surface != nullptr) {
        width = cairo_image_surface_get_width(surface);
        height = cairo_image_surface_get_height(surface);
    }
}

CBitmap::CBitmap(CCoord newWidth, CCoord newHeight) {
    width = std::clamp<CCoord>(newWidth, 0, kMaxSide);
    height = std::clamp<CCoord>(newHeight, 0, kMaxSide);
    if (width > 0 && height > 0)
        surface = Checked(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height)));
    if (surface == nullptr) width = height = 0;
}

CBitmap::~CBitmap() {
    if (surface != nullptr) cairo_surface_destroy(surface);
    if (surface2x != nullptr) cairo_surface_destroy(surface2x);
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) {
    drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, unsigned char alpha) {
    if (context == nullptr || surface == nullptr || width <= 0 || height <= 0) return;
    cairo_surface_t* picture = surface2x != nullptr && context->getScaleFactor() >= 1.5 ? surface2x : surface;
    const double perViewX = double(cairo_image_surface_get_width(picture)) / double(width);
    const double perViewY = double(cairo_image_surface_get_height(picture)) / double(height);
    PaintSurface(context, picture, perViewX, perViewY, rect, offset, alpha / 255.0);
}
