// Puts a cairo back buffer on an X11 window with plain PutImage requests (in bands under the
// server's request limit), in the pixel form the server wants for the screen's depth. Its requests
// are checked and their errors dropped, so a window the host has already destroyed costs nothing;
// and it leaves no server-side picture or shared memory behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;
typedef struct xcb_connection_t xcb_connection_t;

// How the server stores a pixel of the screen's depth.
struct X11PixelFormat {
    int bitsPerPixel = 32;  // 16, 24 or 32
    int scanlinePad = 32;   // rows are padded to this many bits
    bool msbFirst = false;  // byte order of a pixel
    uint32_t redMask = 0xff0000;
    uint32_t greenMask = 0x00ff00;
    uint32_t blueMask = 0x0000ff;

    // Any thread: bytes of one row of width pixels, padding included.
    size_t RowBytes(int width) const;
    // Any thread: width pixels of cairo's ARGB32 (native 32-bit words) in the server's form.
    void ConvertRow(const uint32_t* argb, int width, uint8_t* out) const;
    // Any thread: the server's form is cairo's own (0x00RRGGBB words, little-endian).
    bool IsCairoNative() const;
};

class X11ImageUpload {
public:
    // UI thread: for windows of the screen's root depth and visual (screenNumber of the connection).
    X11ImageUpload(xcb_connection_t* connection, int screenNumber);
    // UI thread: frees the graphics context.
    ~X11ImageUpload();
    X11ImageUpload(const X11ImageUpload&) = delete;
    X11ImageUpload& operator=(const X11ImageUpload&) = delete;

    // UI thread: false when the screen's depth has a form we cannot write (then Put does nothing).
    bool usable() const { return usableFormat; }
    const X11PixelFormat& format() const { return pixelFormat; }
    // UI thread: copies the rectangle (x, y, w, h) of image (ARGB32) to the same place in window.
    void Put(uint32_t window, cairo_surface_t* image, int x, int y, int w, int h);

private:
    xcb_connection_t* xcb;
    uint32_t gc = 0;
    uint8_t depth = 24;
    X11PixelFormat pixelFormat;
    bool usableFormat = false;
    size_t maxRequestBytes = 0;
    std::vector<uint8_t> band;
};
