#include "toolkit/x11/X11ImageUpload.h"

#include <cairo.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr size_t kPutImageHeaderBytes = 24;

// An 8-bit channel in a mask of any width and place.
uint32_t Place(uint32_t channel, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t value = bits <= 8 ? channel >> (8 - bits) : (channel << (bits - 8)) | (channel >> (16 - bits));
    return (value << shift) & mask;
}

}  // namespace

size_t X11PixelFormat::RowBytes(int width) const {
    const size_t bits = static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel);
    const size_t pad = static_cast<size_t>(std::max(scanlinePad, 8));
    return (bits + pad - 1) / pad * pad / 8;
}

bool X11PixelFormat::IsCairoNative() const {
    return bitsPerPixel == 32 && !msbFirst && std::endian::native == std::endian::little && redMask == 0xff0000 &&
           greenMask == 0x00ff00 && blueMask == 0x0000ff;
}

void X11PixelFormat::ConvertRow(const uint32_t* argb, int width, uint8_t* out) const {
    const int bytes = bitsPerPixel / 8;
    for (int i = 0; i < width; ++i) {
        const uint32_t p = argb[i];
        const uint32_t pixel = Place((p >> 16) & 0xff, redMask) | Place((p >> 8) & 0xff, greenMask) |
                               Place(p & 0xff, blueMask);
        for (int b = 0; b < bytes; ++b) {
            const int shift = 8 * (msbFirst ? bytes - 1 - b : b);
            out[b] = static_cast<uint8_t>(pixel >> shift);
        }
        out += bytes;
    }
}

X11ImageUpload::X11ImageUpload(xcb_connection_t* connection, int screenNumber) : xcb(connection) {
    const xcb_setup_t* setup = xcb_get_setup(xcb);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) return;
    const xcb_screen_t* screen = screens.data;
    depth = screen->root_depth;

    pixelFormat.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    bool haveFormat = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == depth) {
            pixelFormat.bitsPerPixel = it.data->bits_per_pixel;
            pixelFormat.scanlinePad = it.data->scanline_pad;
            haveFormat = true;
        }
    }
    bool haveVisual = false;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem > 0 && !haveVisual; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v)) {
            if (v.data->visual_id != screen->root_visual) continue;
            pixelFormat.redMask = v.data->red_mask;
            pixelFormat.greenMask = v.data->green_mask;
            pixelFormat.blueMask = v.data->blue_mask;
            haveVisual = v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR || v.data->_class == XCB_VISUAL_CLASS_DIRECT_COLOR;
            break;
        }
    }
    const int bpp = pixelFormat.bitsPerPixel;
    usableFormat = haveFormat && haveVisual && (bpp == 16 || bpp == 24 || bpp == 32);
    if (!usableFormat) return;

    gc = xcb_generate_id(xcb);
    const uint32_t noExposures = 0;
    xcb_create_gc(xcb, gc, screen->root, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    maxRequestBytes = static_cast<size_t>(xcb_get_maximum_request_length(xcb)) * 4;
}

X11ImageUpload::~X11ImageUpload() {
    if (gc != 0) xcb_free_gc(xcb, gc);
    xcb_flush(xcb);
}

void X11ImageUpload::Put(uint32_t window, cairo_surface_t* image, int x, int y, int w, int h) {
    if (!usableFormat || image == nullptr || cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE) return;
    cairo_surface_flush(image);
    const int imageWidth = cairo_image_surface_get_width(image);
    const int imageHeight = cairo_image_surface_get_height(image);
    x = std::max(x, 0);
    y = std::max(y, 0);
    w = std::min(w, imageWidth - x);
    h = std::min(h, imageHeight - y);
    if (w <= 0 || h <= 0) return;
    const unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);

    const size_t rowBytes = pixelFormat.RowBytes(w);
    const int rowsPerBand =
        static_cast<int>(std::max<size_t>(1, (maxRequestBytes - kPutImageHeaderBytes) / std::max<size_t>(rowBytes, 1)));
    for (int top = y; top < y + h; top += rowsPerBand) {
        const int rows = std::min(rowsPerBand, y + h - top);
        band.assign(rowBytes * static_cast<size_t>(rows), 0);
        for (int r = 0; r < rows; ++r) {
            const auto* source = reinterpret_cast<const uint32_t*>(pixels + static_cast<ptrdiff_t>(top + r) * stride) + x;
            uint8_t* target = band.data() + rowBytes * static_cast<size_t>(r);
            if (pixelFormat.IsCairoNative()) {
                std::memcpy(target, source, static_cast<size_t>(w) * 4);
            } else {
                pixelFormat.ConvertRow(source, w, target);
            }
        }
        // Checked, and the answer thrown away: an error (the window is gone) must not reach Xlib's
        // handler, which would end the process.
        const xcb_void_cookie_t cookie =
            xcb_put_image_checked(xcb, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, static_cast<uint16_t>(w),
                                  static_cast<uint16_t>(rows), static_cast<int16_t>(x), static_cast<int16_t>(top), 0,
                                  depth, static_cast<uint32_t>(band.size()), band.data());
        xcb_discard_reply(xcb, cookie.sequence);
    }
    xcb_flush(xcb);
}
