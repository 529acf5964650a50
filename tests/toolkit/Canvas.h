// A white image surface with a draw context over it, for checking what drawing operations put where.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "toolkit/CDrawContext.h"

struct Canvas {
    // width x height view pixels at scale (the surface has scale times as many device pixels).
    Canvas(long width, long height, double scale = 1.0)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width * scale), int(height * scale))),
          context(surface, CRect(0, 0, width, height), scale) {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    ~Canvas() { cairo_surface_destroy(surface); }

    int deviceWidth() const { return cairo_image_surface_get_width(surface); }
    int deviceHeight() const { return cairo_image_surface_get_height(surface); }

    // 0xAARRGGBB of a device pixel (premultiplied, as cairo stores it; opaque pixels are plain).
    uint32_t pixel(int x, int y) {
        cairo_surface_flush(surface);
        const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        uint32_t value;
        std::memcpy(&value, row + 4 * x, 4);
        return value;
    }
    static int red(uint32_t p) { return (p >> 16) & 0xFF; }
    static int green(uint32_t p) { return (p >> 8) & 0xFF; }
    static int blue(uint32_t p) { return p & 0xFF; }

    // Device pixels for which test holds.
    long count(const std::function<bool(uint32_t)>& test) {
        long n = 0;
        for (int y = 0; y < deviceHeight(); ++y)
            for (int x = 0; x < deviceWidth(); ++x)
                if (test(pixel(x, y))) ++n;
        return n;
    }
    long countColour(uint32_t colour) {
        return count([colour](uint32_t p) { return p == colour; });
    }
    std::vector<unsigned char> bytes() {
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        return {data, data + cairo_image_surface_get_stride(surface) * deviceHeight()};
    }

    cairo_surface_t* surface;
    CDrawContext context;
};

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
