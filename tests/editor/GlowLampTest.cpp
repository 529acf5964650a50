// The overload lamp: the glow it blends on each draw after being lit, and its fade to dark.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "editor/CGlowLamp.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"

namespace {

class GlowLampTest : public ::testing::Test {
protected:
    // A white opaque picture: blended on black, a pixel's level is the alpha used.
    void SetUp() override {
        cairo_t* cr = cairo_create(bitmap->getSurface());
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    void TearDown() override {
        lamp->forget();
        bitmap->forget();
    }
    // The green level in the lamp's middle after a draw on a blank picture.
    int Draw() {
        cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40, 40);
        auto* context = new CDrawContext(image, CRect(0, 0, 40, 40));
        lamp->draw(context);
        context->forget();
        cairo_surface_flush(image);
        uint32_t pixel;  // at (18, 18)
        std::memcpy(&pixel, cairo_image_surface_get_data(image) + 18 * cairo_image_surface_get_stride(image) + 72, 4);
        cairo_surface_destroy(image);
        return (pixel >> 8) & 0xff;
    }
    // Blending rounds by at most one step of 255.
    void ExpectDraws(const std::vector<int>& want) {
        for (int i = 0; i < static_cast<int>(want.size()); ++i) EXPECT_NEAR(Draw(), want[i], 1) << "draw " << i;
    }

    CBitmap* bitmap = new CBitmap(16, 16);
    CGlowLamp* lamp = new CGlowLamp(CRect(10, 10, 26, 26), nullptr, bitmap);
};

TEST_F(GlowLampTest, FadesOverTenDrawsOverloadsDoNotAddTheGlowWrapsAndBadValuesStayDark) {
    ExpectDraws({0, 0});
    lamp->setValue(1.f);
    ExpectDraws({255, 230, 204, 179, 153, 127, 102, 76, 51, 25, 0, 0});
    lamp->setValue(1.f);
    lamp->setValue(1.f);  // a second overload before the next draw
    ExpectDraws({255, 230});
    lamp->setValue(1.1f);  // trunc(1.1 × 255.9) = 281, which wraps to 25
    ExpectDraws({25, 255});
    lamp->setValue(std::nanf(""));
    ExpectDraws({0});
    lamp->setValue(-3.f);
    ExpectDraws({0});
    EXPECT_FLOAT_EQ(lamp->getValue(), -3.f);  // a dark lamp does not keep fading
    lamp->setValue(1e30f);
    Draw();  // no overflow on the way to an alpha (UBSan watches)
}

}  // namespace
