// Pixels in the server's form for screens other than the usual 24-bit little-endian one.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/x11/X11ImageUpload.h"

namespace {

TEST(X11PixelFormat, ConvertsCairoPixelsToEveryServerForm) {
    const std::vector<uint32_t> row = {0xff102030, 0x80ff8000, 0xffffffff};
    struct Case {
        const char* what;
        X11PixelFormat format;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"32 bpp, LSB first", {32, 32, false, 0xff0000, 0xff00, 0xff},
         {0x30, 0x20, 0x10, 0x00, 0x00, 0x80, 0xff, 0x00, 0xff, 0xff, 0xff, 0x00}},
        {"32 bpp, MSB first", {32, 32, true, 0xff0000, 0xff00, 0xff},
         {0x00, 0x10, 0x20, 0x30, 0x00, 0xff, 0x80, 0x00, 0x00, 0xff, 0xff, 0xff}},
        {"32 bpp, BGR masks", {32, 32, false, 0xff, 0xff00, 0xff0000},
         {0x10, 0x20, 0x30, 0x00, 0xff, 0x80, 0x00, 0x00, 0xff, 0xff, 0xff, 0x00}},
        // 5-6-5: r 0x10 -> 2, g 0x20 -> 8, b 0x30 -> 6: 0x1106
        {"16 bpp 565, LSB first", {16, 32, false, 0xf800, 0x07e0, 0x001f}, {0x06, 0x11, 0x00, 0xfc, 0xff, 0xff}},
        {"16 bpp 565, MSB first", {16, 32, true, 0xf800, 0x07e0, 0x001f}, {0x11, 0x06, 0xfc, 0x00, 0xff, 0xff}},
        {"24 bpp, LSB first", {24, 32, false, 0xff0000, 0xff00, 0xff},
         {0x30, 0x20, 0x10, 0x00, 0x80, 0xff, 0xff, 0xff, 0xff}},
        // 10 bits a channel: the top bits repeated below (0x80 -> 0x202, 0xff -> 0x3ff).
        {"30-bit colour", {32, 32, false, 0x3ff00000, 0x000ffc00, 0x000003ff},
         {0xc0, 0x00, 0x02, 0x04, 0x00, 0x08, 0xf8, 0x3f, 0xff, 0xff, 0xff, 0x3f}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(c.format.RowBytes(3), 0xee);
        c.format.ConvertRow(row.data(), 3, out.data());
        out.resize(c.bytes.size());
        EXPECT_EQ(out, c.bytes) << c.what;
    }
}

TEST(X11PixelFormat, RowsArePaddedAndOnlyTheUsualFormIsCopiedAsItIs) {
    EXPECT_EQ((X11PixelFormat{16, 32, false, 0xf800, 0x07e0, 0x001f}.RowBytes(3)), 8u);  // 6 bytes padded to 32 bits
    const X11PixelFormat packed24{24, 32, false, 0xff0000, 0xff00, 0xff};
    EXPECT_EQ(packed24.RowBytes(5), 16u);
    EXPECT_TRUE(X11PixelFormat{}.IsCairoNative());
    EXPECT_FALSE(packed24.IsCairoNative());
    EXPECT_FALSE((X11PixelFormat{32, 32, true, 0xff0000, 0xff00, 0xff}.IsCairoNative()));
}

}  // namespace
