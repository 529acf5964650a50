#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "Canvas.h"

namespace {

// Columns and rows of device pixels in r darker than mid-grey: where text left ink.
struct Ink {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    bool any() const { return right >= 0; }
};

Ink FindInk(Canvas& canvas, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) {
    if (x1 < 0) x1 = canvas.deviceWidth();
    if (y1 < 0) y1 = canvas.deviceHeight();
    Ink ink;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Canvas::red(canvas.pixel(x, y)) < 128) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

TEST(DrawContextFill, CoversExactlyTheRectanglesPixels) {
    Canvas canvas(20, 20);
    canvas.context.setFillColor(kRedCColor);
    canvas.context.fillRect(CRect(3, 4, 13, 9));
    EXPECT_EQ(canvas.countColour(kRed), 50);
    EXPECT_EQ(canvas.pixel(3, 4), kRed);
    EXPECT_EQ(canvas.pixel(12, 8), kRed);
    EXPECT_EQ(canvas.pixel(13, 4), kWhite);  // right edge is outside
    EXPECT_EQ(canvas.pixel(3, 9), kWhite);   // so is the bottom
    EXPECT_EQ(canvas.pixel(2, 4), kWhite);
    EXPECT_EQ(canvas.pixel(3, 3), kWhite);
    // Fills are hard-edged in either mode: no half-covered pixels.
    canvas.context.setDrawMode(kAntialias);
    canvas.context.setFillColor(kBlueCColor);
    canvas.context.fillRect(CRect(0, 15, 4, 17));
    EXPECT_EQ(canvas.countColour(kBlue), 8);
    EXPECT_EQ(canvas.countColour(kWhite) + canvas.countColour(kRed) + canvas.countColour(kBlue), 400);
}

TEST(DrawContextFill, EmptyOrInvertedRectanglesDrawNothing) {
    Canvas canvas(10, 10);
    canvas.context.setFillColor(kRedCColor);
    canvas.context.fillRect(CRect(5, 5, 5, 9));
    canvas.context.fillRect(CRect(8, 8, 2, 2));
    EXPECT_EQ(canvas.countColour(kWhite), 100);
}

TEST(DrawContextFill, TranslucentColourBlendsHalfWay) {
    Canvas canvas(4, 4);
    canvas.context.setFillColor(MakeCColor(0, 0, 0, 128));
    canvas.context.fillRect(CRect(0, 0, 4, 4));
    const uint32_t p = canvas.pixel(1, 1);
    EXPECT_NEAR(Canvas::red(p), 127, 1);
    EXPECT_NEAR(Canvas::green(p), 127, 1);
}

TEST(DrawContextFill, ScaleFactorTwoDoublesEverything) {
    Canvas canvas(20, 20, 2.0);
    canvas.context.setFillColor(kRedCColor);
    canvas.context.fillRect(CRect(3, 4, 13, 9));
    EXPECT_EQ(canvas.countColour(kRed), 20 * 10);
    EXPECT_EQ(canvas.pixel(6, 8), kRed);
    EXPECT_EQ(canvas.pixel(25, 17), kRed);
    EXPECT_EQ(canvas.pixel(5, 8), kWhite);
    EXPECT_EQ(canvas.pixel(26, 17), kWhite);
    EXPECT_EQ(canvas.pixel(25, 18), kWhite);
}

TEST(DrawContextFill, OddScaleFactorStillFillsWholePixels) {
    Canvas canvas(10, 10, 1.5);
    canvas.context.setFillColor(kRedCColor);
    canvas.context.fillRect(CRect(1, 1, 4, 2));  // device 1.5..6 x 1.5..3, snapped to 2..6 x 2..3
    EXPECT_EQ(canvas.countColour(kRed) + canvas.countColour(kWhite), canvas.deviceWidth() * canvas.deviceHeight());
    EXPECT_EQ(canvas.countColour(kRed), 4 * 1);
}

TEST(DrawContextOrigin, OffsetShiftsDrawingBeforeScaling) {
    Canvas canvas(20, 20);
    canvas.context.setOffset(CPoint(5, 6));
    EXPECT_EQ(canvas.context.getOffset(), CPoint(5, 6));
    canvas.context.setFillColor(kRedCColor);
    canvas.context.fillRect(CRect(0, 0, 2, 2));
    EXPECT_EQ(canvas.countColour(kRed), 4);
    EXPECT_EQ(canvas.pixel(5, 6), kRed);
    EXPECT_EQ(canvas.pixel(6, 7), kRed);
    EXPECT_EQ(canvas.pixel(0, 0), kWhite);

    Canvas dense(20, 20, 2.0);
    dense.context.setOffset(CPoint(5, 6));
    dense.context.setFillColor(kRedCColor);
    dense.context.fillRect(CRect(0, 0, 2, 2));
    EXPECT_EQ(dense.countColour(kRed), 16);
    EXPECT_EQ(dense.pixel(10, 12), kRed);
    EXPECT_EQ(dense.pixel(13, 15), kRed);
    EXPECT_EQ(dense.pixel(14, 15), kWhite);
}

TEST(DrawContextClip, DropsDrawingOutsideTheClip) {
    Canvas canvas(10, 10);
    canvas.context.setClipRect(CRect(2, 2, 6, 6));
    CRect clip;
    EXPECT_EQ(canvas.context.getClipRect(clip), CRect(2, 2, 6, 6));
    canvas.context.setFillColor(kRedCColor);
    canvas.context.fillRect(CRect(0, 0, 10, 10));
    canvas.context.setFrameColor(kRedCColor);
    canvas.context.drawLine(CPoint(0, 8), CPoint(9, 8));
    EXPECT_EQ(canvas.countColour(kRed), 16);
    EXPECT_EQ(canvas.pixel(2, 2), kRed);
    EXPECT_EQ(canvas.pixel(6, 6), kWhite);

    canvas.context.resetClipRect();
    EXPECT_EQ(canvas.context.getClipRect(clip), CRect(0, 0, 10, 10));
    canvas.context.setFillColor(kBlueCColor);
    canvas.context.fillRect(CRect(0, 0, 10, 10));
    EXPECT_EQ(canvas.countColour(kBlue), 100);
}

TEST(DrawContextClip, ClipMovesWithTheOffsetAndIsCutToTheSurface) {
    Canvas canvas(20, 10);
    canvas.context.setOffset(CPoint(10, 0));
    canvas.context.setClipRect(CRect(0, 0, 5, 5));
    canvas.context.setFillColor(kRedCColor);
    canvas.context.fillRect(CRect(-20, -20, 40, 40));
    EXPECT_EQ(canvas.countColour(kRed), 25);
    EXPECT_EQ(canvas.pixel(10, 0), kRed);
    EXPECT_EQ(canvas.pixel(14, 4), kRed);
    EXPECT_EQ(canvas.pixel(9, 0), kWhite);

    // A clip far larger than the surface draws everything and nothing beyond it.
    canvas.context.setOffset(CPoint(0, 0));
    canvas.context.setClipRect(CRect(-1000, -1000, 1000, 1000));
    canvas.context.setFillColor(kBlueCColor);
    canvas.context.fillRect(CRect(-1000000, -1000000, 1000000, 1000000));
    EXPECT_EQ(canvas.countColour(kBlue), 200);
}

TEST(DrawContextLines, OnePixelLinesAreCrispAndIncludeBothEnds) {
    for (CDrawMode mode : {kCopyMode, kAntialias}) {
        SCOPED_TRACE(mode);
        Canvas canvas(20, 20);
        canvas.context.setDrawMode(mode);
        canvas.context.setFrameColor(kBlueCColor);
        canvas.context.drawLine(CPoint(2, 5), CPoint(12, 5));
        canvas.context.moveTo(CPoint(15, 3));
        canvas.context.lineTo(CPoint(15, 9));
        EXPECT_EQ(canvas.countColour(kBlue), 11 + 7);
        EXPECT_EQ(canvas.countColour(kWhite), 400 - 18);  // nothing half-covered
        EXPECT_EQ(canvas.pixel(2, 5), kBlue);
        EXPECT_EQ(canvas.pixel(12, 5), kBlue);
        EXPECT_EQ(canvas.pixel(15, 3), kBlue);
        EXPECT_EQ(canvas.pixel(15, 9), kBlue);
    }
}

TEST(DrawContextLines, LineAtScaleTwoCoversTheDoubledPixels) {
    Canvas canvas(20, 20, 2.0);
    canvas.context.setFrameColor(kBlueCColor);
    canvas.context.drawLine(CPoint(2, 5), CPoint(12, 5));
    EXPECT_EQ(canvas.countColour(kBlue), 22 * 2);
    EXPECT_EQ(canvas.pixel(4, 10), kBlue);
    EXPECT_EQ(canvas.pixel(25, 11), kBlue);
    EXPECT_EQ(canvas.pixel(26, 10), kWhite);
    EXPECT_EQ(canvas.pixel(4, 12), kWhite);
}

TEST(DrawContextLines, CopyModeHasHardEdgesAntialiasSmoothsThem) {
    auto greys = [](CDrawMode mode) {
        Canvas canvas(30, 30);
        canvas.context.setDrawMode(mode);
        canvas.context.setFrameColor(kBlackCColor);
        canvas.context.drawLine(CPoint(2, 3), CPoint(27, 20));
        return canvas.count([](uint32_t p) { return p != kWhite && p != 0xFF000000; });
    };
    EXPECT_EQ(greys(kCopyMode), 0);
    EXPECT_GT(greys(kAntialias), 10);
}

TEST(DrawContextLines, DashedLineAlternates) {
    Canvas canvas(20, 5);
    canvas.context.setLineStyle(kLineOnOffDash);
    canvas.context.setFrameColor(kBlueCColor);
    canvas.context.drawLine(CPoint(0, 2), CPoint(19, 2));
    const long on = canvas.countColour(kBlue);
    EXPECT_GE(on, 9);
    EXPECT_LE(on, 11);
    EXPECT_NE(canvas.pixel(4, 2), canvas.pixel(5, 2));
}

TEST(DrawContextShapes, StrokedRectangleIsItsOutermostPixels) {
    Canvas canvas(20, 20);
    canvas.context.setFrameColor(kGreenCColor);
    canvas.context.drawRect(CRect(2, 3, 10, 8));
    EXPECT_EQ(canvas.countColour(kGreen), 2 * (8 + 5) - 4);
    EXPECT_EQ(canvas.pixel(2, 3), kGreen);
    EXPECT_EQ(canvas.pixel(9, 7), kGreen);
    EXPECT_EQ(canvas.pixel(9, 3), kGreen);
    EXPECT_EQ(canvas.pixel(10, 3), kWhite);
    EXPECT_EQ(canvas.pixel(5, 5), kWhite);  // inside stays
    EXPECT_EQ(canvas.pixel(2, 8), kWhite);

    canvas.context.setFillColor(kRedCColor);
    canvas.context.drawRect(CRect(12, 12, 16, 16), kDrawFilledAndStroked);
    EXPECT_EQ(canvas.countColour(kRed), 4);  // the 2x2 inside
    EXPECT_EQ(canvas.pixel(13, 13), kRed);
    EXPECT_EQ(canvas.pixel(12, 15), kGreen);
}

TEST(DrawContextShapes, EllipseStaysInsideItsRectangle) {
    Canvas canvas(20, 20);
    canvas.context.setFillColor(kRedCColor);
    canvas.context.fillEllipse(CRect(4, 4, 14, 14));
    EXPECT_EQ(canvas.pixel(9, 9), kRed);
    EXPECT_EQ(canvas.pixel(4, 4), kWhite);
    EXPECT_EQ(canvas.pixel(13, 13), kWhite);
    const long red = canvas.countColour(kRed);
    EXPECT_NEAR(red, 79, 8);  // pi * 5 * 5
    EXPECT_EQ(FindInk(canvas, 0, 0, 20, 4).any(), false);
    EXPECT_EQ(FindInk(canvas, 14, 0, 20, 20).any(), false);
}

TEST(DrawContextShapes, FilledPolygonAndOpenPolyline) {
    Canvas canvas(20, 20);
    const CPoint square[] = {CPoint(2, 2), CPoint(8, 2), CPoint(8, 8), CPoint(2, 8)};
    canvas.context.setFillColor(kRedCColor);
    canvas.context.drawPolygon(square, 4, kDrawFilled);
    EXPECT_EQ(canvas.countColour(kRed), 36);

    const CPoint corner[] = {CPoint(12, 2), CPoint(18, 2), CPoint(18, 8)};
    canvas.context.setFrameColor(kBlueCColor);
    canvas.context.drawPolygon(corner, 3);
    EXPECT_EQ(canvas.countColour(kBlue), 7 + 6);
    EXPECT_EQ(canvas.pixel(12, 8), kWhite);  // not closed
    canvas.context.drawPolygon(nullptr, 3);
    canvas.context.drawPolygon(corner, 1);
    EXPECT_EQ(canvas.countColour(kBlue), 13);
}

class DrawContextText : public ::testing::Test {
protected:
    void SetUp() override {
        canvas.context.setFontColor(kBlackCColor);
        canvas.context.setFont(kNormalFontSmaller);
    }
    Canvas canvas{200, 30};
    const CRect box{10, 5, 190, 25};
};

TEST_F(DrawContextText, LeftTextStartsAtTheLeftEdge) {
    canvas.context.drawString("Murmurhall", box, false, kLeftText);
    const Ink ink = FindInk(canvas);
    ASSERT_TRUE(ink.any());
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.left, 12);
    EXPECT_NEAR(ink.right - ink.left, canvas.context.getStringWidth("Murmurhall"), 3);
}

TEST_F(DrawContextText, RightTextEndsAtTheRightEdge) {
    canvas.context.drawString("Murmurhall", box, false, kRightText);
    const Ink ink = FindInk(canvas);
    ASSERT_TRUE(ink.any());
    EXPECT_LE(ink.right, 189);
    EXPECT_GE(ink.right, 186);
}

TEST_F(DrawContextText, CentredTextIsCentredBothWays) {
    canvas.context.drawString("Murmurhall", box);
    const Ink ink = FindInk(canvas);
    ASSERT_TRUE(ink.any());
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 2);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 15, 2.5);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.bottom, 24);
}

TEST_F(DrawContextText, TextIsClippedToItsRectangle) {
    const CRect narrow(50, 10, 80, 20);
    canvas.context.drawString("A long line that cannot fit at all", narrow, false, kLeftText);
    const Ink ink = FindInk(canvas);
    ASSERT_TRUE(ink.any());
    EXPECT_GE(ink.left, 50);
    EXPECT_LE(ink.right, 79);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 19);
}

TEST_F(DrawContextText, OpaqueFillsTheRectangleFirst) {
    canvas.context.setFillColor(kGreenCColor);
    canvas.context.drawString("ab", box, true, kLeftText);
    EXPECT_EQ(canvas.pixel(10, 5), kGreen);
    EXPECT_EQ(canvas.pixel(189, 24), kGreen);
    EXPECT_EQ(canvas.pixel(9, 5), kWhite);
    EXPECT_EQ(canvas.pixel(10, 25), kWhite);
    EXPECT_TRUE(FindInk(canvas).any());
    canvas.context.drawString(" ", CRect(0, 0, 5, 5), false);  // not opaque: no fill, only ink
    EXPECT_EQ(canvas.pixel(0, 0), kWhite);
}

TEST_F(DrawContextText, WidthGrowsWithTheTextAndIsTheSameFaceEverywhere) {
    CDrawContext& c = canvas.context;
    EXPECT_EQ(c.getStringWidth(""), 0);
    EXPECT_EQ(c.getStringWidth(nullptr), 0);
    EXPECT_LT(c.getStringWidth("M"), c.getStringWidth("Mu"));
    EXPECT_LT(c.getStringWidth("Mu"), c.getStringWidth("Murmurhall"));
    // DejaVu Sans advances (units of 2048 per em) sum to 11733 for "Murmurhall": 57.3 pixels at 10.
    // Liberation Sans, Arial or a fixed-width face would all land outside this range.
    EXPECT_EQ(c.getFontSize(), 10);
    EXPECT_GE(c.getStringWidth("Murmurhall"), 56);
    EXPECT_LE(c.getStringWidth("Murmurhall"), 58);
    c.setFont(kNormalFontBig);
    EXPECT_EQ(c.getFontSize(), 14);
    EXPECT_NEAR(c.getStringWidth("Murmurhall"), 80, 1);  // 11733 * 14 / 2048
    c.setFont(kNormalFontBig, 0, kBoldFace);
    EXPECT_GT(c.getStringWidth("Murmurhall"), 85);
}

TEST(DrawContextTextWidth, IndependentOfTheScaleFactor) {
    Canvas dense(100, 20, 2.0);
    Canvas plain(100, 20);
    dense.context.setFont(kNormalFontSmall);
    plain.context.setFont(kNormalFontSmall);
    EXPECT_EQ(dense.context.getStringWidth("Population 17"), plain.context.getStringWidth("Population 17"));
}

TEST(DrawContextTextWidth, EightBitTextIsReadAsLatin1) {
    Canvas canvas(100, 20);
    canvas.context.setFont(kNormalFont);
    // A byte that is not UTF-8 must not put cairo into an error state that silences later drawing.
    EXPECT_EQ(canvas.context.getStringWidth("caf\xe9"), canvas.context.getStringWidth("caf\xc3\xa9"));
    canvas.context.drawString("caf\xe9 \xff\x80", CRect(0, 0, 100, 20));
    canvas.context.setFillColor(kRedCColor);
    canvas.context.fillRect(CRect(0, 0, 2, 2));
    EXPECT_EQ(canvas.pixel(1, 1), kRed);
}

TEST(DrawContextState, FontSettingsAndOddValues) {
    Canvas canvas(10, 10);
    CDrawContext& c = canvas.context;
    c.setFont(kNormalFontVerySmall);
    EXPECT_EQ(c.getFontSize(), 9);
    c.setFont(kNormalFont, 20);
    EXPECT_EQ(c.getFontSize(), 20);
    c.setFont(static_cast<CFont>(99));
    EXPECT_EQ(c.getFont(), kSystemFont);
    EXPECT_EQ(c.getFontSize(), 12);
    c.setLineWidth(-3);
    EXPECT_EQ(c.getLineWidth(), 0);
    c.setFrameColor(kRedCColor);
    c.drawLine(CPoint(0, 0), CPoint(9, 9));  // zero width draws nothing
    EXPECT_EQ(canvas.countColour(kWhite), 100);
}

TEST(DrawContextState, ContextWithoutSurfaceIgnoresEverything) {
    CDrawContext context(nullptr, CRect(0, 0, 10, 10), std::nan(""));
    EXPECT_EQ(context.getScaleFactor(), 1.0);
    context.setFillColor(kRedCColor);
    context.fillRect(CRect(0, 0, 5, 5));
    context.drawRect(CRect(0, 0, 5, 5));
    context.drawLine(CPoint(0, 0), CPoint(5, 5));
    context.fillEllipse(CRect(0, 0, 5, 5));
    context.drawString("x", CRect(0, 0, 5, 5), true);
    context.setClipRect(CRect(1, 1, 2, 2));
    EXPECT_GT(context.getStringWidth("x"), 0);  // measuring needs no surface
}

}  // namespace
