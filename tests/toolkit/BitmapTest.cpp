// CBitmap: pictures looked up by resource number in the bundle (then compiled in), drawn with a
// source offset and alpha; a missing one is 0 x 0; reference counting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Canvas.h"
#include "platform/Bundle.h"
#include "platform/EmbeddedResources.h"
#include "toolkit/CBitmap.h"

namespace {

namespace fs = std::filesystem;

// Writes a width x height PNG in colour (0xAARRGGBB, not premultiplied), its first columns in first.
void WritePng(const fs::path& path, int width, int height, uint32_t colour, uint32_t first = 0, int columns = 0) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    for (int x = 0; x < width; ++x) {
        SetSource(cr, x < columns ? first : colour);
        cairo_rectangle(cr, x, 0, 1, height);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    ASSERT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
}

// A bundle folder of our own, the process-wide bundle pointing at it for the test's duration.
class BitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/mh-bitmap-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        resources = root / "Murmurhall.vst" / "Contents" / "Resources";
        fs::create_directories(resources);
        ASSERT_EQ(Bundle::References(), 0) << "another test left the bundle acquired";
        Bundle::AcquireFor(binary());
        ASSERT_EQ(Bundle::Path(), (root / "Murmurhall.vst").string());
    }
    void TearDown() override {
        Bundle::Release();
        SetEmbeddedResourcesEnabledForTesting(true);
        fs::remove_all(root);
    }
    std::string binary() const { return (root / "Murmurhall.vst/Contents/x86_64-linux/Murmurhall.so").string(); }

    fs::path root, resources;
};

TEST_F(BitmapTest, BundlePictureDrawsFromTheSourceOffsetWithinTheRectangleClipAndOffset) {
    WritePng(resources / "bmp00999.png", 6, 4, kBlue, kRed, 3);
    CBitmap bitmap(999);
    EXPECT_EQ(CRect(0, 0, bitmap.getWidth(), bitmap.getHeight()), CRect(0, 0, 6, 4));
    Canvas canvas(20, 20);
    bitmap.draw(&canvas.context, CRect(2, 3, 8, 7));
    EXPECT_EQ(canvas.count(kRed), 12);
    EXPECT_EQ(canvas.count(kBlue), 12);
    EXPECT_EQ(canvas.pixel(2, 3), kRed);
    // A rectangle larger than the rest of the picture leaves the remainder alone.
    bitmap.draw(&canvas.context, CRect(0, 15, 10, 20), CPoint(4, 2));
    EXPECT_EQ(canvas.count(kBlue), 12 + 4);
    EXPECT_EQ(canvas.pixel(1, 16), kBlue);
    canvas.context.setOffset(CPoint(10, 10));
    canvas.context.setClipRect(CRect(0, 0, 2, 10));
    bitmap.draw(&canvas.context, CRect(0, 0, 4, 4), CPoint(2, 0));  // columns 2 (red) and 3 (blue) pass
    EXPECT_EQ(canvas.count(kRed), 12 + 4);
    EXPECT_EQ(canvas.count(kBlue), 16 + 4);
    EXPECT_EQ(canvas.pixel(10, 10), kRed);
}

TEST_F(BitmapTest, TypesAreTriedInOrderBrokenFilesSkippedAndAMissingPictureIsEmpty) {
    WritePng(resources / "bmp00994.png", 2, 2, kRed);
    WritePng(resources / "bmp00994.bmp", 3, 3, kBlue);  // a PNG by another name still decodes
    EXPECT_EQ(CBitmap(994).getWidth(), 2);
    fs::remove(resources / "bmp00994.png");
    EXPECT_EQ(CBitmap(994).getWidth(), 3);

    std::ofstream(resources / "bmp00997.png") << "not a picture";
    std::ofstream(resources / "bmp00997.bmp") << "BM not one either";
    std::ofstream(resources / "bmp00996.png").close();
    WritePng(resources / "bmp00995.png", 8, 8, kRed);
    fs::resize_file(resources / "bmp00995.png", 40);
    SetEmbeddedResourcesEnabledForTesting(false);
    for (long id : {995L, 996L, 997L, 998L}) {
        CBitmap bitmap(id);
        EXPECT_FALSE(bitmap.isLoaded()) << id;
        EXPECT_EQ(bitmap.getWidth() + bitmap.getHeight(), 0) << id;
        Canvas canvas(10, 10);
        bitmap.draw(&canvas.context, CRect(0, 0, 10, 10));
        bitmap.drawAlphaBlend(&canvas.context, CRect(0, 0, 10, 10), CPoint(0, 0), 255);
        bitmap.draw(nullptr, CRect(0, 0, 10, 10));
        EXPECT_EQ(canvas.count(kWhite), 100);
    }
}

TEST_F(BitmapTest, AlphaBlendAndThePicturesOwnTransparencyMix) {
    WritePng(resources / "bmp00999.png", 4, 4, kRed);
    WritePng(resources / "bmp00993.png", 4, 4, 0x80FF0000u, 0x00000000u, 1);
    CBitmap bitmap(999), translucent(993);
    Canvas canvas(16, 4);
    bitmap.drawAlphaBlend(&canvas.context, CRect(0, 0, 4, 4), CPoint(0, 0), 128);
    bitmap.drawAlphaBlend(&canvas.context, CRect(4, 0, 8, 4), CPoint(0, 0), 255);
    bitmap.drawAlphaBlend(&canvas.context, CRect(8, 0, 12, 4), CPoint(0, 0), 0);
    translucent.draw(&canvas.context, CRect(12, 0, 16, 4));
    for (int x : {1, 14}) {  // half red on white
        EXPECT_EQ(Red(canvas.pixel(x, 1)), 255) << x;
        EXPECT_NEAR(Green(canvas.pixel(x, 1)), 127, 2) << x;
    }
    EXPECT_EQ(canvas.pixel(5, 1), kRed);
    EXPECT_EQ(canvas.pixel(9, 1), kWhite);
    EXPECT_EQ(canvas.pixel(12, 1), kWhite);
}

TEST_F(BitmapTest, CompiledInCopyIsTheShippedPictureServesWithoutABundleAndABundleFileWins) {
    Bundle::Release();
    CBitmap compiledIn(200);
    const int width = compiledIn.getWidth(), height = compiledIn.getHeight();
    ASSERT_GT(width, 0);
    Bundle::AcquireFor(binary());
    fs::copy_file(fs::path(MH_SOURCE_DIR) / "resources" / "bmp00200.png", resources / "bmp00200.png");
    CBitmap shipped(200);
    Canvas fromCopy(width, height), fromFile(width, height);
    compiledIn.draw(&fromCopy.context, CRect(0, 0, width, height));
    shipped.draw(&fromFile.context, CRect(0, 0, width, height));
    EXPECT_EQ(fromCopy.bytes(), fromFile.bytes());
    WritePng(resources / "bmp00200.png", 3, 3, kGreen);
    EXPECT_EQ(CBitmap(200).getWidth(), 3);
    std::ofstream(resources / "bmp00200.png") << "broken";
    EXPECT_EQ(CBitmap(200).getWidth(), width) << "a broken bundle file falls back to the compiled-in picture";
    SetEmbeddedResourcesEnabledForTesting(false);
    EXPECT_FALSE(CBitmap(200).isLoaded());
}

// Records its own deletion, to see when the last reference goes.
struct ProbeBitmap : CBitmap {
    explicit ProbeBitmap(bool* deleted) : CBitmap(5, 3), deleted(deleted) {}
    ~ProbeBitmap() override { *deleted = true; }
    bool* deleted;
};

TEST(BitmapBlank, SizedPictureIsTransparentAndTheLastForgetDeletesIt) {
    bool deleted = false;
    CBitmap* blank = new ProbeBitmap(&deleted);
    Canvas canvas(5, 5);
    blank->draw(&canvas.context, CRect(0, 0, 5, 3));
    EXPECT_EQ(canvas.count(kWhite), 25);
    blank->remember();
    blank->forget();
    EXPECT_FALSE(deleted);
    blank->forget();
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(CBitmap(-4, 10).isLoaded());
}

}  // namespace
