#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "Canvas.h"
#include "platform/Bundle.h"
#include "platform/EmbeddedResources.h"
#include "toolkit/CBitmap.h"

namespace {

namespace fs = std::filesystem;

using PixelColour = std::function<uint32_t(int x, int y)>;

// Writes a width x height PNG whose pixel (x, y) is colour(x, y) as 0xAARRGGBB (not premultiplied).
void WritePng(const fs::path& path, int width, int height, const PixelColour& colour) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                                  (c >> 24) / 255.0);
            cairo_rectangle(cr, x, y, 1, 1);
            cairo_fill(cr);
        }
    cairo_destroy(cr);
    ASSERT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
}

PixelColour Solid(uint32_t c) {
    return [c](int, int) { return c; };
}

// A bundle folder of our own, the process-wide bundle pointing at it for the test's duration.
class BitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/mh-bitmap-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        bundle = root / "Murmurhall.vst";
        resources = bundle / "Contents" / "Resources";
        fs::create_directories(resources);
        fs::create_directories(bundle / "Contents" / "x86_64-linux");
        ASSERT_EQ(Bundle::References(), 0) << "another test left the bundle acquired";
        Bundle::AcquireFor((bundle / "Contents" / "x86_64-linux" / "Murmurhall.so").string());
        ASSERT_EQ(Bundle::Path(), bundle.string());
    }
    void TearDown() override {
        Bundle::Release();
        SetEmbeddedResourcesEnabledForTesting(true);
        fs::remove_all(root);
    }
    // The art in the source tree that is compiled into the plug-in, when it exists yet.
    static fs::path ShippedArt(const char* file) { return fs::path(MH_SOURCE_DIR) / "resources" / file; }

    fs::path root, bundle, resources;
};

TEST_F(BitmapTest, BundlePictureHasItsSizeAndPixels) {
    // Left half red, right half blue.
    WritePng(resources / "bmp00999.png", 6, 4, [](int x, int) { return x < 3 ? kRed : kBlue; });
    CBitmap bitmap(999);
    ASSERT_TRUE(bitmap.isLoaded());
    EXPECT_EQ(bitmap.getResourceID(), 999);
    EXPECT_EQ(bitmap.getWidth(), 6);
    EXPECT_EQ(bitmap.getHeight(), 4);

    Canvas canvas(20, 20);
    bitmap.draw(&canvas.context, CRect(2, 3, 8, 7));
    EXPECT_EQ(canvas.countColour(kRed), 12);
    EXPECT_EQ(canvas.countColour(kBlue), 12);
    EXPECT_EQ(canvas.pixel(2, 3), kRed);
    EXPECT_EQ(canvas.pixel(7, 6), kBlue);
    EXPECT_EQ(canvas.pixel(8, 3), kWhite);
    EXPECT_EQ(canvas.pixel(1, 3), kWhite);
}

TEST_F(BitmapTest, SourceOffsetPicksThePartAndRectClips) {
    WritePng(resources / "bmp00999.png", 6, 4, [](int x, int) { return x < 3 ? kRed : kBlue; });
    CBitmap bitmap(999);
    Canvas canvas(20, 20);
    // The right half, from picture x = 3, into a rectangle as wide as that half.
    bitmap.draw(&canvas.context, CRect(10, 10, 13, 14), CPoint(3, 0));
    EXPECT_EQ(canvas.countColour(kBlue), 12);
    EXPECT_EQ(canvas.countColour(kRed), 0);
    // A rectangle smaller than the picture shows only its top-left part.
    bitmap.draw(&canvas.context, CRect(0, 0, 2, 2));
    EXPECT_EQ(canvas.countColour(kRed), 4);
    EXPECT_EQ(canvas.pixel(2, 0), kWhite);
    // A rectangle larger than the rest of the picture leaves the remainder alone.
    bitmap.draw(&canvas.context, CRect(0, 15, 10, 20), CPoint(4, 2));
    EXPECT_EQ(canvas.pixel(0, 15), kBlue);
    EXPECT_EQ(canvas.pixel(1, 16), kBlue);
    EXPECT_EQ(canvas.pixel(2, 15), kWhite);
    EXPECT_EQ(canvas.pixel(0, 17), kWhite);
}

TEST_F(BitmapTest, ContextClipAndOffsetApply) {
    WritePng(resources / "bmp00999.png", 4, 4, Solid(kRed));
    CBitmap bitmap(999);
    Canvas canvas(20, 20);
    canvas.context.setOffset(CPoint(10, 10));
    canvas.context.setClipRect(CRect(0, 0, 2, 4));
    bitmap.draw(&canvas.context, CRect(0, 0, 4, 4));
    EXPECT_EQ(canvas.countColour(kRed), 8);
    EXPECT_EQ(canvas.pixel(10, 10), kRed);
    EXPECT_EQ(canvas.pixel(12, 10), kWhite);
}

TEST_F(BitmapTest, MissingPictureIsEmptyAndDrawsNothing) {
    SetEmbeddedResourcesEnabledForTesting(false);
    CBitmap bitmap(998);
    EXPECT_FALSE(bitmap.isLoaded());
    EXPECT_EQ(bitmap.getWidth(), 0);
    EXPECT_EQ(bitmap.getHeight(), 0);
    Canvas canvas(10, 10);
    const auto before = canvas.bytes();
    bitmap.draw(&canvas.context, CRect(0, 0, 10, 10));
    bitmap.drawAlphaBlend(&canvas.context, CRect(0, 0, 10, 10), CPoint(0, 0), 255);
    bitmap.draw(nullptr, CRect(0, 0, 10, 10));
    EXPECT_EQ(canvas.bytes(), before);
}

TEST_F(BitmapTest, BrokenOrUndecodableFilesAreSkipped) {
    std::ofstream(resources / "bmp00997.png") << "not a picture";
    std::ofstream(resources / "bmp00997.bmp") << "BM not one either";
    EXPECT_FALSE(CBitmap(997).isLoaded());
    // An empty file and a truncated PNG are refused as well.
    std::ofstream(resources / "bmp00996.png").close();
    EXPECT_FALSE(CBitmap(996).isLoaded());
    WritePng(resources / "bmp00995.png", 8, 8, Solid(kRed));
    fs::resize_file(resources / "bmp00995.png", 40);
    EXPECT_FALSE(CBitmap(995).isLoaded());
}

TEST_F(BitmapTest, TypesAreTriedInOrder) {
    WritePng(resources / "bmp00994.png", 2, 2, Solid(kRed));
    WritePng(resources / "bmp00994.bmp", 3, 3, Solid(kBlue));
    EXPECT_EQ(CBitmap(994).getWidth(), 2);
    // Without a .png the next type is read; a PNG by another name still decodes.
    fs::remove(resources / "bmp00994.png");
    EXPECT_EQ(CBitmap(994).getWidth(), 3);
}

TEST_F(BitmapTest, AlphaBlendMixesHalfWay) {
    WritePng(resources / "bmp00999.png", 4, 4, Solid(kRed));
    CBitmap bitmap(999);
    Canvas canvas(12, 4);
    bitmap.drawAlphaBlend(&canvas.context, CRect(0, 0, 4, 4), CPoint(0, 0), 128);
    bitmap.drawAlphaBlend(&canvas.context, CRect(4, 0, 8, 4), CPoint(0, 0), 255);
    bitmap.drawAlphaBlend(&canvas.context, CRect(8, 0, 12, 4), CPoint(0, 0), 0);
    const uint32_t half = canvas.pixel(1, 1);
    EXPECT_EQ(Canvas::red(half), 255);
    EXPECT_NEAR(Canvas::green(half), 127, 1);
    EXPECT_NEAR(Canvas::blue(half), 127, 1);
    EXPECT_EQ(canvas.pixel(5, 1), kRed);
    EXPECT_EQ(canvas.pixel(9, 1), kWhite);
}

TEST_F(BitmapTest, PicturesOwnTransparencyIsKept) {
    // Red at half opacity, left column fully transparent.
    WritePng(resources / "bmp00999.png", 4, 4, [](int x, int) { return x == 0 ? 0x00000000u : 0x80FF0000u; });
    CBitmap bitmap(999);
    Canvas canvas(4, 4);
    bitmap.draw(&canvas.context, CRect(0, 0, 4, 4));
    EXPECT_EQ(canvas.pixel(0, 0), kWhite);
    EXPECT_NEAR(Canvas::green(canvas.pixel(2, 2)), 127, 2);
    EXPECT_EQ(Canvas::red(canvas.pixel(2, 2)), 255);
}

TEST_F(BitmapTest, DensePictureServesScaleTwoAndReportsTheSmallSize) {
    WritePng(resources / "bmp00999.png", 4, 3, Solid(kRed));
    WritePng(resources / "bmp00999@2x.png", 8, 6, Solid(kBlue));
    CBitmap bitmap(999);
    EXPECT_EQ(bitmap.getWidth(), 4);
    EXPECT_EQ(bitmap.getHeight(), 3);

    Canvas plain(10, 10);
    bitmap.draw(&plain.context, CRect(0, 0, 4, 3));
    EXPECT_EQ(plain.countColour(kRed), 12);

    Canvas dense(10, 10, 2.0);
    bitmap.draw(&dense.context, CRect(1, 1, 5, 4));
    EXPECT_EQ(dense.countColour(kBlue), 48);
    EXPECT_EQ(dense.pixel(2, 2), kBlue);
    EXPECT_EQ(dense.pixel(9, 7), kBlue);
    EXPECT_EQ(dense.pixel(10, 7), kWhite);
}

TEST_F(BitmapTest, OnlyADensePictureStillDrawsAtEveryScale) {
    WritePng(resources / "bmp00999@2x.png", 8, 6, Solid(kBlue));
    CBitmap bitmap(999);
    ASSERT_TRUE(bitmap.isLoaded());
    EXPECT_EQ(bitmap.getWidth(), 4);
    EXPECT_EQ(bitmap.getHeight(), 3);
    Canvas plain(10, 10);
    bitmap.draw(&plain.context, CRect(0, 0, 10, 10));
    EXPECT_EQ(plain.countColour(kBlue), 12);
}

TEST_F(BitmapTest, PlainPictureOnADenseScreenIsPixelDoubled) {
    WritePng(resources / "bmp00999.png", 2, 1, [](int x, int) { return x == 0 ? kRed : kBlue; });
    CBitmap bitmap(999);
    Canvas dense(4, 4, 2.0);
    bitmap.draw(&dense.context, CRect(0, 0, 2, 1));
    EXPECT_EQ(dense.countColour(kRed), 4);
    EXPECT_EQ(dense.countColour(kBlue), 4);
    EXPECT_EQ(dense.pixel(1, 1), kRed);
    EXPECT_EQ(dense.pixel(2, 0), kBlue);
}

TEST_F(BitmapTest, BundleFileWinsOverTheCompiledInCopy) {
    if (!fs::exists(ShippedArt("bmp00200.png"))) GTEST_SKIP() << "resources/bmp00200.png is not drawn yet";
    WritePng(resources / "bmp00200.png", 3, 3, Solid(kGreen));
    CBitmap bitmap(200);
    EXPECT_EQ(bitmap.getWidth(), 3);
    EXPECT_EQ(bitmap.getHeight(), 3);
    // A broken file in the bundle falls back to the compiled-in picture.
    std::ofstream(resources / "bmp00200.png") << "broken";
    CBitmap fallback(200);
    EXPECT_TRUE(fallback.isLoaded());
    EXPECT_GT(fallback.getWidth(), 3);
}

TEST_F(BitmapTest, CompiledInCopyServesWithoutABundle) {
    if (!fs::exists(ShippedArt("bmp00200.png"))) GTEST_SKIP() << "resources/bmp00200.png is not drawn yet";
    Bundle::Release();
    ASSERT_EQ(Bundle::Path(), "");
    cairo_surface_t* shipped = cairo_image_surface_create_from_png(ShippedArt("bmp00200.png").c_str());
    ASSERT_EQ(cairo_surface_status(shipped), CAIRO_STATUS_SUCCESS);
    const int width = cairo_image_surface_get_width(shipped);
    const int height = cairo_image_surface_get_height(shipped);

    CBitmap bitmap(200);
    ASSERT_TRUE(bitmap.isLoaded());
    EXPECT_EQ(bitmap.getWidth(), width);
    EXPECT_EQ(bitmap.getHeight(), height);
    // Same pixels as the file: draw both and compare.
    Canvas fromBitmap(width, height);
    bitmap.draw(&fromBitmap.context, CRect(0, 0, width, height));
    Canvas fromFile(width, height);
    cairo_t* cr = cairo_create(fromFile.surface);
    cairo_set_source_surface(cr, shipped, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    EXPECT_EQ(fromBitmap.bytes(), fromFile.bytes());
    cairo_surface_destroy(shipped);

    SetEmbeddedResourcesEnabledForTesting(false);
    EXPECT_FALSE(CBitmap(200).isLoaded());
    Bundle::AcquireFor((bundle / "Contents" / "x86_64-linux" / "Murmurhall.so").string());  // for TearDown
}

TEST(BitmapBlank, SizedPictureIsTransparent) {
    CBitmap blank(5, 3);
    EXPECT_TRUE(blank.isLoaded());
    EXPECT_EQ(blank.getWidth(), 5);
    EXPECT_EQ(blank.getHeight(), 3);
    Canvas canvas(5, 5);
    const auto before = canvas.bytes();
    blank.draw(&canvas.context, CRect(0, 0, 5, 3));
    EXPECT_EQ(canvas.bytes(), before);

    CBitmap negative(-4, 10);
    EXPECT_FALSE(negative.isLoaded());
    EXPECT_EQ(negative.getWidth(), 0);
    EXPECT_EQ(negative.getHeight(), 0);
}

// Records its own deletion, to see when the last reference goes.
class ProbeBitmap : public CBitmap {
public:
    explicit ProbeBitmap(bool* deleted) : CBitmap(2, 2), deleted(deleted) {}
    ~ProbeBitmap() override { *deleted = true; }

private:
    bool* deleted;
};

TEST(BitmapReferences, LastForgetDeletes) {
    bool deleted = false;
    CBitmap* bitmap = new ProbeBitmap(&deleted);
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->remember();
    bitmap->remember();
    EXPECT_EQ(bitmap->getNbReference(), 3);
    bitmap->forget();
    bitmap->forget();
    EXPECT_FALSE(deleted);
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->forget();
    EXPECT_TRUE(deleted);
}

}  // namespace
