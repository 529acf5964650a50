// CDrawContext and COffscreenContext over cairo, checked on rendered pixels: hard edges where there
// should be, the origin offset and clip, scale factors, text placement and the one sans-serif face.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Canvas.h"
#include "toolkit/CFrame.h"
#include "toolkit/COffscreenContext.h"

namespace {

// The box [left, right] x [top, bottom] of device pixels darker than mid-grey: where text left ink.
CRect FindInk(Canvas& canvas) {
    CRect ink(1 << 30, 1 << 30, -1, -1);
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (Red(canvas.pixel(x, y)) < 128) ink = CRect(std::min<CCoord>(ink.left, x), std::min<CCoord>(ink.top, y),
                                                           std::max<CCoord>(ink.right, x), std::max<CCoord>(ink.bottom, y));
    return ink;
}

TEST(DrawContext, FillsCoverWholeDevicePixelsInEitherModeAfterTheOffsetAndScale) {
    const struct {
        double scale;
        CPoint offset;
        CRect rect;
        long red;
        int x0, y0, x1, y1;  // the first and last device pixel filled
    } cases[] = {
        {1.0, CPoint(0, 0), CRect(3, 4, 13, 9), 50, 3, 4, 12, 8},  // right and bottom edges are outside
        {2.0, CPoint(0, 0), CRect(3, 4, 13, 9), 200, 6, 8, 25, 17},
        {1.0, CPoint(5, 6), CRect(0, 0, 2, 2), 4, 5, 6, 6, 7},
        {2.0, CPoint(5, 6), CRect(0, 0, 2, 2), 16, 10, 12, 13, 15},
        {1.5, CPoint(0, 0), CRect(1, 1, 4, 2), 4, 2, 2, 5, 2},  // device 1.5..6 x 1.5..3, snapped
    };
    for (const auto& c : cases) {
        for (CDrawMode mode : {kCopyMode, kAntialias}) {
            Canvas canvas(20, 20, c.scale);
            canvas.context.setDrawMode(mode);
            canvas.context.setOffset(c.offset);
            canvas.context.setFillColor(kRedCColor);
            canvas.context.fillRect(c.rect);
            canvas.context.fillRect(CRect(8, 8, 2, 2));  // inverted: nothing
            EXPECT_EQ(canvas.count(kRed), c.red) << c.scale << " " << mode;
            EXPECT_EQ(canvas.count(kWhite), canvas.width() * canvas.height() - c.red) << "none half-covered";
            EXPECT_EQ(canvas.pixel(c.x0, c.y0), kRed) << c.scale;
            EXPECT_EQ(canvas.pixel(c.x1, c.y1), kRed) << c.scale;
        }
    }
}

TEST(DrawContext, ClipMovesWithTheOffsetAndIsCutToTheSurface) {
    Canvas canvas(20, 10);
    CDrawContext& c = canvas.context;
    c.setClipRect(CRect(2, 2, 6, 6));
    c.setFillColor(kRedCColor);
    c.fillRect(CRect(0, 0, 20, 10));
    EXPECT_EQ(canvas.count(kRed), 16);
    EXPECT_EQ(canvas.pixel(2, 2), kRed);
    c.setOffset(CPoint(10, 0));
    c.setClipRect(CRect(0, 0, 5, 5));
    c.setFillColor(kBlueCColor);
    c.fillRect(CRect(-20, -20, 40, 40));
    EXPECT_EQ(canvas.count(kBlue), 25);
    EXPECT_EQ(canvas.pixel(14, 4), kBlue);
    c.setOffset(CPoint(0, 0));
    c.setClipRect(CRect(-1000, -1000, 1000, 1000));
    c.setFillColor(kGreenCColor);
    c.fillRect(CRect(-1000000, -1000000, 1000000, 1000000));
    EXPECT_EQ(canvas.count(kGreen), 200);
}

TEST(DrawContext, OnePixelLinesAndOutlinesAreCrispIncludeBothEndsAndScale) {
    for (double scale : {1.0, 2.0}) {
        for (CDrawMode mode : {kCopyMode, kAntialias}) {
            SCOPED_TRACE(testing::Message() << scale << " " << mode);
            Canvas canvas(20, 20, scale);
            canvas.context.setDrawMode(mode);
            canvas.context.setFrameColor(kBlueCColor);
            canvas.context.drawLine(CPoint(2, 5), CPoint(12, 5));
            canvas.context.moveTo(CPoint(15, 3));
            canvas.context.lineTo(CPoint(15, 9));
            canvas.context.drawRect(CRect(2, 12, 10, 17));  // the outermost pixels of 8 x 5
            const int s = static_cast<int>(scale);
            EXPECT_EQ(canvas.count(kBlue), (11 + 7 + 22) * s * s);
            EXPECT_EQ(canvas.count(kWhite), (400 - 11 - 7 - 22) * s * s) << "nothing half-covered";
            EXPECT_EQ(canvas.pixel(12 * s + s - 1, 5 * s + s - 1), kBlue);
            EXPECT_EQ(canvas.pixel(15 * s, 9 * s), kBlue);
            EXPECT_EQ(canvas.pixel(9 * s, 16 * s), kBlue);
        }
    }
}

TEST(DrawContext, TextIsPlacedByItsAlignmentAndClippedToItsRectangle) {
    for (CHoriTxtAlign align : {kLeftText, kCenterText, kRightText}) {
        Canvas canvas(200, 30);
        canvas.context.setFont(kNormalFontSmaller);
        canvas.context.setFontColor(kBlackCColor);
        canvas.context.drawString("Murmurhall", CRect(10, 5, 190, 25), false, align);
        const CRect ink = FindInk(canvas);
        const double half = canvas.context.getStringWidth("Murmurhall") / 2.0;
        const double centre = align == kLeftText ? 10 + half : align == kRightText ? 190 - half : 100;
        EXPECT_NEAR((ink.left + ink.right) / 2.0, centre, 2) << align;
        EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 15, 2.5) << align;
        EXPECT_NEAR(ink.right - ink.left, 2 * half, 3) << align;
    }
    Canvas canvas(200, 30);
    canvas.context.setFontColor(kBlackCColor);
    canvas.context.setFillColor(kGreenCColor);
    canvas.context.drawString("A long line that cannot fit at all", CRect(50, 10, 80, 20), true, kLeftText);
    const CRect ink = FindInk(canvas);
    EXPECT_GE(ink.left, 50);
    EXPECT_LE(ink.right, 79);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 19);
    EXPECT_EQ(canvas.count(kWhite), 200 * 30 - 30 * 10) << "opaque: the rectangle filled first, nothing outside";
    EXPECT_GT(canvas.count(kGreen), 150);
}

TEST(DrawContext, TextWidthIsTheSameFaceAtEveryScaleAndEightBitTextIsLatin1) {
    Canvas canvas(100, 20), dense(100, 20, 2.0);
    CDrawContext& c = canvas.context;
    c.setFont(kNormalFontSmaller);
    EXPECT_EQ(c.getStringWidth(nullptr), 0);
    // DejaVu Sans advances (units of 2048 per em) sum to 11733 for "Murmurhall": 57.3 pixels at 10.
    // Liberation Sans, Arial or a fixed-width face would all land outside this range.
    EXPECT_NEAR(c.getStringWidth("Murmurhall"), 57, 1);
    c.setFont(kNormalFontBig);
    dense.context.setFont(kNormalFontBig);
    EXPECT_NEAR(c.getStringWidth("Murmurhall"), 80, 1);  // 11733 * 14 / 2048
    EXPECT_EQ(dense.context.getStringWidth("Population 17"), c.getStringWidth("Population 17"));
    // A byte that is not UTF-8 must not put cairo into an error state that silences later drawing.
    EXPECT_EQ(c.getStringWidth("caf\xe9"), c.getStringWidth("caf\xc3\xa9"));
    c.drawString("caf\xe9 \xff\x80", CRect(0, 0, 100, 20));
    c.setFillColor(kRedCColor);
    c.fillRect(CRect(0, 0, 2, 2));
    EXPECT_EQ(canvas.pixel(1, 1), kRed);
}

TEST(DrawContext, OddFontsLineWidthsAndAMissingSurfaceAreSafe) {
    Canvas canvas(10, 10);
    canvas.context.setFont(static_cast<CFont>(99));
    EXPECT_EQ(canvas.context.getFontSize(), 12) << "the system font";
    canvas.context.setLineWidth(-3);
    canvas.context.drawLine(CPoint(0, 0), CPoint(9, 9));  // no width: nothing
    EXPECT_EQ(canvas.count(kWhite), 100);
    CDrawContext bare(nullptr, CRect(0, 0, 10, 10), std::nan(""));
    bare.fillRect(CRect(0, 0, 5, 5));
    bare.drawString("x", CRect(0, 0, 5, 5), true);
    EXPECT_GT(bare.getStringWidth("x"), 0) << "measuring needs no surface";
}

TEST(OffscreenContext, CopyFromTakesPixelsFromTheSourceOffsetThroughOffsetClipAndScaleAndRefusesOddSizes) {
    COffscreenContext offscreen(nullptr, 10, 8, kBlackCColor);
    offscreen.setFillColor(kBlueCColor);
    offscreen.fillRect(CRect(5, 0, 10, 8));  // right half blue on the black background
    Canvas canvas(20, 20);
    offscreen.copyFrom(&canvas.context, CRect(2, 2, 7, 10), CPoint(5, 0));
    EXPECT_EQ(canvas.count(kBlue), 40);
    canvas.context.setOffset(CPoint(10, 10));
    canvas.context.setClipRect(CRect(0, 0, 3, 20));
    offscreen.copyFrom(&canvas.context, CRect(0, 0, 10, 8));
    EXPECT_EQ(canvas.count(kBlack), 3 * 8);

    CFrame frame(CRect(0, 0, 20, 20), nullptr, nullptr);
    frame.setScaleFactor(2.0);
    COffscreenContext sharp(&frame, 4, 3, kRedCColor);
    Canvas dense(4, 4, 2.0);
    sharp.copyFrom(&dense.context, CRect(0, 0, 4, 3));
    EXPECT_EQ(dense.count(kRed), 8 * 6) << "the frame's dense pixels copied one to one";
    COffscreenContext negative(nullptr, -5, 10), huge(nullptr, 1L << 40, 2);
    EXPECT_EQ(negative.getWidth(), 0);
    EXPECT_LE(huge.getWidth(), 4096);
    negative.copyFrom(&dense.context, CRect(0, 0, 4, 4));
    negative.fillRect(CRect(0, 0, 4, 4));
    sharp.copyFrom(nullptr, CRect(0, 0, 4, 4));
    EXPECT_EQ(dense.count(kWhite), 8 * 2);
}

}  // namespace
