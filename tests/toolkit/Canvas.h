// Drawing checked pixel by pixel: colours as cairo stores them (0xAARRGGBB, premultiplied, so opaque
// ones are plain) and a white image surface with a draw context over it.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "toolkit/CDrawContext.h"

constexpr uint32_t kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00,
                   kBlue = 0xFF0000FF;

inline int Red(uint32_t p) { return (p >> 16) & 0xFF; }
inline int Green(uint32_t p) { return (p >> 8) & 0xFF; }
inline void SetSource(cairo_t* cr, uint32_t c) {
    cairo_set_source_rgba(cr, Red(c) / 255.0, Green(c) / 255.0, (c & 0xFF) / 255.0, (c >> 24) / 255.0);
}

struct Canvas {
    // width x height view pixels at scale (the surface has scale times as many device pixels).
    Canvas(long width, long height, double scale = 1.0)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width * scale), int(height * scale))),
          context(surface, CRect(0, 0, width, height), scale) {
        std::memset(cairo_image_surface_get_data(surface), 0xFF,
                    cairo_image_surface_get_stride(surface) * cairo_image_surface_get_height(surface));
        cairo_surface_mark_dirty(surface);
    }
    ~Canvas() { cairo_surface_destroy(surface); }

    int width() const { return cairo_image_surface_get_width(surface); }
    int height() const { return cairo_image_surface_get_height(surface); }
    // A device pixel.
    uint32_t pixel(int x, int y) {
        cairo_surface_flush(surface);
        uint32_t value;
        std::memcpy(&value, cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + 4 * x, 4);
        return value;
    }
    long count(uint32_t colour) {
        long n = 0;
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x) n += pixel(x, y) == colour ? 1 : 0;
        return n;
    }
    std::vector<unsigned char> bytes() {
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        return {data, data + cairo_image_surface_get_stride(surface) * height()};
    }

    cairo_surface_t* surface;
    CDrawContext context;
};
