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

const CRect kLampRect(10, 10, 26, 26);

// A white, fully opaque 16 × 16 picture: blended on black, a pixel's level is the alpha used.
CBitmap* WhiteBitmap() {
    auto* bitmap = new CBitmap(16, 16);
    cairo_surface_t* surface = bitmap->getSurface();
    if (surface != nullptr) {
        cairo_t* cr = cairo_create(surface);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, 1, 1, 1, 1);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_mark_dirty(surface);
    }
    return bitmap;
}

class GlowLampTest : public ::testing::Test {
protected:
    void SetUp() override {
        bitmap = WhiteBitmap();
        ASSERT_NE(bitmap->getSurface(), nullptr);
        lamp = new CGlowLamp(kLampRect, nullptr, bitmap);
    }
    void TearDown() override {
        lamp->forget();
        bitmap->forget();
    }

    // Draws the lamp once on a black picture and returns the green level in its middle.
    int DrawOnce() {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40, 40);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        auto* context = new CDrawContext(surface, CRect(0, 0, 40, 40));
        lamp->draw(context);
        context->forget();
        cairo_surface_flush(surface);
        uint32_t pixel;
        std::memcpy(&pixel, cairo_image_surface_get_data(surface) + 18 * cairo_image_surface_get_stride(surface) + 4 * 18, 4);
        cairo_surface_destroy(surface);
        return (pixel >> 8) & 0xff;
    }
    // The levels of count draws.
    std::vector<int> Draws(int count) {
        std::vector<int> levels;
        for (int i = 0; i < count; ++i) levels.push_back(DrawOnce());
        return levels;
    }
    static void ExpectLevels(const std::vector<int>& got, const std::vector<int>& want) {
        ASSERT_EQ(got.size(), want.size());
        // Blending rounds by at most one step of 255.
        for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1) << "draw " << i;
    }

    CBitmap* bitmap = nullptr;
    CGlowLamp* lamp = nullptr;
};

TEST_F(GlowLampTest, DarkUntilLitThenFadesOverTenDraws) {
    ExpectLevels(Draws(2), {0, 0});
    lamp->setValue(1.f);
    ExpectLevels(Draws(12), {255, 230, 204, 179, 153, 127, 102, 76, 51, 25, 0, 0});
    EXPECT_LE(lamp->getValue(), 0.f);
}

TEST_F(GlowLampTest, RelightingRestartsAtFullAndRepeatedOverloadsDoNotAdd) {
    lamp->setValue(1.f);
    ExpectLevels(Draws(3), {255, 230, 204});
    lamp->setValue(1.f);
    lamp->setValue(1.f);  // a second overload before the next draw
    ExpectLevels(Draws(3), {255, 230, 204});
}

TEST_F(GlowLampTest, GlowIsTakenModulo256AndBadValuesStayDark) {
    lamp->setValue(1.1f);  // trunc(1.1 × 255.9) = 281, which wraps to 25
    ExpectLevels(Draws(2), {25, 255});
    lamp->setValue(std::nanf(""));
    ExpectLevels(Draws(1), {0});
    lamp->setValue(-3.f);
    ExpectLevels(Draws(1), {0});
    EXPECT_FLOAT_EQ(lamp->getValue(), -3.f);  // a dark lamp does not keep fading
    lamp->setValue(1e30f);
    DrawOnce();  // no overflow on the way to an alpha
}

TEST_F(GlowLampTest, DrawLeavesTheLampCleanAndCopiesKeepTheGlow) {
    lamp->setValue(0.5f);
    EXPECT_TRUE(lamp->isDirty());
    DrawOnce();
    EXPECT_FALSE(lamp->isDirty());
    EXPECT_EQ(lamp->getTag(), 0);

    auto* copy = static_cast<CGlowLamp*>(lamp->newCopy());
    ASSERT_NE(copy, nullptr);
    EXPECT_FLOAT_EQ(copy->getValue(), lamp->getValue());
    EXPECT_EQ(copy->getBackground(), bitmap);
    EXPECT_TRUE(copy->isTypeOf("CGlowLamp"));
    EXPECT_TRUE(copy->isTypeOf("CControl"));
    EXPECT_FALSE(copy->isTypeOf("PanelCrowd"));
    copy->forget();
}

}  // namespace
